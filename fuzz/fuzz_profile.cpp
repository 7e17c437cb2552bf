// Fuzz target for the profile readers: arbitrary text as a scene profile and as a whole
// profile. A refused text must leave the model exactly as it was; an accepted one must
// keep every channel's band count inside the band store and write out again.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "core/profile.h"

using namespace dvdsp::core;

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

void CheckBands(const SceneState& s) {
    for (const ChannelSettings& c : s.channels) Check(c.eqSize >= 0 && c.eqSize <= kBandsPerChannel);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    static const auto pristine = std::make_unique<UnitModel>();

    auto model = std::make_unique<UnitModel>();
    if (ParseSceneProfile(text, model->current).ok()) {
        CheckBands(model->current);
        SceneState again;
        Check(ParseSceneProfile(SceneProfileText(model->current), again).ok());
    } else {
        Check(*model == *pristine);
    }

    model = std::make_unique<UnitModel>();
    if (ParseWholeProfile(text, *model).ok()) {
        CheckBands(model->current);
        for (const SceneState& s : model->scenes) CheckBands(s);
        (void)WholeProfileText(*model);
    } else {
        Check(*model == *pristine);
    }
    return 0;
}
