// The EQ graph as assistive technology sees it: a chart of its bands and markers, whose
// values can be read and set, and whose keyboard selection moves the accessible focus.
#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QApplication>

#include "equalizer_fixture.h"
#include "toolkit/accessible.h"

namespace uitest {

class EqualizerAccessTest : public EqualizerTest {
  protected:
    void SetUp() override {
        EqualizerTest::SetUp();
        QApplication::setActiveWindow(win.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(win.get()));
        eq->setFocus();
    }
    void TearDown() override {
        dvdsp::tk::testing::ObserveAccessibleEvents(nullptr);
        EqualizerTest::TearDown();
    }
    QAccessibleInterface* Graph() { return QAccessible::queryAccessibleInterface(eq); }
};

TEST_F(EqualizerAccessTest, BandsAndMarkersArePartsWithValues) {
    eq->SetBands({B(2, 1000, 1.41f), B(-3, 5000, 4.0f)}, 0);
    eq->SetCrossoverMarkers(80, -1);
    QAccessibleInterface* g = Graph();
    ASSERT_EQ(g->role(), QAccessible::Chart);
    ASSERT_EQ(g->childCount(), 3);  // two bands and the shown high-pass marker
    QAccessibleInterface* band2 = g->child(1);
    EXPECT_EQ(band2->text(QAccessible::Name), QStringLiteral("Band 2, 5000 Hz, Q 4.00"));
    EXPECT_EQ(band2->parent(), g);
    EXPECT_EQ(g->indexOfChild(band2), 1);
    ASSERT_NE(band2->valueInterface(), nullptr);
    EXPECT_DOUBLE_EQ(band2->valueInterface()->currentValue().toDouble(), -3.0);
    EXPECT_EQ(g->child(2)->valueInterface()->currentValue().toInt(), 80);

    // Set by assistive technology as by the keys: the band becomes current and the owner
    // hears the finished change.
    band2->valueInterface()->setCurrentValue(5.5);
    EXPECT_FLOAT_EQ(eq->BandAt(1).gain, 5.5f);
    EXPECT_EQ(eq->CurrentBand(), 1);
    ASSERT_FALSE(win->seen.empty());
    EXPECT_EQ(win->seen.back().type, "equalizer_eq_release");
    EXPECT_EQ(win->seen.back().index, 1);
    g->child(2)->valueInterface()->setCurrentValue(120);
    EXPECT_EQ(win->seen.back().type, "equalizer_hp_release");
    EXPECT_EQ(win->seen.back().hp, 120);
}

TEST_F(EqualizerAccessTest, SelectingABandByKeyMovesTheAccessibleFocus) {
    eq->SetBands({B(1, 100), B(2, 1000), B(3, 10000)}, 0);
    std::vector<QAccessibleInterface*> focused;
    dvdsp::tk::testing::ObserveAccessibleEvents([&](QAccessibleEvent& e) {
        if (e.type() == QAccessible::Focus) focused.push_back(e.accessibleInterface());
    });
    QTest::keyClick(eq, Qt::Key_PageDown);
    QTest::keyClick(eq, Qt::Key_PageDown);
    QAccessibleInterface* g = Graph();
    ASSERT_EQ(focused.size(), 2u);
    EXPECT_EQ(focused[0], g->child(1));
    EXPECT_EQ(focused[1], g->child(2));
    EXPECT_EQ(g->focusChild(), g->child(2));
    EXPECT_TRUE(g->child(2)->state().focused);
    EXPECT_FALSE(g->child(1)->state().focused);
}

}  // namespace uitest
