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

int Dump(Session& s, const std::vector<std::string>& args) {
    if (!args.empty()) return kUsage;
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

int Raw(Session& s, const std::vector<std::string>& args) {
    if (args.size() < 3) return kUsage;
    long type, cmd, op;
    const char* names[] = {"TYPE", "CMD", "OP"};
    long* fields[] = {&type, &cmd, &op};
    for (size_t k = 0; k < 3; ++k)
        if (!ParseInt(args[k], *fields[k]) || *fields[k] < 0 || *fields[k] > 255) {
            std::fprintf(stderr, "%s '%s' is not 0..255 (0x.. for hex)\n", names[k], args[k].c_str());
            return kUsage;
        }
    std::vector<uint8_t> data;
    for (size_t i = 3; i < args.size(); ++i) {
        long b;
        if (!ParseInt(args[i], b) || b < 0 || b > 255) {
            std::fprintf(stderr, "data byte '%s' is not 0..255 (0x.. for hex)\n", args[i].c_str());
            return kUsage;
        }
        data.push_back(static_cast<uint8_t>(b));
    }
    if (data.size() > link::kMaxCommandData) {
        std::fprintf(stderr, "at most %zu data bytes fit one frame\n", link::kMaxCommandData);
        return kUsage;
    }
    int r = s.Open();
    if (r != kOk) return r;
    s.Sink().Take();
    s.Device().Exchange(static_cast<uint8_t>(type), static_cast<uint8_t>(cmd),
                        static_cast<uint8_t>(op), data, 2000);
    cJSON* replies = cJSON_CreateArray();
    for (const link::Message& m : s.Sink().Take()) cJSON_AddItemToArray(replies, MessageToJson(m));
    PrintJson(replies);
    return kOk;
}

void RegisterDumpCommands() {
    Register(
        {"dump", "", "Run the connection read-out and print the live settings (\"live\", in the scene\n"
              "profile's form) and every decoded reply (\"replies\") as JSON.", Dump});
    Register(
        {"raw", "TYPE CMD OP [BYTE...]",
         "Send one frame (numbers in decimal or 0x hex; TYPE 1 DSP, 2 flash, 3 MCU, 7 karaoke;\n"
         "OP 0xBB set, 0x66 get) and print what came back, decoded, as JSON.",
         Raw});
}

const Registrar registrar(RegisterDumpCommands);

}  // namespace

}  // namespace dvdsp::cli
