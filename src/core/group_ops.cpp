// Groups of channels that follow each other's edits: the delay-link groups.
#include <array>

#include "app/log.h"
#include "core/equalizer_manager.h"

namespace dvdsp::core {
namespace {

// Colour of a delay-link group's button, by group (0 none).
constexpr std::array<uint32_t, 7> kDelayLinkColours = {0xFF666666, 0xFF0088FF, 0xFF00AEAE, 0xFF0000E3,
                                                        0xFFFF0000, 0xFFFF8040, 0xFF8600FF};

}  // namespace

void EqualizerManager::SetDelayLinkGroup(int ch, int group) {
    if (ch < 0 || ch >= kChannels || group < 0 || group >= static_cast<int>(kDelayLinkColours.size())) return;
    LogWriteNarrow("channel %d dealy link seleted %d\n", ch, group);
    SceneState& s = model_.current;
    const bool bridged = s.bridge[static_cast<size_t>(ch / 2)] != 0;
    for (int c : {ch, ch ^ 1}) {
        if (c != ch && !bridged) break;
        s.delayLinkSel[static_cast<size_t>(c)] = group;
        view_->SetBkColor(SliderName("delay_link_", c), kDelayLinkColours[static_cast<size_t>(group)]);
    }
    for (int c = 0; c < kChannels; ++c) view_->Refresh({What::Delay, 0, c});
}

}  // namespace dvdsp::core
