// The page's sliders take their ranges from the table of limits; a layout that disagrees
// is caught when it loads.
#include "base/limits.h"
#include "session_fixture.h"
#include "ui/main/main_slider_limits.h"

namespace uitest {
namespace {


class SliderLimitsTest : public SessionTest {
protected:
    void ExpectRange(const std::string& name, const dvdsp::Limit& limit) {
        dvdsp::tk::Control* c = C(name);
        ASSERT_NE(c, nullptr) << name;
        EXPECT_EQ(c->Minimum(), limit.SliderMin()) << name;
        EXPECT_EQ(c->Maximum(), limit.SliderMax()) << name;
    }
};

TEST_F(SliderLimitsTest, EverySliderOfThePageHasTheRangeOfItsLimit) {
    Open();
    ExpectRange("slider_main_volume", limits::kMainVolume);
    ExpectRange("slider_acc", limits::kAcc);
    ExpectRange("slider_ch_volume", limits::kTrim);
    for (int c = 0; c < 10; ++c) {
        ExpectRange("slider_ch_volume_" + std::to_string(c), limits::kTrim);
        ExpectRange("slider_ch_delay_" + std::to_string(c), limits::kDelayMs);
    }
}

TEST_F(SliderLimitsTest, ALayoutRangeThatDisagreesIsReportedAndReplaced) {
    Open();
    dvdsp::tk::Control* slider = C("slider_ch_volume_3");
    ASSERT_NE(slider, nullptr);
    slider->SetRange(-100, 100);
    EXPECT_FALSE(dvdsp::ui::MatchSliderRange(*slider, limits::kTrim));
    EXPECT_EQ(slider->Minimum(), -600);
    EXPECT_EQ(slider->Maximum(), 0);
    EXPECT_TRUE(dvdsp::ui::MatchSliderRange(*slider, limits::kTrim));
}

}  // namespace
}  // namespace uitest
