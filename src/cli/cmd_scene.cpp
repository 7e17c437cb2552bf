// scene: the scenes stored in the unit's flash.
#include <cstdio>
#include <memory>
#include <string>

#include "cli/cmd_model.h"
#include "core/transfer.h"
#include "link/commands.h"

namespace dvdsp::cli {

namespace {

// Reads the valid mask and the ten names.
int ReadScenes(Session& s, core::UnitModel& m) {
    int r = s.Open();
    if (r != kOk) return r;
    s.Sink().Take();
    link::ExchangeSequence sequence(s.Device(), "reading the scene names");
    s.Device().GetSceneValid();
    for (uint8_t n = 1; n <= core::kStoredScenes; ++n) s.Device().GetSceneName(n);
    ApplyPosted(s, m);
    if (!sequence.Complete()) return TransferFailed("reading the scenes", sequence.Summary());
    return kOk;
}

bool Acknowledged(Session& s, uint32_t msg, int scene) {
    for (const link::Message& m : s.Sink().Take())
        if (m.msg == msg && m.wparam == static_cast<uint32_t>(scene)) return true;
    return false;
}

// Counts UTF-8 characters: every byte that does not continue a sequence.
size_t Utf8Characters(const std::string& text) {
    size_t n = 0;
    for (char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    return n;
}

// A name as `scene list` prints it: one line a scene, whatever another program stored.
std::string ListedName(core::SceneName name) {
    for (char16_t& c : name)
        if (c != 0 && core::SceneNameHasControl(core::SceneName{c})) c = u'?';
    return core::SceneNameToUtf8(name);
}

// list | load N | save N NAME | delete N; false after saying what is wrong (a bare false:
// the synopsis tells).
bool ParseScene(const Words& args, long& n) {
    if (args.empty()) return false;
    const std::string& what = args[0];
    const size_t count = what == "list" ? 1 : what == "save" ? 3 : what == "load" || what == "delete" ? 2 : 0;
    if (count == 0 || args.size() != count) return false;
    if (what == "list") return true;
    if (!ParseInt(args[1], n) || n < 1 || n > core::kStoredScenes) {
        std::fprintf(stderr, "scene numbers are 1 to %d\n", core::kStoredScenes);
        return false;
    }
    if (what == "save" && core::SceneNameHasControl(core::SceneNameFromUtf8(args[2]))) {
        std::fprintf(stderr, "scene names cannot hold control characters (a line break, a tab)\n");
        return false;
    }
    constexpr size_t kMaxName = core::kSceneNameChars - 1;
    if (what == "save" && Utf8Characters(args[2]) > kMaxName) {
        std::fprintf(stderr, "scene names have at most %zu characters; \"%s\" has %zu\n", kMaxName,
                     args[2].c_str(), Utf8Characters(args[2]));
        return false;
    }
    return true;
}

int CheckScene(const Words& args) {
    long n = 0;
    return ParseScene(args, n) ? kOk : kUsage;
}

int SceneCommand(Session& s, const Words& args) {
    long n = 0;
    if (!ParseScene(args, n)) return kUsage;
    const std::string& what = args[0];
    const int scene = static_cast<int>(n);
    auto m = std::make_unique<core::UnitModel>();
    int r = ReadScenes(s, *m);
    if (r != kOk) return r;
    const bool valid = (m->validScenes >> scene) & 1;
    const auto slot = static_cast<size_t>(scene - 1);

    if (what == "list" && args.size() == 1) {
        for (int k = 1; k <= core::kStoredScenes; ++k)
            std::printf("%d %s %s\n", k, (m->validScenes >> k) & 1 ? "stored" : "empty",
                        ListedName(m->names[static_cast<size_t>(k - 1)]).c_str());
        return kOk;
    }
    if (what == "load" && args.size() == 2) {
        if (!valid) {
            std::fprintf(stderr, "scene %d is empty; nothing loaded\n", scene);
            return kUnitError;
        }
        link::ExchangeSequence load(s.Device(), "loading scene " + std::to_string(scene));
        s.Device().ReadScene(static_cast<uint8_t>(scene), 0);
        if (!load.Complete()) return TransferFailed("loading the scene", load.Summary());
        if (int kept = s.KeepState(); kept != kOk) return kept;
        std::printf("scene %d loaded\n", scene);
        return kOk;
    }
    if (what == "save" && args.size() == 3) {
        const core::SceneName name = core::SceneNameFromUtf8(args[2]);
        if (name[0] != 0)
            for (int k = 1; k <= core::kStoredScenes; ++k)
                if (k != scene && m->names[static_cast<size_t>(k - 1)] == name) {
                    std::fprintf(stderr, "scene %d is already named \"%s\"; nothing saved\n", k,
                                 core::SceneNameToUtf8(name).c_str());
                    return kUsage;
                }
        s.Sink().Take();
        std::string why;
        if (!core::StoreLiveAsScene(s.Device(), scene, name, &why)) return TransferFailed("saving the scene", why);
        if (!Acknowledged(s, link::WM_READ_SCENE_VALUE, scene)) {
            std::fprintf(stderr, "the unit did not confirm saving scene %d\n", scene);
            return kUnitError;
        }
        m->names[slot] = name;
        if (int kept = s.KeepState(); kept != kOk) return kept;
        std::printf("scene %d saved as \"%s\"\n", scene, core::SceneNameToUtf8(name).c_str());
        return kOk;
    }
    if (what == "delete" && args.size() == 2) {
        link::ExchangeSequence erase(s.Device(), "deleting scene " + std::to_string(scene));
        s.Device().DeleteScene(static_cast<uint8_t>(scene));
        if (!erase.Complete()) return TransferFailed("deleting the scene", erase.Summary());
        if (!Acknowledged(s, link::WM_SCENE_DELETED, scene)) {
            std::fprintf(stderr, "the unit did not confirm deleting scene %d\n", scene);
            return kUnitError;
        }
        if (int kept = s.KeepState(); kept != kOk) return kept;
        std::printf("scene %d deleted\n", scene);
        return kOk;
    }
    return kUsage;
}

void RegisterSceneCommands() {
    Register({"scene", "list | load N | save N NAME | delete N",
              "The unit's stored scenes 1-10: list them with their names, load one into the\n"
              "live settings, save the live settings as scene N named NAME (at most 7\n"
              "characters), or delete one.",
              SceneCommand, CheckScene});
}

const Registrar registrar(RegisterSceneCommands);

}  // namespace

}  // namespace dvdsp::cli
