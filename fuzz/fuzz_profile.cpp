// Fuzz target for the profile readers: arbitrary text as a scene profile and as a whole
// profile. A refused text must leave the model exactly as it was; an accepted one must
// keep every channel's band count inside the band store and every value inside its range
// of the table of limits, and what it writes must read back and write out as the same file.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/profile.h"
#include "core/profile_limits.h"

using namespace dvdsp::core;

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

void CheckValues(const SceneState& s) {
    for (const ChannelSettings& c : s.channels) Check(c.eqSize >= 0 && c.eqSize <= kBandsPerChannel);
    Check(ValueOutOfRange(s).empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    static const auto pristine = std::make_unique<UnitModel>();

    auto model = std::make_unique<UnitModel>();
    if (ParseSceneProfile(text, model->current).ok()) {
        CheckValues(model->current);
        const std::string written = SceneProfileText(model->current);
        SceneState again;
        Check(ParseSceneProfile(written, again).ok());
        Check(SceneProfileText(again) == written);
    } else {
        Check(*model == *pristine);
    }

    model = std::make_unique<UnitModel>();
    if (ParseWholeProfile(text, *model).ok()) {
        CheckValues(model->current);
        for (const SceneState& s : model->scenes) CheckValues(s);
        const std::string written = WholeProfileText(*model);
        auto again = std::make_unique<UnitModel>();
        Check(ParseWholeProfile(written, *again).ok());
        Check(WholeProfileText(*again) == written);
    } else {
        Check(*model == *pristine);
    }
    return 0;
}
