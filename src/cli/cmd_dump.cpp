// dump and raw: the unit's whole state, and single frames.
#include <cjson/cJSON.h>

#include <cstdio>

#include "cli/cli.h"
#include "cli/cmd_model.h"
#include "cli/message_json.h"
#include "core/apply.h"
#include "core/profile.h"
#include "core/readout.h"
#include "core/unit_model.h"
#include "link/commands.h"

namespace dvdsp::cli {

namespace {

void PrintJson(cJSON* root) {
    char* text = cJSON_Print(root);
    if (text) {
        std::printf("%s\n", text);
        cJSON_free(text);
    }
    cJSON_Delete(root);
}

int CheckDump(const Words& args) { return args.empty() ? kOk : kUsage; }

int Dump(Session& s, const Words& args) {
    if (CheckDump(args) != kOk) return kUsage;
    int r = s.Open();
    if (r != kOk) return r;
    s.Sink().Take();
    if (r = RunReadOut(s); r != kOk) return r;
    auto& d = s.Device();
    cJSON* root = cJSON_CreateObject();
    cJSON_AddNumberToObject(root, "model", d.Model());
    char fw[16];
    std::snprintf(fw, sizeof fw, "%d.%d", d.MasterVersion(), d.SlaveVersion());
    cJSON_AddStringToObject(root, "firmware", fw);
    // The live settings as the program's model holds them (in the scene profile's form),
    // then every decoded reply as it came.
    core::UnitModel model;
    std::vector<link::Message> posted = s.Sink().Take();
    for (const link::Message& m : posted) core::ApplyMessage(model, m);
    if (cJSON* live = cJSON_Parse(core::SceneProfileText(model.current).c_str()))
        cJSON_AddItemToObject(root, "live", live);
    cJSON* replies = cJSON_AddArrayToObject(root, "replies");
    for (const link::Message& m : posted) {
        if (m.msg == link::WM_READ_MCU_VALUE && m.wparam == link::MCU_HANDSHAKE) continue;
        cJSON_AddItemToArray(replies, MessageToJson(m));
    }
    PrintJson(root);
    return kOk;
}

struct RawFrame {
    uint8_t type = 0, cmd = 0, op = 0;
    std::vector<uint8_t> data;
};

// TYPE CMD OP [BYTE...]; false after saying what is wrong.
bool ParseRaw(const Words& args, RawFrame& frame) {
    if (args.size() < 3) return false;
    const char* names[] = {"TYPE", "CMD", "OP"};
    uint8_t* fields[] = {&frame.type, &frame.cmd, &frame.op};
    for (size_t k = 0; k < args.size(); ++k) {
        long v;
        if (!ParseInt(args[k], v) || v < 0 || v > 255) {
            if (k < 3) std::fprintf(stderr, "%s '%s' is not 0..255 (0x.. for hex)\n", names[k], args[k].c_str());
            else std::fprintf(stderr, "data byte '%s' is not 0..255 (0x.. for hex)\n", args[k].c_str());
            return false;
        }
        if (k < 3) *fields[k] = static_cast<uint8_t>(v);
        else frame.data.push_back(static_cast<uint8_t>(v));
    }
    if (frame.data.size() > link::kMaxCommandData) {
        std::fprintf(stderr, "at most %zu data bytes fit one frame\n", link::kMaxCommandData);
        return false;
    }
    return true;
}

int CheckRaw(const Words& args) {
    RawFrame frame;
    return ParseRaw(args, frame) ? kOk : kUsage;
}

int Raw(Session& s, const Words& args) {
    RawFrame f;
    if (!ParseRaw(args, f)) return kUsage;
    int r = s.Open();
    if (r != kOk) return r;
    s.Sink().Take();
    const link::ExchangeOutcome outcome = s.Device().Exchange(f.type, f.cmd, f.op, f.data, 2000);
    const std::vector<link::Message> posted = s.Sink().Take();
    if (posted.empty() && !outcome.reportRead) {
        std::fprintf(stderr, "the unit did not answer %s %s %s\n", args[0].c_str(), args[1].c_str(),
                     args[2].c_str());
        return kUnitError;
    }
    cJSON* replies = cJSON_CreateArray();
    for (const link::Message& m : posted) cJSON_AddItemToArray(replies, MessageToJson(m));
    PrintJson(replies);
    return kOk;
}

void RegisterDumpCommands() {
    Register(
        {"dump", "", "Run the connection read-out and print the live settings (\"live\", in the scene\n"
              "profile's form) and every decoded reply (\"replies\") as JSON.", Dump, CheckDump});
    Register(
        {"raw", "TYPE CMD OP [BYTE...]",
         "Send one frame (numbers in decimal or 0x hex; TYPE 1 DSP, 2 flash, 3 MCU, 7 karaoke;\n"
         "OP 0xBB set, 0x66 get) and print what came back, decoded, as JSON; no answer\n"
         "at all exits with 4.",
         Raw, CheckRaw});
}

const Registrar registrar(RegisterDumpCommands);

}  // namespace

}  // namespace dvdsp::cli
