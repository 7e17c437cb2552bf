#pragma once
// The stored items of a unit model, each with an address and a value: what an edit
// changed (old and new value), what differs between two models, and storing one item
// back. One list of the model's fields (model_items.cpp) serves all three, so a field
// added to the model is compared, recorded and restored alike.

#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

#include "core/unit_model.h"

namespace dvdsp::core {

enum class Field : uint8_t {
    // A scene's fields (scene 0 the live settings, 1-10 a stored scene's copy).
    Model, MainVersion, SlaveVersion, DspFlashVersion, Source, MainVolume, Acc, SubVolume,
    SceneNumber, MainMute, AmpOn, RemoteOut1, RemoteOut2, TwoOhm, NoiseGate, AutoEffect,
    ChannelCount, Bridge,
    // Per output channel `i`.
    EqSize, Trim, ChannelMute, Delay, Phase, Solo, EqBypass, CompressorOn, FilterType,
    HighPass, LowPass, Role, SavedRole, LinkPartner, CurveShown, LinkGroup, DelayLinkGroup,
    Compressor,
    Band,         // band `j` of channel `i`
    Routing,      // routing mask of source `i` for channel `j`
    MixTrim,      // trim of source `i`, input `j`, for channel `k`
    MixPhase,     // phase of source `i`, input `j`
    CrossSource, CrossChannel, CrossGain,  // cross-source feed of source `i`, input `j`
    CurrentChannel, LinkMode, LockMode,
    // The unit's own (scene -1).
    Name,         // name of stored scene `i` (1-10)
    ValidScenes, Karaoke /* setting `i`, 1-10 */, InputThreshold, PowerOffDelay, AutoSetting,
};

struct ItemKey {
    Field field = Field::Model;
    int scene = -1;  // 0-10, or -1 for the unit's own items
    int i = -1, j = -1, k = -1;
    bool operator==(const ItemKey&) const = default;
};

using ItemValue = std::variant<int32_t, float, uint8_t, CrossoverFilter, CompressorSettings, EqBand,
                               std::array<int32_t, 4>, SceneName, AutoSettingBlock>;

// One item that an edit changed, with its value before and after.
struct ItemChange {
    ItemKey key;
    ItemValue before, after;
};

// The items of scene `scene` that differ between two settings, in the model's order.
std::vector<ItemChange> SceneDifferences(int scene, const SceneState& before, const SceneState& after);
// Every item that differs between two models: the live settings, the scene copies, then
// the unit's own items.
std::vector<ItemChange> UnitDifferences(const UnitModel& before, const UnitModel& after);

// The value of an item, or nothing for an address the model does not have.
std::optional<ItemValue> ItemOf(const UnitModel& model, const ItemKey& key);
// Stores one item; false (nothing stored) for an unknown address or a value of another kind.
bool StoreItem(UnitModel& model, const ItemKey& key, const ItemValue& value);

}  // namespace dvdsp::core
