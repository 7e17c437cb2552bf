// The graph's views on the main page, switched from the graph's menu by name: the phase
// and group-delay views only show, on their own axes; the sum view follows a delay and a
// polarity as they change, and the alignment helper's preview and application.
#include <algorithm>
#include <cmath>

#include "channel_ops_fixture.h"
#include <QFile>
#include <QTemporaryDir>

#include "toolkit/menu.h"
#include "toolkit/test_seams.h"
#include "ui/controls/equalizer.h"

using namespace dvdsp;
using uitest::ChannelOpsTest;

namespace {

class GraphViewsTest : public ChannelOpsTest {
protected:
    void SetUp() override {
        ChannelOpsTest::SetUp();
        Open();
        ConnectAndWait();
        graph = wnd->Find<ui::UIEqualizer>("equalizer");
        ASSERT_NE(graph, nullptr);
    }
    void MenuItem(const char* item) {
        Click("btn_graph_view");
        ASSERT_NE(wnd->CurrentMenu(), nullptr);
        ASSERT_TRUE(wnd->CurrentMenu()->Trigger(QString::fromLatin1(item))) << item;
        Settle();
    }
    bool Checked(const char* item) {
        Click("btn_graph_view");
        return wnd->CurrentMenu() && wnd->CurrentMenu()->IsItemChecked(QString::fromLatin1(item));
    }
    const ui::EqPaintRecord& Paint() {
        graph->repaint();
        return graph->LastPaint();
    }
    // A Linkwitz-Riley crossover at 2 kHz: channel 0 below it, channel 1 above.
    void CrossoverPair() {
        core::SceneState& s = Model();
        s.channels[0].lp = core::CrossoverFilter{2000, 2, 4, 0};
        s.channels[1].hp = core::CrossoverFilter{2000, 2, 4, 0};
        s.channels[0].hp.bypass = s.channels[1].lp.bypass = 1;
        wnd->Controller().UpdateAllCurves();
        Settle();
    }
    std::vector<double> SumCurve() { return graph->ViewCurves().at(2).data.level; }

