// Reading profile files. Every key is checked for its type and size; the values go into a
// working copy that replaces the model only when the whole file was read.
#include <cjson/cJSON.h>

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "base/identity.h"
#include "base/log.h"
#include "core/profile.h"
#include "core/profile_limits.h"
#include "platform/file_access.h"

namespace dvdsp::core {

namespace {

using Json = std::unique_ptr<cJSON, decltype(&cJSON_Delete)>;

// Walks a parsed file; the first fault ends the walk and is kept as the detail.
class Reader {
public:
    bool Fail(std::string why) {
        if (error_.empty()) error_ = std::move(why);
        return false;
    }
    const std::string& Error() const { return error_; }
    // Names where the fault lies; always false.
    bool Prefix(const std::string& where) {
        error_ = where + ": " + error_;
        return false;
    }

    const cJSON* Item(const cJSON* o, const char* key) {
        const cJSON* it = cJSON_GetObjectItemCaseSensitive(o, key);
        if (!it) Fail(std::string("missing \"") + key + "\"");
        return it;
    }
    bool Number(const cJSON* it, const char* key) {
        if (cJSON_IsNumber(it)) return true;
        return Fail(std::string("\"") + key + "\" is not a number");
    }
    bool Int(const cJSON* o, const char* key, int32_t& out) {
        const cJSON* it = Item(o, key);
        if (!it || !Number(it, key)) return false;
        out = it->valueint;
        return true;
    }
    bool Float(const cJSON* o, const char* key, float& out) {
        const cJSON* it = Item(o, key);
        if (!it || !Number(it, key)) return false;
        const double v = it->valuedouble;
        out = std::isfinite(v) ? static_cast<float>(std::clamp(v, -double{FLT_MAX}, double{FLT_MAX}))
                               : static_cast<float>(v);
        return true;
    }
    bool Array(const cJSON* it, const char* key, int size) {
        if (!cJSON_IsArray(it)) return Fail(std::string("\"") + key + "\" is not an array");
        const int n = cJSON_GetArraySize(it);
        if (n != size)
            return Fail(std::string("\"") + key + "\" has " + std::to_string(n) + " entries, " +
                        std::to_string(size) + " expected");
        return true;
    }
    template <size_t N>
    bool Ints(const cJSON* it, const char* key, std::array<int32_t, N>& out) {
        if (!Array(it, key, static_cast<int>(N))) return false;
        size_t i = 0;
        for (const cJSON* e = it->child; e; e = e->next, ++i) {
            if (!Number(e, key)) return false;
            out[i] = e->valueint;
        }
        return true;
    }
    template <size_t N, size_t M>
    bool Ints(const cJSON* it, const char* key, std::array<std::array<int32_t, M>, N>& out) {
        if (!Array(it, key, static_cast<int>(N))) return false;
        size_t i = 0;
        for (const cJSON* e = it->child; e; e = e->next, ++i)
            if (!Ints(e, key, out[i])) return false;
        return true;
    }
    template <size_t N, size_t M, size_t K>
    bool Ints(const cJSON* it, const char* key,
              std::array<std::array<std::array<int32_t, K>, M>, N>& out) {
        if (!Array(it, key, static_cast<int>(N))) return false;
        size_t i = 0;
        for (const cJSON* e = it->child; e; e = e->next, ++i)
            if (!Ints(e, key, out[i])) return false;
        return true;
    }
    template <typename A>
    bool Key(const cJSON* o, const char* key, A& out) {
        const cJSON* it = Item(o, key);
        return it && Ints(it, key, out);
    }
    // An array that older files may lack: a missing one keeps its value, one present must
    // be well formed.
    template <typename A>
    bool IfPresent(const cJSON* it, const char* key, A& out) {
        return !it || Ints(it, key, out);
    }
    // An array that is taken only when it is present and well formed.
    template <typename A>
    void Optional(const cJSON* it, A& out) {
        if (!it) return;
        Reader probe;
        A value = out;
        if (probe.Ints(it, "", value)) out = value;
    }

    bool Filter(const cJSON* o, const char* key, CrossoverFilter& f) {
        const cJSON* it = Item(o, key);
        if (!it) return false;
        if (!cJSON_IsObject(it)) return Fail(std::string("\"") + key + "\" is not an object");
        return Int(it, "fs", f.freq) && Int(it, "type", f.type) && Int(it, "slope", f.slope) &&
               Int(it, "bypass", f.bypass);
    }

