#include "emulator/state_file.h"

#include <cjson/cJSON.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <initializer_list>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

#include "emulator/wire_ranges.h"

namespace dvdsp::emu {

namespace {

constexpr const char* kFormat = "dvdsp-virtual-unit";
constexpr int kVersion = 1;

using Json = std::unique_ptr<cJSON, decltype(&cJSON_Delete)>;

// Writes or reads one flat integer array: the same walk over the fields serves both
// ways, so the two cannot disagree. Reading checks every value against its range.
class Flat {
  public:
    explicit Flat(cJSON* writeTo) : array_(writeTo), writing_(true) {}
    explicit Flat(const cJSON* readFrom)
        : next_(readFrom ? readFrom->child : nullptr), writing_(false) {
        ok_ = cJSON_IsArray(readFrom);
    }

    template <typename T>
    void operator()(T& field, long long lo, long long hi) {
        if (writing_) {
            cJSON_AddItemToArray(array_, cJSON_CreateNumber(static_cast<double>(field)));
            return;
        }
        if (!ok_) return;
        if (!next_ || !cJSON_IsNumber(next_)) {
            ok_ = false;
            return;
        }
        const double v = next_->valuedouble;
        next_ = next_->next;
        if (std::floor(v) != v || v < static_cast<double>(lo) || v > static_cast<double>(hi)) {
            ok_ = false;
            return;
        }
        field = static_cast<T>(v);
    }
    template <typename T>
    void operator()(T& field, const WireRange& r) {
        (*this)(field, r.lo, r.hi);
    }
    template <typename T>
    void operator()(T& field) {
        // long long: a long is 32 bits on Windows, too narrow for the 32-bit words.
        (*this)(field, static_cast<long long>(std::numeric_limits<T>::min()),
                static_cast<long long>(std::numeric_limits<T>::max()));
    }
    template <typename T, size_t N>
    void operator()(std::array<T, N>& a) {
        for (T& x : a) (*this)(x);
    }
    template <typename T, size_t N>
    void operator()(std::array<T, N>& a, const WireRange& r) {
        for (T& x : a) (*this)(x, r);
    }
    void operator()(Band& b) {
        (*this)(b.freq, wire_range::kBandFreq);
        (*this)(b.q100, wire_range::kBandQ100);
        (*this)(b.gain10, wire_range::kBandGain10);
    }
    void operator()(Filter& f) {
        (*this)(f.type, wire_range::kFilterType);
        (*this)(f.freq, wire_range::kFilterFreq);
        (*this)(f.slope, wire_range::kFilterSlope);
    }
    void operator()(LinkSet& l) {
        (*this)(l.on);
        (*this)(l.count, wire_range::kLinkCount);
        for (uint8_t& c : l.from) (*this)(c, wire_range::kChannel);
        for (uint8_t& c : l.to) (*this)(c, wire_range::kChannel);
    }
    // True when reading went well and used every value.
    bool Ok() const { return writing_ || (ok_ && next_ == nullptr); }