    ui::UIEqualizer* graph = nullptr;
};

TEST_F(GraphViewsTest, TheMenuSwitchesViewsEachOnItsAxisAndThePhaseViewsOnlyShow) {
    EXPECT_EQ(graph->View(), ui::GraphView::Level);
    EXPECT_TRUE(Checked("graph_item_level"));
    MenuItem("graph_item_phase");
    EXPECT_EQ(graph->View(), ui::GraphView::Phase);
    EXPECT_TRUE(Checked("graph_item_phase"));
    std::vector<QString> labels = Paint().axisLabels;
    EXPECT_NE(std::find(labels.begin(), labels.end(), QStringLiteral("-180°")), labels.end());
    EXPECT_FALSE(Paint().hpMarker) << "no handle to drag";
    // A press where the first band's handle is in the level view changes nothing.
    QTest::mouseClick(graph, Qt::LeftButton, Qt::NoModifier, graph->HandlePoint(0));
    EXPECT_EQ(graph->CaptureState(), ui::UIEqualizer::kIdle);

    MenuItem("graph_item_group_delay");
    EXPECT_EQ(graph->CurrentAxis().unit, QStringLiteral(" ms"));
    MenuItem("graph_item_phase_unwrapped");
    EXPECT_EQ(graph->CurrentAxis().unit, QStringLiteral("°"));
    EXPECT_EQ(Paint().view, ui::GraphView::PhaseUnwrapped);
    MenuItem("graph_item_level");
    EXPECT_EQ(Paint().view, ui::GraphView::Level);
    EXPECT_TRUE(Paint().hpMarker || Paint().lpMarker || !Paint().numberColors.empty());
}

TEST_F(GraphViewsTest, TheSumFollowsDelayAndPolarityAndTheHelperAlignsThePair) {
    CrossoverPair();
    MenuItem("graph_item_sum");
    EXPECT_EQ(graph->ViewCurves().size(), 0u) << "no channels chosen yet";
    EXPECT_FALSE(Paint().note.isEmpty());
    MenuItem("graph_item_sum_ch_0");
    MenuItem("graph_item_sum_ch_1");
    EXPECT_TRUE(Checked("graph_item_sum_ch_1"));
    ASSERT_EQ(graph->ViewCurves().size(), 3u);  // two channels and their sum
    const std::vector<double> flat = SumCurve();
    for (size_t k = 0; k < 500; ++k) ASSERT_NEAR(flat[k], 0.0, 0.01) << k;

    Type("edit_ch_delay_1", QStringLiteral("20"));  // cm
    const std::vector<double> delayed = SumCurve();
    EXPECT_LT(*std::min_element(delayed.begin(), delayed.end() - 40), -1.0) << "the delay shows at once";
    ClickOption("ch_phase_1");
    Settle();
    EXPECT_NE(SumCurve(), delayed) << "so does the polarity";

    MenuItem("graph_item_align_preview");
    ASSERT_EQ(graph->ViewCurves().size(), 4u);
    EXPECT_TRUE(graph->ViewCurves().back().dashed);
    EXPECT_NE(Model().channels[1].delay, 0.0f) << "the preview changes nothing";
    MenuItem("graph_item_align_apply");
    EXPECT_FLOAT_EQ(Model().channels[1].delay, 0.0f);
    EXPECT_EQ(Model().channels[1].phase, 0);
    for (double level : SumCurve()) ASSERT_NEAR(level < -300 ? 0.0 : level, 0.0, 0.01);
    EXPECT_TRUE(UnitHas([](emu::UnitState& s) { return s.scenes[0].out[1].delayUs == 0 && s.scenes[0].out[1].phase == 0; }));
}

// A measurement and a target loaded from the graph's menu: their traces and the
// prediction in the channel's colour, the prediction following an edit of a band, a
// refused file named with its line and changing nothing, and the unit left alone.
TEST_F(GraphViewsTest, AMeasurementAndATargetAreDrawnWithThePredictionThatFollowsAnEdit) {
    QTemporaryDir dir;
    auto write = [&dir](const char* name, const char* text) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        return path;
    };
    const QString m = write("door.txt", "* Freq(Hz) SPL(dB)\n20 88\n200 84\n1000 80\n5000 83\n20000 70\n");
    tk::testing::AnswerNextFileDialog(m);
    MenuItem("graph_item_measurement_load");
    MenuItem("graph_item_target_lift");
    ASSERT_EQ(graph->OverlayCurves().size(), 3u) << "target, measurement, prediction";
    const int ch = Model().currOutChannel;
    const uint32_t colour = graph->CurveColors().at(static_cast<size_t>(ch)) & 0xFFFFFF;
    for (const ui::ViewCurve& c : graph->OverlayCurves()) EXPECT_EQ(c.color & 0xFFFFFF, colour);
    EXPECT_GE(Paint().overlayCurves, 3);

    const std::vector<double>& grid = graph->OverlayCurves()[1].data.freq;
    size_t at = 0;
    for (size_t i = 0; i < grid.size(); ++i)
        if (std::fabs(std::log(grid[i] / 1000)) < std::fabs(std::log(grid[at] / 1000))) at = i;
    auto lift = [&] { return graph->OverlayCurves()[2].data.level[at] - graph->OverlayCurves()[1].data.level[at]; };
    const double before = lift();
    Type("eq_freq_4", QStringLiteral("1000"));
    Type("eq_gain_4", QStringLiteral("6"));
    EXPECT_NEAR(lift() - before, 6.0, 0.3) << "the band's 6 dB on the prediction";

    const QString bad = write("bad.txt", "20 88\n1000 80\n500 81\n");
    const double measured = graph->OverlayCurves()[1].data.level[at];
    tk::testing::AnswerNextFileDialog(bad);
    tk::testing::AnswerNextModal(1);
    MenuItem("graph_item_measurement_load");
    ASSERT_FALSE(wnd->MessagesShown().isEmpty());
    EXPECT_TRUE(wnd->MessagesShown().last().contains(QStringLiteral("line 3: frequency 500 Hz"))) << wnd->MessagesShown().last().toStdString();
    EXPECT_EQ(graph->OverlayCurves()[1].data.level[at], measured);

    // Other views draw no overlay; the unit never saw one.
    MenuItem("graph_item_phase");
    EXPECT_TRUE(graph->OverlayCurves().empty());
    MenuItem("graph_item_level");
    EXPECT_EQ(graph->OverlayCurves().size(), 3u);
    MenuItem("graph_item_overlay_clear");
    EXPECT_TRUE(graph->OverlayCurves().empty());
}

}  // namespace