    bool Channel(const cJSON* o, SceneState& s, int ch) {
        ChannelSettings& c = s.channels[static_cast<size_t>(ch)];
        int32_t mute = 0, solo = 0, phase = 0, bypass = 0;
        if (!Int(o, "eqSize", c.eqSize)) return false;
        if (c.eqSize < 0 || c.eqSize > kBandsPerChannel)
            return Fail("\"eqSize\" " + std::to_string(c.eqSize) + " is more than " +
                        std::to_string(kBandsPerChannel) + " bands");
        if (!Float(o, "gain", c.gain) || !Int(o, "mute", mute) || !Float(o, "delay", c.delay) ||
            !Int(o, "solo", solo) || !Int(o, "phase", phase) || !Int(o, "bypass", bypass))
            return false;
        c.mute = mute;
        c.solo = solo;
        c.phase = phase;
        c.bypass = static_cast<uint8_t>(bypass);
        const cJSON* x = Item(o, "crossover");
        if (!x) return false;
        if (!cJSON_IsObject(x)) return Fail("\"crossover\" is not an object");
        if (!Int(x, "bpType", c.bpType) || !Filter(x, "hp", c.hp) || !Filter(x, "lp", c.lp))
            return false;
        const cJSON* bands = Item(o, "eqArray");
        if (!bands || !Array(bands, "eqArray", c.eqSize)) return false;
        int b = 0;
        for (const cJSON* e = bands->child; e; e = e->next, ++b) {
            if (!cJSON_IsObject(e)) return Fail("a band of \"eqArray\" is not an object");
            EqBand& band = s.Bands(ch)[b];
            int32_t enable = 0;
            if (!Int(e, "freq", band.freq) || !Float(e, "eqFactor", band.q) ||
                !Float(e, "eqGain", band.gain) || !Int(e, "enable", enable))
                return false;
            band.enable = enable != 0 ? 1 : 0;
        }
        return true;
    }

    bool Channels(const cJSON* o, SceneState& s) {
        const cJSON* arr = Item(o, "channels");
        if (!arr || !Array(arr, "channels", kChannels)) return false;
        int ch = 0;
        for (const cJSON* e = arr->child; e; e = e->next, ++ch) {
            if (!cJSON_IsObject(e)) return Fail("a channel of \"channels\" is not an object");
            if (!Channel(e, s, ch)) return Prefix("channel " + std::to_string(ch + 1));
        }
        return true;
    }