  private:
    cJSON* array_ = nullptr;
    const cJSON* next_ = nullptr;
    bool writing_;
    bool ok_ = true;
};

void VisitSettings(Flat& f, Scene& s) {
    f(s.mainVolume, wire_range::kMainVolume);
    f(s.subVolume);
    f(s.mute, wire_range::kFlag);
    f(s.ampMute);
    f(s.remOut1);
    f(s.remOut2);
    f(s.spkOhm);
    f(s.noiseGate);
    f(s.spkConfig);
    f(s.factoryPreset);
    f(s.setupMode);
    f(s.remoteVolume);
    f(s.lock, wire_range::kFlag);
    f(s.selRemote);
    f(s.link);
    f(s.trimLink);
    f(s.delayLink);
    f(s.bridge, wire_range::kFlag);
}

void VisitOutput(Flat& f, Output& o) {
    f(o.delayUs, wire_range::kDelayUs);
    f(o.trim100, wire_range::kTrim100);
    f(o.mute, wire_range::kFlag);
    f(o.phase, wire_range::kFlag);
    f(o.role, wire_range::kRole);
    f(o.eqBypass, wire_range::kFlag);
    f(o.solo, wire_range::kFlag);
    f(o.hpQMode);
    f(o.lpQMode);
    f(o.compOn);
    f(o.allBypass);
    f(o.spkDist);
    f(o.hp);
    f(o.lp);
    f(o.comp.bypass);
    f(o.comp.thr10, 0, 2559);
    f(o.comp.ratio10, 0, 2559);
    f(o.comp.knee10, 0, 2559);
    f(o.comp.attack);
    f(o.comp.release);
    f(o.comp2.thr10, -1289, 1279);
    f(o.comp2.attack);
    f(o.comp2.release10, 0, 2559);
    f(o.remapCount, 0, kRemapEntries);
    f(o.remap);
    f(o.bands);
}

void VisitSource(Flat& f, SourceMix& m) {
    f(m.routing);
    for (auto& row : m.mixTrim) f(row);
    f(m.inTrim);
    f(m.inMute);
    f(m.inPhase);
    f(m.csmSource, wire_range::kCrossSource);
    f(m.csmCh, wire_range::kCrossSourceChannel);
    f(m.csmGain, wire_range::kCrossSourceGain);
    f(m.mixType);
    f(m.mixType2);
    f(m.autoEffect);
}

void VisitDevice(Flat& f, DeviceSettings& d) {
    f(d.sourceCode, wire_range::kSourceCode);
    f(d.mixSource);
    f(d.threshold);
    f(d.acc);
    f(d.powerOffMs);
    f(d.karaoke);
    f(d.currentScene, wire_range::kScene);
    f(d.ircActiveBypass);
    f(d.autoSetting);
}

std::string Hex(const uint8_t* p, size_t n) {
    static const char* digits = "0123456789abcdef";
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        s += digits[p[i] >> 4];
        s += digits[p[i] & 15];
    }
    return s;
}

bool Unhex(const cJSON* item, std::vector<uint8_t>& out, size_t maxBytes) {
    if (!cJSON_IsString(item) || item->valuestring == nullptr) return false;
    const std::string s = item->valuestring;
    if (s.size() % 2 != 0 || s.size() / 2 > maxBytes) return false;
    auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    out.clear();
    for (size_t i = 0; i < s.size(); i += 2) {
        const int hi = nibble(s[i]), lo = nibble(s[i + 1]);
        if (hi < 0 || lo < 0) return false;
        out.push_back(static_cast<uint8_t>(hi << 4 | lo));
    }
    return true;
}

cJSON* FlatArray(const std::function<void(Flat&)>& visit) {
    cJSON* a = cJSON_CreateArray();
    Flat f(a);
    visit(f);
    return a;
}

bool ReadFlat(const cJSON* a, const std::function<void(Flat&)>& visit) {
    Flat f(a);
    visit(f);
    return f.Ok();
}

// A JSON array of exactly `count` items, or null.
const cJSON* ArrayOf(const cJSON* obj, const char* key, int count) {
    const cJSON* a = cJSON_GetObjectItemCaseSensitive(obj, key);
    return cJSON_IsArray(a) && cJSON_GetArraySize(a) == count ? a : nullptr;
}

bool ReadScene(const cJSON* obj, Scene& s, std::string& why) {
    const cJSON* outputs = ArrayOf(obj, "outputs", kOutputs);
    const cJSON* sources = ArrayOf(obj, "sources", kSources);
    const cJSON* inputEq = ArrayOf(obj, "inputEq", kInputs);
    if (!cJSON_IsObject(obj) || !outputs || !sources || !inputEq) {
        why = "a scene lacks its outputs, sources or input EQ";
        return false;
    }
    if (!ReadFlat(cJSON_GetObjectItemCaseSensitive(obj, "settings"),
                  [&](Flat& f) { VisitSettings(f, s); })) {
        why = "a scene's settings are out of range";
        return false;
    }
    int i = 0;
    for (const cJSON* o = outputs->child; o; o = o->next, ++i)
        if (!ReadFlat(o, [&](Flat& f) { VisitOutput(f, s.out[i]); })) {
            why = "output " + std::to_string(i) + " of a scene is out of range";
            return false;
        }
    i = 0;
    for (const cJSON* m = sources->child; m; m = m->next, ++i)
        if (!ReadFlat(m, [&](Flat& f) { VisitSource(f, s.src[i]); })) {
            why = "source " + std::to_string(i) + " of a scene is out of range";
            return false;
        }
    i = 0;
    for (const cJSON* e = inputEq->child; e; e = e->next, ++i)
        if (!ReadFlat(e, [&](Flat& f) { f(s.inEq[i]); })) {
            why = "the EQ of input " + std::to_string(i) + " of a scene is out of range";
            return false;
        }
    return true;
}

cJSON* Numbers(std::initializer_list<uint8_t> values) {
    cJSON* a = cJSON_CreateArray();
    for (uint8_t v : values) cJSON_AddItemToArray(a, cJSON_CreateNumber(v));
    return a;
}

// Byte values 0 to 255, exactly `count` of them.
bool ReadBytes(const cJSON* a, uint8_t* out, int count) {
    if (!cJSON_IsArray(a) || cJSON_GetArraySize(a) != count) return false;
    int i = 0;
    for (const cJSON* v = a->child; v; v = v->next, ++i) {
        if (!cJSON_IsNumber(v) || v->valuedouble < 0 || v->valuedouble > 255 ||
            std::floor(v->valuedouble) != v->valuedouble)
            return false;
        out[i] = static_cast<uint8_t>(v->valuedouble);
    }
    return true;
}

bool ReadFirmware(const cJSON* obj, FirmwareRecord& fw) {
    if (!cJSON_IsObject(obj)) return false;
    uint8_t mcu[2];
    const cJSON* bl = cJSON_GetObjectItemCaseSensitive(obj, "bootloader");
    const cJSON* loader = cJSON_GetObjectItemCaseSensitive(obj, "loader");
    const cJSON* valid = cJSON_GetObjectItemCaseSensitive(obj, "appValid");
    if (!ReadBytes(cJSON_GetObjectItemCaseSensitive(obj, "mcu"), mcu, 2) ||
        !ReadBytes(cJSON_GetObjectItemCaseSensitive(obj, "flash"), fw.flash.data(), 4) ||
        !cJSON_IsNumber(bl) || bl->valuedouble < 0 || bl->valuedouble > 255 ||
        std::floor(bl->valuedouble) != bl->valuedouble || !cJSON_IsBool(loader) || !cJSON_IsBool(valid))
        return false;
    fw.mcuMain = mcu[0];
    fw.mcuSub = mcu[1];
    fw.bootloader = static_cast<uint8_t>(bl->valuedouble);
    fw.loader = cJSON_IsTrue(loader);
    fw.appValid = cJSON_IsTrue(valid);
    return true;
}

}  // namespace

