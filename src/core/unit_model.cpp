#include "core/unit_model.h"

#include <bit>

namespace dvdsp::core {

SceneState* UnitModel::SceneFor(int n) {
    if (n == 0) return &current;
    if (n >= 1 && n <= kStoredScenes) return &scenes[static_cast<size_t>(n - 1)];
    return nullptr;
}

const SceneState* UnitModel::SceneFor(int n) const {
    return const_cast<UnitModel*>(this)->SceneFor(n);
}

SceneName SceneNameFromNarrow(const uint8_t* bytes, size_t len) {
    SceneName name{};
    for (size_t i = 0; i < len && i < kSceneNameChars - 1 && bytes[i] != 0; ++i)
        name[i] = static_cast<char16_t>(bytes[i]);
    return name;
}

std::array<uint8_t, kSceneNameBytes> SceneNameToNarrow(const SceneName& name) {
    std::array<uint8_t, kSceneNameBytes> out{};
    for (size_t i = 0; i < kSceneNameChars && name[i] != 0; ++i)
        out[i] = name[i] < 0x100 ? static_cast<uint8_t>(name[i]) : static_cast<uint8_t>('?');
    return out;
}

SceneName SceneNameFromUtf8(const std::string& text) {
    SceneName name{};
    size_t out = 0;
    for (size_t i = 0; i < text.size() && out < kSceneNameChars - 1;) {
        const auto c = static_cast<unsigned char>(text[i]);
        char32_t cp = c;
        size_t extra = 0;
        if (c >= 0xF0) cp = c & 0x07, extra = 3;
        else if (c >= 0xE0) cp = c & 0x0F, extra = 2;
        else if (c >= 0xC0) cp = c & 0x1F, extra = 1;
        ++i;
        for (size_t k = 0; k < extra && i < text.size(); ++k, ++i)
            cp = (cp << 6) | (static_cast<unsigned char>(text[i]) & 0x3F);
        if (cp == 0) break;
        name[out++] = cp <= 0xFFFF ? static_cast<char16_t>(cp) : u'?';
    }
    return name;
}

std::string SceneNameToUtf8(const SceneName& name) {
    std::string s;
    for (char16_t c : name) {
        if (c == 0) break;
        if (c < 0x80) {
            s += static_cast<char>(c);
        } else if (c < 0x800) {
            s += static_cast<char>(0xC0 | (c >> 6));
            s += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            s += static_cast<char>(0xE0 | (c >> 12));
            s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            s += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return s;
}

std::array<uint8_t, kSceneNameBytes> SceneNameBytes(const SceneName& name) {
    std::array<uint8_t, kSceneNameBytes> out{};
    for (size_t i = 0; i < kSceneNameChars; ++i) {
        out[2 * i] = static_cast<uint8_t>(name[i] & 0xFF);
        out[2 * i + 1] = static_cast<uint8_t>(name[i] >> 8);
    }
    return out;
}

SceneName SceneNameFromBytes(const uint8_t* bytes, size_t len) {
    SceneName name{};
    for (size_t i = 0; i < kSceneNameChars - 1 && 2 * i + 1 < len; ++i) {
        name[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        if (name[i] == 0) break;
    }
    return name;
}

bool SceneNameHasControl(const SceneName& name) {
    for (char16_t c : name) {
        if (c == 0) break;
        if (c < 0x20 || (c >= 0x7F && c < 0xA0) || c == 0x2028 || c == 0x2029) return true;
    }
    return false;
}

float AutoCoefficient(const AutoSettingBlock& block, int j) {
    if (j < 0 || j >= kAutoCoefficients) return 0.0f;
    const size_t at = static_cast<size_t>(kAutoCoefficientOffset + 4 * j);
    const uint32_t bits = static_cast<uint32_t>(block[at]) | static_cast<uint32_t>(block[at + 1]) << 8 |
                          static_cast<uint32_t>(block[at + 2]) << 16 | static_cast<uint32_t>(block[at + 3]) << 24;
    return std::bit_cast<float>(bits);
}

void SetAutoCoefficient(AutoSettingBlock& block, int j, float value) {
    if (j < 0 || j >= kAutoCoefficients) return;
    const size_t at = static_cast<size_t>(kAutoCoefficientOffset + 4 * j);
    const auto bits = std::bit_cast<uint32_t>(value);
    for (size_t k = 0; k < 4; ++k) block[at + k] = static_cast<uint8_t>(bits >> (8 * k));
}

AutoSettingBlock RestoredAutoSetting(uint8_t scene) {
    AutoSettingBlock b{};
    b[0] = scene;
    for (int k = 0; k < kAutoFlags; ++k) b[static_cast<size_t>(kAutoFlagOffset + k)] = 1;
    for (int j = 0; j < kAutoCoefficients; ++j) SetAutoCoefficient(b, j, 1.0f);
    b[kAutoModeOffset] = 0;
    for (size_t k = 1; k <= 3; ++k) b[kAutoModeOffset + k] = 5;
    return b;
}

}  // namespace dvdsp::core