    // The speaker roles, links, shown curves, current channel and modes of a scene.
    bool Outputs(const cJSON* o, SceneState& s) {
        if (!Key(o, "outputs", s.outputs) || !Key(o, "outputs_bk", s.outputsBk) ||
            !Key(o, "linkOutputs", s.linkOutputs) || !Key(o, "showOutChEqualizer", s.showOutChEqualizer))
            return false;
        if (!Int(o, "currOutChannel", s.currOutChannel) || !Int(o, "linkMode", s.linkMode) ||
            !Int(o, "lockMode", s.lockMode))
            return false;
        if (s.currOutChannel < 0 || s.currOutChannel >= kChannels)
            return Fail("\"currOutChannel\" " + std::to_string(s.currOutChannel) + " is no channel");
        return true;
    }

private:
    std::string error_;
};

struct Parsed {
    Json root{nullptr, cJSON_Delete};
    ProfileResult result;
};

// Steps shared by both readers: parse, then the model check.
Parsed Open(std::string_view text) {
    Parsed p;
    if (text.size() > kMaxProfileBytes) {
        p.result = {ProfileStatus::LoadError, "the file is " + std::to_string(text.size()) +
                                                  " bytes, larger than any profile (" +
                                                  std::to_string(kMaxProfileBytes) + " at most)"};
        return p;
    }
    p.root.reset(cJSON_ParseWithLength(text.data(), text.size()));
    if (!p.root || !cJSON_IsObject(p.root.get())) {
        p.result = {ProfileStatus::OpenError, "not a profile (no JSON object)"};
        return p;
    }
    const cJSON* model = cJSON_GetObjectItemCaseSensitive(p.root.get(), "model");
    if (!cJSON_IsNumber(model)) {
        p.result = {ProfileStatus::LoadError, "missing \"model\""};
    } else if (model->valueint != kModelId || model->valuedouble != kModelId) {
        LogWriteNarrow("read profile file error! error1\n");
        p.result = {ProfileStatus::ModelMismatch,
                    "the file is for model " + std::to_string(model->valueint) + ", not " +
                        std::to_string(kModelId) + " (" + kModelName + ")"};
    }
    return p;
}

ProfileResult LoadFailed(const Reader& r) {
    LogWriteNarrow("read profile file error! error\n");
    LogWriteNarrow("read profile file error! error1\n");
    return {ProfileStatus::LoadError, r.Error()};
}

bool Header(Reader& r, const cJSON* root, SceneState& s) {
    return r.Int(root, "mainVolume", s.mainVolume) && r.Int(root, "acc", s.acc) &&
           r.Int(root, "subVolume", s.subVolume) && r.Int(root, "mainVolumeMute", s.mainMute);
}

// The n-th occurrence (from 0) of a key in an object that may repeat it.
const cJSON* Occurrence(const cJSON* o, const char* key, int n) {
    for (const cJSON* e = o->child; e; e = e->next)
        if (e->string && std::string_view(e->string) == key && n-- == 0) return e;
    return nullptr;
}

// How the outputs of the live settings (`at` 0) or of scene `at` are wired: the bridge
// pairs of its object `o`, and its link groups, delay-link groups and cross-source feeds,
// which follow each other in the root, the live settings' first. Files that lack them keep
// the values they replace; files that hold the cross-source arrays only once give every
// scene the first ones.
bool Wiring(Reader& r, const cJSON* root, const cJSON* o, int at, SceneState& s) {
    if (!r.IfPresent(cJSON_GetObjectItemCaseSensitive(o, "bridgeOutputs"), "bridgeOutputs", s.bridge) ||
        !r.IfPresent(Occurrence(root, "linkSel", at), "linkSel", s.linkSel) ||
        !r.IfPresent(Occurrence(root, "delayLinkSel", at), "delayLinkSel", s.delayLinkSel))
        return false;
    for (const auto& [key, field] : {std::pair{"csmViceSource", &SceneState::csmViceSource},
                                     std::pair{"csmViceCh", &SceneState::csmViceCh},
                                     std::pair{"csmViceGain", &SceneState::csmViceGain}}) {
        const cJSON* it = Occurrence(root, key, at);
        r.Optional(it ? it : Occurrence(root, key, 0), s.*field);
    }
    return true;
}

}  // namespace

ProfileResult ParseSceneProfile(std::string_view text, SceneState& current) {
    Parsed p = Open(text);
    if (!p.result.ok()) return p.result;
    const cJSON* root = p.root.get();
    SceneState s = current;
    Reader r;
    const bool ok = Header(r, root, s) && r.Key(root, "inputs", s.inputs) &&
                    r.Key(root, "inputMixVolume", s.inputMixVolume) && [&] {
                        r.Optional(cJSON_GetObjectItemCaseSensitive(root, "csmViceSource"), s.csmViceSource);
                        r.Optional(cJSON_GetObjectItemCaseSensitive(root, "csmViceCh"), s.csmViceCh);
                        r.Optional(cJSON_GetObjectItemCaseSensitive(root, "csmViceGain"), s.csmViceGain);
                        return true;
                    }() && r.Key(root, "outputs", s.outputs) && r.Key(root, "outputs_bk", s.outputsBk) &&
                    r.Key(root, "linkOutputs", s.linkOutputs) && r.Key(root, "linkSel", s.linkSel) &&
                    r.Key(root, "delayLinkSel", s.delayLinkSel) &&
                    r.Key(root, "bridgeOutputs", s.bridge) && r.Outputs(root, s) &&
                    r.Key(root, "inMixPhase", s.inMixPhase) && r.Channels(root, s);
    if (!ok) return LoadFailed(r);
    if (std::string bad = ValueOutOfRange(s); !bad.empty()) {
        r.Fail(bad);
        return LoadFailed(r);
    }
    current = s;
    LogWriteNarrow("read profile file ok\n");
    return {};
}

ProfileResult ParseWholeProfile(std::string_view text, UnitModel& model) {
    Parsed p = Open(text);
    if (!p.result.ok()) return p.result;
    const cJSON* root = p.root.get();
    auto work = std::make_unique<UnitModel>(model);  // large: kept off the stack
    UnitModel& m = *work;
    Reader r;
    const auto names = [&] {
        const cJSON* arr = r.Item(root, "sceneName");
        if (!arr || !r.Array(arr, "sceneName", kStoredScenes)) return false;
        size_t i = 0;
        for (const cJSON* e = arr->child; e; e = e->next, ++i) {
            std::string bytes;
            if (!cJSON_IsString(e) || !Base64Decode(e->valuestring, bytes))
                return r.Fail("scene name " + std::to_string(i + 1) + " is not Base64 text");
            m.names[i] = SceneNameFromBytes(reinterpret_cast<const uint8_t*>(bytes.data()),
                                            std::min<size_t>(bytes.size(), kSceneNameBytes));
            if (SceneNameHasControl(m.names[i]))
                return r.Fail("scene name " + std::to_string(i + 1) + " holds a control character");
        }
        return true;
    };
    const auto current = [&] {
        const cJSON* o = r.Item(root, "currentProfile");
        if (!o) return false;
        if (!cJSON_IsObject(o)) return r.Fail("\"currentProfile\" is not an object");
        SceneState& s = m.current;
        return r.Key(o, "inputs", s.inputs) && r.Outputs(o, s) &&
               r.Key(o, "inputMixVolume", s.inputMixVolume) && r.Key(o, "inMixPhase", s.inMixPhase) &&
               r.Channels(o, s) && Wiring(r, root, o, 0, s);
    };
    const auto scenes = [&] {
        const cJSON* arr = r.Item(root, "sceneArray");
        if (!arr || !r.Array(arr, "sceneArray", kStoredScenes)) return false;
        int n = 0;
        for (const cJSON* o = arr->child; o; o = o->next, ++n) {
            if (!cJSON_IsObject(o)) return r.Fail("a scene of \"sceneArray\" is not an object");
            SceneState& s = m.scenes[static_cast<size_t>(n)];
            if (!(r.Key(o, "inputs", s.inputs) && r.Key(o, "inputMixVolume", s.inputMixVolume) &&
                  r.Outputs(o, s) && r.Channels(o, s) && Wiring(r, root, o, n + 1, s)))
                return r.Prefix("scene " + std::to_string(n + 1));
        }
        return true;
    };
    if (!(Header(r, root, m.current) && names() && current() && scenes())) return LoadFailed(r);
    if (std::string bad = ValueOutOfRange(m.current); !bad.empty()) {
        r.Fail("the live settings: " + bad);
        return LoadFailed(r);
    }
    for (int n = 0; n < kStoredScenes; ++n)
        if (std::string bad = ValueOutOfRange(m.scenes[static_cast<size_t>(n)]); !bad.empty()) {
            r.Fail("scene " + std::to_string(n + 1) + ": " + bad);
            return LoadFailed(r);
        }
    model = m;
    LogWriteNarrow("read profile file ok\n");
    return {};
}

bool ReadWholeFile(const std::string& path, std::string& out, std::string* why) {
    // Only a regular file, and no more of it than any profile can be: a device or a FIFO
    // named as a profile is refused at once.
    std::string error;
    const platform::ReadStatus r = platform::ReadRegularFile(path, kMaxProfileBytes, &out, &error);
    if (r == platform::ReadStatus::TooLarge)
        error = path + " is larger than any profile (" + std::to_string(kMaxProfileBytes) + " bytes at most)";
    if (why) *why = error;
    return r == platform::ReadStatus::Ok;
}

ProfileResult ReadSceneProfile(const std::string& path, SceneState& current) {
    std::string text, why;
    if (!ReadWholeFile(path, text, &why)) return {ProfileStatus::OpenError, why};
    return ParseSceneProfile(text, current);
}

ProfileResult ReadWholeProfile(const std::string& path, UnitModel& model) {
    std::string text, why;
    if (!ReadWholeFile(path, text, &why)) return {ProfileStatus::OpenError, why};
    return ParseWholeProfile(text, model);
}

ProfileKind ProfileKindOf(const std::string& path, std::string_view text) {
    std::string ext = path.size() >= 4 ? path.substr(path.size() - 4) : "";
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == ".spf") return ProfileKind::Scene;
    if (ext == ".wpf") return ProfileKind::Whole;
    return text.find("\"currentProfile\"") != std::string_view::npos ? ProfileKind::Whole
                                                                     : ProfileKind::Scene;
}

}  // namespace dvdsp::core
