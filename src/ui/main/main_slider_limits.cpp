#include "ui/main/main_slider_limits.h"

#include "base/log.h"
#include "core/model.h"
#include "toolkit/control.h"
#include "ui/main/main_wnd.h"

namespace dvdsp::ui {

bool MatchSliderRange(tk::Control& slider, const Limit& limit) {
    const int min = limit.SliderMin(), max = limit.SliderMax();
    const bool matches = slider.Minimum() == min && slider.Maximum() == max;
    if (!matches) {
        LogWriteNarrow("LAYOUT MISMATCH: slider %s has the range %d..%d, its limits %s say %d..%d\n",
                       slider.Name().c_str(), slider.Minimum(), slider.Maximum(), limit.key, min, max);
        slider.SetRange(min, max);
    }
    return matches;
}

void CMainWnd::ApplySliderLimits() {
    auto match = [this](const std::string& name, const Limit& limit) {
        if (tk::Control* slider = FindControl(name)) MatchSliderRange(*slider, limit);
    };
    match("slider_main_volume", limits::kMainVolume);
    match("slider_acc", limits::kAcc);
    match("slider_ch_volume", limits::kTrim);
    for (int c = 0; c < core::kChannels; ++c) {
        match("slider_ch_volume_" + std::to_string(c), limits::kTrim);
        match("slider_ch_delay_" + std::to_string(c), limits::kDelayMs);
    }
}

}  // namespace dvdsp::ui
