// The EQ graph from the keyboard: frequency steps of the step buttons, gain steps,
// band selection; each change reads to the owner as a finished drag.
#include <QLineEdit>

#include "equalizer_fixture.h"

using namespace dvdsp;
using namespace dvdsp::ui;
using uitest::EqualizerTest;

namespace {

class EqualizerKeysTest : public EqualizerTest {
  protected:
    void SetUp() override {
        EqualizerTest::SetUp();
        QApplication::setActiveWindow(win.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(win.get()));
        eq->setFocus();
        ASSERT_TRUE(eq->hasFocus());
    }
    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(eq, static_cast<Qt::Key>(key), mods);
    }
    const std::vector<std::string> kFinished{"equalizer_eq", "equalizer_eq_release"};
};

TEST_F(EqualizerKeysTest, FrequencyStepsFollowTheStepButtons) {
    EXPECT_EQ(graph::StepFrequency(1000, 1), 1026);
    EXPECT_EQ(graph::StepFrequency(1000, -1), 957);
    EXPECT_EQ(graph::StepFrequency(20, 1), 21);
    EXPECT_EQ(graph::StepFrequency(20, -1), 20);
    EXPECT_EQ(graph::StepFrequency(20000, 1), 20000);
    // Where one step rounds back to the same frequency the step is two.
    for (int f = 20; f < 20000; f = graph::StepFrequency(f, 1)) {
        int next = graph::StepFrequency(f, 1);
        ASSERT_GT(next, f);
        ASSERT_LE(next, 20000);
    }

    eq->SetDragAllDirection(true);
    eq->SetBands({B(2, 1000), B(0, 20000)}, 0);
    Key(Qt::Key_Right);
    EXPECT_EQ(eq->BandAt(0).freq, 1026);
    EXPECT_EQ(win->Types(), kFinished);
    EXPECT_EQ(win->seen[1].band.freq, 1026);  // what the owner reads on release
    EXPECT_EQ(eq->HandlePoint(0).x(), eq->Axes().XOf(1026));
    Key(Qt::Key_Left);
    Key(Qt::Key_Left);
    EXPECT_EQ(eq->BandAt(0).freq, graph::StepFrequency(graph::StepFrequency(1026, -1), -1));
    EXPECT_FLOAT_EQ(eq->BandAt(0).gain, 2);

    // Nothing at the ends.
    win->seen.clear();
    Key(Qt::Key_PageDown);
    ASSERT_EQ(eq->CurrentBand(), 1);
    win->seen.clear();
    Key(Qt::Key_Right);
    EXPECT_EQ(eq->BandAt(1).freq, 20000);
    EXPECT_TRUE(win->seen.empty());
}

TEST_F(EqualizerKeysTest, GraphicModeKeepsTheFrequency) {
    eq->SetBands({B(0, 1000)}, 0);
    Key(Qt::Key_Right);
    Key(Qt::Key_Left);
    EXPECT_EQ(eq->BandAt(0).freq, 1000);
    EXPECT_TRUE(win->seen.empty());
    Key(Qt::Key_Up);
    EXPECT_FLOAT_EQ(eq->BandAt(0).gain, 0.1f);
    EXPECT_EQ(win->Types(), kFinished);
}

TEST_F(EqualizerKeysTest, GainStepsAreClampedToTheBandRange) {
    eq->SetDragAllDirection(true);
    eq->SetBands({B(11.5f, 1000), B(-17.95f, 500)}, 0);
    Key(Qt::Key_Down);
    EXPECT_FLOAT_EQ(eq->BandAt(0).gain, 11.4f);
    Key(Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_FLOAT_EQ(eq->BandAt(0).gain, 12.0f);
    EXPECT_EQ(eq->HandlePoint(0).y(), 0);
    win->seen.clear();
    Key(Qt::Key_Up);
    EXPECT_FLOAT_EQ(eq->BandAt(0).gain, 12.0f);
    EXPECT_TRUE(win->seen.empty());  // no change, no notification

    Key(Qt::Key_PageDown);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_FLOAT_EQ(eq->BandAt(1).gain, -18.0f);
    EXPECT_EQ(eq->BandAt(1).freq, 500);
    EXPECT_FLOAT_EQ(eq->BandAt(0).gain, 12.0f);
}

TEST_F(EqualizerKeysTest, PageKeysWalkTheBandsLikeHover) {
    eq->SetBands({B(1, 100), B(2, 1000), B(3, 10000)}, -1);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(eq->CurrentBand(), 0);
    Key(Qt::Key_PageDown);
    Key(Qt::Key_PageDown);
    Key(Qt::Key_PageDown);  // stays on the last band
    EXPECT_EQ(eq->CurrentBand(), 2);
    EXPECT_EQ(eq->UserData(), "2");
    EXPECT_EQ(win->Types(), std::vector<std::string>(3, "equalizer_eq"));
    Key(Qt::Key_PageUp);
    EXPECT_EQ(eq->CurrentBand(), 1);
    EXPECT_EQ(win->seen.back().index, 1);
}

TEST_F(EqualizerKeysTest, ClickAndTabGiveTheGraphTheFocus) {
    auto* other = new QLineEdit(win.get());
    other->setGeometry(10, 312, 100, 6);
    other->show();
    other->setFocus();
    ASSERT_FALSE(eq->hasFocus());
    QTest::mouseClick(eq, Qt::LeftButton, Qt::NoModifier, QPoint(450, 40));
    EXPECT_TRUE(eq->hasFocus());
    other->setFocus();
    QTest::keyClick(other, Qt::Key_Tab);
    EXPECT_TRUE(eq->hasFocus());
    EXPECT_EQ(eq->focusPolicy(), Qt::StrongFocus);
}

}  // namespace
