// backup and restore: the unit's settings to a profile file and back.

#include <cstdio>
#include <memory>
#include <string>

#include "cli/cmd_model.h"
#include "core/transfer.h"
#include "platform/paths.h"

namespace dvdsp::cli {

namespace {

// [--whole] FILE
bool ParseBackupArgs(const Words& args, bool& whole, std::string& path) {
    whole = false;
    path.clear();
    for (const std::string& a : args) {
        if (a == "--whole") whole = true;
        else if (path.empty()) path = a;
        else return false;
    }
    return !path.empty();
}

int CheckBackup(const Words& args) {
    bool whole;
    std::string path;
    return ParseBackupArgs(args, whole, path) ? kOk : kUsage;
}

int CheckRestore(const Words& args) { return args.size() == 1 ? kOk : kUsage; }

int Backup(Session& s, const Words& args) {
    bool whole = false;
    std::string path;
    if (!ParseBackupArgs(args, whole, path)) return kUsage;
    auto model = std::make_unique<core::UnitModel>();
    int r = s.Open();
    if (r != kOk) return r;
    if (whole) {
        s.Sink().Take();
        std::string why;
        for (int n = 1; n <= core::kStoredScenes; ++n) {
            if (!core::ReadStoredScene(s.Device(), n, SceneClock(s), &why))
                return TransferFailed("reading the stored scenes", why);
            ApplyPosted(s, *model);
        }
        link::ExchangeSequence back(s.Device(), "back to the live settings");
        s.Device().ReadScene(0, 0);
        if (!back.Complete()) return TransferFailed("reading the stored scenes", back.Summary());
    }
    r = ReadOutModel(s, *model);
    if (r != kOk) return r;
    const core::ProfileResult w = whole ? core::WriteWholeProfile(path, *model)
                                        : core::WriteSceneProfile(path, model->current);
    if (!w.ok()) {
        std::fprintf(stderr, "%s: not written: %s%s%s\n", path.c_str(), ProfileMessage(w, true).c_str(),
                     w.detail.empty() ? "" : ": ", w.detail.c_str());
        return kFileNotWritten;
    }
    std::printf("%s profile of the unit written to %s\n", whole ? "whole" : "scene", path.c_str());
    return kOk;
}

int Restore(Session& s, const Words& args) {
    if (CheckRestore(args) != kOk) return kUsage;
    const std::string& path = args[0];
    std::string text;
    std::string unread;
    if (!core::ReadWholeFile(path, text, &unread)) {
        PrintRefusal(path, {core::ProfileStatus::OpenError, unread});
        return kFileRefused;
    }
    // Check the file before the unit is touched, on a model of defaults.
    const core::ProfileKind kind = core::ProfileKindOf(path, text);
    auto probe = std::make_unique<core::UnitModel>();
    core::ProfileResult check = kind == core::ProfileKind::Whole
                                    ? core::ParseWholeProfile(text, *probe)
                                    : core::ParseSceneProfile(text, probe->current);
    if (!check.ok()) {
        PrintRefusal(path, check);
        return kFileRefused;
    }
    // What the file does not hold (current source, and so on) is the unit's own.
    auto model = std::make_unique<core::UnitModel>();
    int r = ReadOutModel(s, *model);
    if (r != kOk) return r;
    if (kind == core::ProfileKind::Whole) core::ParseWholeProfile(text, *model);
    else core::ParseSceneProfile(text, model->current);

    const bool terminal = platform::IsTerminal(stderr);
    const auto progress = [terminal](int done, int total) {
        if (terminal && (done % 16 == 0 || done == total))
            std::fprintf(stderr, "\rrestoring: %d of %d commands", done, total);
    };
    std::string why;
    const bool written = kind == core::ProfileKind::Whole
                             ? core::SetReadWholeProfileToMCU(s.Device(), *model, progress, &why)
                             : core::SetReadCurProfileToMCU(s.Device(), model->current, progress, &why);
    if (terminal) std::fprintf(stderr, "\n");
    s.Sink().Take();
    if (!written) {
        // What did reach the unit is kept, as a unit keeps it.
        s.KeepState();
        std::fprintf(stderr, "%s was not written to the unit completely\n", path.c_str());
        return TransferFailed("restore", why);
    }
    if (int kept = s.KeepState(); kept != kOk) return kept;
    std::printf("%s written to the unit\n", path.c_str());
    return kOk;
}

void RegisterBackupCommands() {
    Register({"backup", "[--whole] FILE",
              "Read the unit's settings and write them as a scene profile (.spf); with --whole\n"
              "read every stored scene too and write a whole configuration profile (.wpf).",
              Backup, CheckBackup});
    Register({"restore", "FILE.spf|FILE.wpf",
              "Check a profile file, then write it to the unit (a .wpf also writes the ten\n"
              "stored scenes and their names). A refused file exits with 5 and says why.",
              Restore, CheckRestore});
}

const Registrar registrar(RegisterBackupCommands);

}  // namespace

}  // namespace dvdsp::cli
