// Writing profile files. Keys come in a fixed order, and the text is cJSON's unformatted
// print, written byte for byte.
#include <cjson/cJSON.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "base/identity.h"
#include "platform/atomic_file.h"
#include "core/profile.h"

namespace dvdsp::core {

namespace {

using Json = std::unique_ptr<cJSON, decltype(&cJSON_Delete)>;

void AddInt(cJSON* o, const char* key, int32_t v) { cJSON_AddNumberToObject(o, key, v); }
void AddFloat(cJSON* o, const char* key, float v) {
    cJSON_AddNumberToObject(o, key, static_cast<double>(v));
}

template <size_t N>
cJSON* IntArray(const std::array<int32_t, N>& a) {
    cJSON* arr = cJSON_CreateArray();
    for (int32_t v : a) cJSON_AddItemToArray(arr, cJSON_CreateNumber(v));
    return arr;
}
template <size_t N, size_t M>
cJSON* IntArray(const std::array<std::array<int32_t, M>, N>& a) {
    cJSON* arr = cJSON_CreateArray();
    for (const auto& row : a) cJSON_AddItemToArray(arr, IntArray(row));
    return arr;
}
template <size_t N, size_t M, size_t K>
cJSON* IntArray(const std::array<std::array<std::array<int32_t, K>, M>, N>& a) {
    cJSON* arr = cJSON_CreateArray();
    for (const auto& plane : a) cJSON_AddItemToArray(arr, IntArray(plane));
    return arr;
}

cJSON* FilterObject(const CrossoverFilter& f) {
    cJSON* o = cJSON_CreateObject();
    AddInt(o, "fs", f.freq);
    AddInt(o, "type", f.type);
    AddInt(o, "slope", f.slope);
    AddInt(o, "bypass", f.bypass);
    return o;
}

cJSON* ChannelObject(const SceneState& s, int ch) {
    const ChannelSettings& c = s.channels[static_cast<size_t>(ch)];
    cJSON* o = cJSON_CreateObject();
    AddInt(o, "eqSize", c.eqSize);
    AddFloat(o, "gain", c.gain);
    AddInt(o, "mute", c.mute);
    AddFloat(o, "delay", c.delay);
    AddInt(o, "solo", c.solo);
    AddInt(o, "phase", c.phase);
    AddInt(o, "bypass", c.bypass);
    cJSON* x = cJSON_AddObjectToObject(o, "crossover");
    AddInt(x, "bpType", c.bpType);
    cJSON_AddItemToObject(x, "hp", FilterObject(c.hp));
    cJSON_AddItemToObject(x, "lp", FilterObject(c.lp));
    cJSON* bands = cJSON_AddArrayToObject(o, "eqArray");
    const int n = std::clamp(c.eqSize, 0, kBandsPerChannel);
    for (int b = 0; b < n; ++b) {
        const EqBand& band = s.Bands(ch)[b];
        cJSON* bo = cJSON_CreateObject();
        AddInt(bo, "freq", band.freq);
        AddFloat(bo, "eqFactor", band.q);
        AddFloat(bo, "eqGain", band.gain);
        AddInt(bo, "enable", band.enable);
        cJSON_AddItemToArray(bands, bo);
    }
    return o;
}

cJSON* Channels(const SceneState& s) {
    cJSON* arr = cJSON_CreateArray();
    for (int ch = 0; ch < kChannels; ++ch) cJSON_AddItemToArray(arr, ChannelObject(s, ch));
    return arr;
}

void AddHeader(cJSON* root, const SceneState& s) {
    AddInt(root, "model", kModelId);
    cJSON_AddStringToObject(root, "model_name", kModelName);
    AddInt(root, "mainVolume", s.mainVolume);
    AddInt(root, "acc", s.acc);
    AddInt(root, "subVolume", s.subVolume);
    AddInt(root, "mainVolumeMute", s.mainMute);
}

void AddCrossSource(cJSON* o, const SceneState& s) {
    cJSON_AddItemToObject(o, "csmViceSource", IntArray(s.csmViceSource));
    cJSON_AddItemToObject(o, "csmViceCh", IntArray(s.csmViceCh));
    cJSON_AddItemToObject(o, "csmViceGain", IntArray(s.csmViceGain));
}

// The keys from "outputs" to "lockMode" shared by the profiles; `groups` adds the link
// and delay-link groups of the scene profile.
void AddOutputs(cJSON* o, const SceneState& s, bool groups) {
    cJSON_AddItemToObject(o, "outputs", IntArray(s.outputs));
    cJSON_AddItemToObject(o, "outputs_bk", IntArray(s.outputsBk));
    cJSON_AddItemToObject(o, "linkOutputs", IntArray(s.linkOutputs));
    cJSON_AddItemToObject(o, "bridgeOutputs", IntArray(s.bridge));
    if (groups) {
        cJSON_AddItemToObject(o, "linkSel", IntArray(s.linkSel));
        cJSON_AddItemToObject(o, "delayLinkSel", IntArray(s.delayLinkSel));
    }
    cJSON_AddItemToObject(o, "showOutChEqualizer", IntArray(s.showOutChEqualizer));
    AddInt(o, "currOutChannel", s.currOutChannel);
    AddInt(o, "linkMode", s.linkMode);
    AddInt(o, "lockMode", s.lockMode);
}

std::string Print(cJSON* root) {
    char* text = cJSON_PrintUnformatted(root);
    std::string out = text ? text : "";
    cJSON_free(text);
    return out;
}

ProfileResult WriteText(const std::string& path, const std::string& text) {
    // An earlier file of that name stays whole until the new one is complete.
    std::string error;
    if (!platform::WriteFileAtomically(path, text, &error)) return {ProfileStatus::CreateError, error};
    return {};
}

}  // namespace

std::string SceneProfileText(const SceneState& s) {
    Json root(cJSON_CreateObject(), cJSON_Delete);
    cJSON* r = root.get();
    AddHeader(r, s);
    cJSON_AddItemToObject(r, "channels", Channels(s));
    cJSON_AddItemToObject(r, "inputs", IntArray(s.inputs));
    cJSON_AddItemToObject(r, "inputMixVolume", IntArray(s.inputMixVolume));
    AddCrossSource(r, s);
    AddOutputs(r, s, true);
    cJSON_AddItemToObject(r, "inMixPhase", IntArray(s.inMixPhase));
    return Print(r);
}

std::string WholeProfileText(const UnitModel& m) {
    Json root(cJSON_CreateObject(), cJSON_Delete);
    cJSON* r = root.get();
    AddHeader(r, m.current);
    cJSON* names = cJSON_AddArrayToObject(r, "sceneName");
    for (const SceneName& n : m.names) {
        const auto bytes = SceneNameBytes(n);
        cJSON_AddItemToArray(names, cJSON_CreateString(Base64Encode(bytes.data(), bytes.size()).c_str()));
    }
    // The cross-source arrays and groups of the live settings, then of each scene.
    const auto groups = [r](const SceneState& s) {
        AddCrossSource(r, s);
        cJSON_AddItemToObject(r, "linkSel", IntArray(s.linkSel));
        cJSON_AddItemToObject(r, "delayLinkSel", IntArray(s.delayLinkSel));
    };
    groups(m.current);
    for (const SceneState& s : m.scenes) groups(s);

    cJSON* cur = cJSON_AddObjectToObject(r, "currentProfile");
    cJSON_AddItemToObject(cur, "channels", Channels(m.current));
    cJSON_AddItemToObject(cur, "inputs", IntArray(m.current.inputs));
    cJSON_AddItemToObject(cur, "inputMixVolume", IntArray(m.current.inputMixVolume));
    cJSON_AddItemToObject(cur, "inMixPhase", IntArray(m.current.inMixPhase));
    AddOutputs(cur, m.current, false);

    cJSON* scenes = cJSON_AddArrayToObject(r, "sceneArray");
    for (const SceneState& s : m.scenes) {
        cJSON* o = cJSON_CreateObject();
        cJSON_AddItemToObject(o, "channels", Channels(s));
        cJSON_AddItemToObject(o, "inputs", IntArray(s.inputs));
        cJSON_AddItemToObject(o, "inputMixVolume", IntArray(s.inputMixVolume));
        AddOutputs(o, s, false);
        cJSON_AddItemToArray(scenes, o);
    }
    return Print(r);
}

ProfileResult WriteSceneProfile(const std::string& path, const SceneState& s) {
    return WriteText(path, SceneProfileText(s));
}

ProfileResult WriteWholeProfile(const std::string& path, const UnitModel& m) {
    return WriteText(path, WholeProfileText(m));
}

const char* MessageKey(const ProfileResult& r, bool writing) {
    switch (r.status) {
        case ProfileStatus::Ok: return writing ? "${profile_save_ok}" : "";
        case ProfileStatus::OpenError: return "${profile_open_error}";
        case ProfileStatus::ModelMismatch: return "${software_not_match}";
        case ProfileStatus::LoadError: return "${profile_load_error}";
        case ProfileStatus::CreateError: return "${profile_create_error}";
    }
    return "";
}

std::string Base64Encode(const uint8_t* data, size_t len) {
    static const char* const kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < len; i += 3) {
        uint32_t v = static_cast<uint32_t>(data[i]) << 16;
        if (i + 1 < len) v |= static_cast<uint32_t>(data[i + 1]) << 8;
        if (i + 2 < len) v |= data[i + 2];
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += i + 1 < len ? kAlphabet[(v >> 6) & 63] : '=';
        out += i + 2 < len ? kAlphabet[v & 63] : '=';
    }
    return out;
}