std::string StateToJson(const UnitState& constState) {
    UnitState state = constState;  // the walk takes references
    Json root(cJSON_CreateObject(), &cJSON_Delete);
    cJSON_AddStringToObject(root.get(), "format", kFormat);
    cJSON_AddNumberToObject(root.get(), "version", kVersion);
    cJSON_AddNumberToObject(root.get(), "validMask", state.validMask);
    cJSON* names = cJSON_AddArrayToObject(root.get(), "names");
    for (const auto& n : state.names)
        cJSON_AddItemToArray(names, cJSON_CreateString(Hex(n.data(), n.size()).c_str()));
    cJSON* profiles = cJSON_AddArrayToObject(root.get(), "profiles");
    for (const auto& p : state.profiles) {
        const bool erased = std::all_of(p.begin(), p.end(), [](uint8_t b) { return b == 0xFF; });
        cJSON_AddItemToArray(profiles,
                             cJSON_CreateString(erased ? "" : Hex(p.data(), p.size()).c_str()));
    }
    cJSON* device = cJSON_AddObjectToObject(root.get(), "device");
    cJSON_AddItemToObject(device, "values",
                          FlatArray([&](Flat& f) { VisitDevice(f, state.device); }));
    const std::string& pwd = state.device.password;
    const std::string& remark = state.device.remark;
    cJSON_AddStringToObject(device, "password",
                            Hex(reinterpret_cast<const uint8_t*>(pwd.data()), pwd.size()).c_str());
    cJSON_AddStringToObject(
        device, "remark",
        Hex(reinterpret_cast<const uint8_t*>(remark.data()), remark.size()).c_str());
    cJSON* firmware = cJSON_AddObjectToObject(root.get(), "firmware");
    const FirmwareRecord& fw = state.firmware;
    cJSON_AddItemToObject(firmware, "mcu", Numbers({fw.mcuMain, fw.mcuSub}));
    cJSON_AddItemToObject(firmware, "flash", Numbers({fw.flash[0], fw.flash[1], fw.flash[2], fw.flash[3]}));
    cJSON_AddNumberToObject(firmware, "bootloader", fw.bootloader);
    cJSON_AddBoolToObject(firmware, "loader", fw.loader);
    cJSON_AddBoolToObject(firmware, "appValid", fw.appValid);
    cJSON* scenes = cJSON_AddArrayToObject(root.get(), "scenes");
    for (Scene& s : state.scenes) {
        cJSON* obj = cJSON_CreateObject();
        cJSON_AddItemToObject(obj, "settings", FlatArray([&](Flat& f) { VisitSettings(f, s); }));
        cJSON* outs = cJSON_AddArrayToObject(obj, "outputs");
        for (Output& o : s.out)
            cJSON_AddItemToArray(outs, FlatArray([&](Flat& f) { VisitOutput(f, o); }));
        cJSON* srcs = cJSON_AddArrayToObject(obj, "sources");
        for (SourceMix& m : s.src)
            cJSON_AddItemToArray(srcs, FlatArray([&](Flat& f) { VisitSource(f, m); }));
        cJSON* eqs = cJSON_AddArrayToObject(obj, "inputEq");
        for (auto& e : s.inEq) cJSON_AddItemToArray(eqs, FlatArray([&](Flat& f) { f(e); }));
        cJSON_AddItemToArray(scenes, obj);
    }
    char* text = cJSON_PrintUnformatted(root.get());
    std::string out = text ? text : "";
    cJSON_free(text);
    return out;
}

