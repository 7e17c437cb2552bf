// profile check and profile diff: profile files read without a unit.
#include <cstdio>
#include <memory>

#include "cli/cmd_model.h"
#include "core/profile_diff.h"

namespace dvdsp::cli {

namespace {

struct Loaded {
    core::ProfileKind kind = core::ProfileKind::Scene;
    std::unique_ptr<core::UnitModel> model = std::make_unique<core::UnitModel>();
    core::ProfileResult result;
};

Loaded Load(const std::string& path) {
    Loaded l;
    std::string text;
    std::string why;
    if (!core::ReadWholeFile(path, text, &why)) {
        l.result = {core::ProfileStatus::OpenError, why};
        return l;
    }
    l.kind = core::ProfileKindOf(path, text);
    l.result = l.kind == core::ProfileKind::Whole ? core::ParseWholeProfile(text, *l.model)
                                                  : core::ParseSceneProfile(text, l.model->current);
    return l;
}

int Check(const std::string& path) {
    Loaded l = Load(path);
    if (!l.result.ok()) {
        PrintRefusal(path, l.result);
        return kFileRefused;
    }
    std::printf("ok: %s profile\n", l.kind == core::ProfileKind::Whole ? "whole" : "scene");
    return kOk;
}

int Diff(const std::string& a, const std::string& b) {
    Loaded x = Load(a), y = Load(b);
    for (const auto& [path, l] : {std::pair{&a, &x}, std::pair{&b, &y}})
        if (!l->result.ok()) {
            PrintRefusal(*path, l->result);
            return kFileRefused;
        }
    const bool whole = x.kind == core::ProfileKind::Whole && y.kind == core::ProfileKind::Whole;
    const auto lines = whole ? core::DiffUnits(*x.model, *y.model)
                             : core::DiffScenes(x.model->current, y.model->current);
    for (const std::string& line : lines) std::printf("%s\n", line.c_str());
    return kOk;
}

int CheckArgs(const Words& args) {
    const bool check = args.size() == 2 && args[0] == "check";
    const bool diff = args.size() == 3 && args[0] == "diff";
    return check || diff ? kOk : kUsage;
}

int Profile(Session&, const Words& args) {
    if (CheckArgs(args) != kOk) return kUsage;
    return args[0] == "check" ? Check(args[1]) : Diff(args[1], args[2]);
}

void RegisterProfileCommands() {
    Register({"profile", "check FILE | diff A B",
              "check: read and check a profile file without a unit; prints \"ok\" or why it\n"
              "was refused (exit 5). diff: the settings in which two files differ,\n"
              "one line each: where (CH<n> or unit), setting, value in A, value in B.",
              Profile, CheckArgs});
}

const Registrar registrar(RegisterProfileCommands);

}  // namespace

}  // namespace dvdsp::cli