bool Base64Decode(std::string_view text, std::string& out) {
    out.clear();
    if (text.size() % 4 != 0) return false;
    const auto value = [](char c) -> int {
        if (c >= 'A' && c <= 'Z') return c - 'A';
        if (c >= 'a' && c <= 'z') return c - 'a' + 26;
        if (c >= '0' && c <= '9') return c - '0' + 52;
        if (c == '+') return 62;
        if (c == '/') return 63;
        return -1;
    };
    for (size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        int v[4];
        int pad = 0;
        for (size_t k = 0; k < 4; ++k) {
            const char c = text[i + k];
            if (c == '=' && last && k >= 2) {
                v[k] = 0;
                ++pad;
                continue;
            }
            if (pad) return false;  // data after padding
            v[k] = value(c);
            if (v[k] < 0) return false;
        }
        const uint32_t w = (static_cast<uint32_t>(v[0]) << 18) | (static_cast<uint32_t>(v[1]) << 12) |
                           (static_cast<uint32_t>(v[2]) << 6) | static_cast<uint32_t>(v[3]);
        out += static_cast<char>((w >> 16) & 0xFF);
        if (pad < 2) out += static_cast<char>((w >> 8) & 0xFF);
        if (pad < 1) out += static_cast<char>(w & 0xFF);
    }
    return true;
}

}  // namespace dvdsp::core
