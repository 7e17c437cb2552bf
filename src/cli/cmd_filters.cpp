// filters import and filters export: a channel's filters as the filter text of
// measurement and equaliser programs, set as the window sets them.
#include <cstdio>

#include "cli/cmd_model.h"
#include "core/filter_import.h"
#include "core/model_editor.h"
#include "core/outgoing.h"
#include "core/value_ops.h"
#include "platform/atomic_file.h"

namespace dvdsp::cli {

namespace {

struct Args {
    bool import = false;
    int channel = 0;
    std::string path;
    bool preamp = false;
};

bool ParseArgs(const Words& words, Args& a) {
    std::vector<std::string> plain;
    for (const std::string& w : words) {
        if (w == "--preamp") a.preamp = true;
        else plain.push_back(w);
    }
    if (plain.size() != 3 || (plain[0] != "import" && plain[0] != "export")) return false;
    a.import = plain[0] == "import";
    long ch = -1;
    if (!ParseInt(plain[1], ch) || ch < 0 || ch >= core::kChannels) {
        std::fprintf(stderr, "filters: CH is 0-%d\n", core::kChannels - 1);
        return false;
    }
    if (a.preamp && !a.import) return false;
    a.channel = static_cast<int>(ch);
    a.path = plain[2];
    return true;
}

int CheckArgs(const Words& words) {
    Args a;
    return ParseArgs(words, a) ? kOk : kUsage;
}

void PrintRefused(const std::string& path, const std::vector<core::FilterRefusal>& refused) {
    std::fprintf(stderr, "%s: refused, nothing changed:\n%s", path.c_str(), core::RefusalLines(refused, 40).c_str());
}

int Import(Session& s, const Args& a) {
    // The file first: a text that is refused as it stands never reaches the unit.
    const core::FilterText text = core::ReadFilterTextFile(a.path);
    if (!text.refused.empty()) {
        PrintRefused(a.path, text.refused);
        return kFileRefused;
    }
    core::UnitModel model;
    if (const int r = ReadOutModel(s, model); r != kOk) return r;
    const core::FilterImport plan = core::PlanFilterImport(text, model.current, a.channel);
    if (!plan.Ok()) {
        PrintRefused(a.path, plan.refused);
        return kFileRefused;
    }
    core::ModelEditor editor(model);
    core::ValueOps ops(editor, [&](const core::Change& change) {
        for (link::protocol::Frame& f : core::FramesOf(change, editor.Live(), s.Device().Profile()))
            s.Device().Send(std::move(f), true);
    });
    core::ApplyFilterImport(ops, editor.Live(), plan, a.preamp);
    s.Sink().Take();
    std::printf("%s\n", core::ImportSummary(plan).c_str());
    if (plan.hasPreamp && !a.preamp) std::printf("The preamp was left out (--preamp makes it the channel's trim).\n");
    return kOk;
}

int Export(Session& s, const Args& a) {
    core::UnitModel model;
    if (const int r = ReadOutModel(s, model); r != kOk) return r;
    std::vector<std::string> left;
    const std::string text = core::WriteFilterText(model.current, a.channel, &left);
    std::string error;
    if (!platform::WriteFileAtomically(a.path, text, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return kFileNotWritten;
    }
    for (const std::string& l : left) std::fprintf(stderr, "not written (no filter line holds it): %s\n", l.c_str());
    return kOk;
}

int Filters(Session& s, const Words& words) {
    Args a;
    if (!ParseArgs(words, a)) return kUsage;
    return a.import ? Import(s, a) : Export(s, a);
}

void RegisterFilterCommands() {
    Register({"filters", "import CH FILE [--preamp] | export CH FILE",
              "import: the filter text of a measurement or equaliser program into channel CH\n"
              "(0-9), checked whole first: a line the unit cannot take is named and nothing\n"
              "changes (exit 5). Peaking filters become the channel's bands (their Q\n"
              "converted to the unit's band, the worst difference printed), HP/LP lines its\n"
              "crossover; with --preamp the preamp becomes the channel's trim. export: the\n"
              "channel as such text (Preamp, then Filter lines).",
              Filters, CheckArgs});
}

const Registrar registrar(RegisterFilterCommands);

}  // namespace

}  // namespace dvdsp::cli