bool StateFromJson(const std::string& text, UnitState& state, std::string* why) {
    std::string reason;
    auto fail = [&](std::string r) {
        if (why) *why = std::move(r);
        return false;
    };
    Json root(cJSON_ParseWithLength(text.data(), text.size()), &cJSON_Delete);
    if (!root || !cJSON_IsObject(root.get())) return fail("it is not a JSON object");
    const cJSON* format = cJSON_GetObjectItemCaseSensitive(root.get(), "format");
    const cJSON* version = cJSON_GetObjectItemCaseSensitive(root.get(), "version");
    if (!cJSON_IsString(format) || std::strcmp(format->valuestring, kFormat) != 0)
        return fail("it is not a virtual unit's state");
    if (!cJSON_IsNumber(version) || version->valuedouble != kVersion)
        return fail("its version is not " + std::to_string(kVersion));

    UnitState s = DefaultUnitState();
    const cJSON* mask = cJSON_GetObjectItemCaseSensitive(root.get(), "validMask");
    if (!cJSON_IsNumber(mask) || mask->valuedouble < 0 || mask->valuedouble > 0x7FE ||
        std::floor(mask->valuedouble) != mask->valuedouble)
        return fail("the valid-scene mask is out of range");
    s.validMask = static_cast<uint16_t>(mask->valuedouble);

    const cJSON* names = ArrayOf(root.get(), "names", kSceneSlots);
    const cJSON* profiles = ArrayOf(root.get(), "profiles", kSceneSlots);
    const cJSON* scenes = ArrayOf(root.get(), "scenes", kSceneSlots);
    const cJSON* device = cJSON_GetObjectItemCaseSensitive(root.get(), "device");
    if (!names || !profiles || !scenes || !cJSON_IsObject(device))
        return fail("names, profiles, scenes or device settings are missing");

    std::vector<uint8_t> bytes;
    int i = 0;
    for (const cJSON* n = names->child; n; n = n->next, ++i) {
        if (!Unhex(n, bytes, kNameBytes) || bytes.size() != kNameBytes)
            return fail("a scene name is damaged");
        std::copy(bytes.begin(), bytes.end(), s.names[i].begin());
    }
    i = 0;
    for (const cJSON* p = profiles->child; p; p = p->next, ++i) {
        if (!Unhex(p, bytes, kProfileBytes) || (!bytes.empty() && bytes.size() != kProfileBytes))
            return fail("a scene profile area is damaged");
        s.profiles[i] = bytes.empty() ? std::vector<uint8_t>(kProfileBytes, 0xFF) : bytes;
    }
    if (!ReadFlat(cJSON_GetObjectItemCaseSensitive(device, "values"),
                  [&](Flat& f) { VisitDevice(f, s.device); }))
        return fail("the unit settings are out of range");
    if (!Unhex(cJSON_GetObjectItemCaseSensitive(device, "password"), bytes, 12))
        return fail("the password is damaged");
    s.device.password.assign(bytes.begin(), bytes.end());
    if (!Unhex(cJSON_GetObjectItemCaseSensitive(device, "remark"), bytes, 20))
        return fail("the remark is damaged");
    s.device.remark.assign(bytes.begin(), bytes.end());
    // Files written before the unit kept its firmware have none: it runs the factory one.
    if (const cJSON* fw = cJSON_GetObjectItemCaseSensitive(root.get(), "firmware")) {
        if (!ReadFirmware(fw, s.firmware)) return fail("the firmware record is damaged");
    }
    i = 0;
    for (const cJSON* sc = scenes->child; sc; sc = sc->next, ++i)
        if (!ReadScene(sc, s.scenes[i], reason))
            return fail("scene " + std::to_string(i) + ": " + reason);
    state = std::move(s);
    return true;
}

// Whether `text` is meant as a virtual unit's state file, however damaged: it names the
// format near its start. Anything else is somebody else's file.
bool NamesStateFormat(const std::string& text) {
    Json root(cJSON_ParseWithLength(text.data(), text.size()), &cJSON_Delete);
    if (root && cJSON_IsObject(root.get())) {
        const cJSON* format = cJSON_GetObjectItemCaseSensitive(root.get(), "format");
        return cJSON_IsString(format) && std::strcmp(format->valuestring, kFormat) == 0;
    }
    // Not JSON (cut short, perhaps): the writer puts the format first.
    std::string head;
    for (char c : text.substr(0, 96))
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') head += c;
    return head.rfind(std::string("{\"format\":\"") + kFormat + "\"", 0) == 0;
}

}  // namespace dvdsp::emu
