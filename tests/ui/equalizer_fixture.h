#pragma once
// A window holding one EQ graph named "equalizer" (500 x 300 px, so 0 dB sits at y 120),
// recording every notification with the band values the control held at that moment.

#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/window.h"
#include "ui/controls/equalizer.h"
#include "ui_fixture.h"

namespace uitest {

struct SeenNotify {
    std::string type;
    int index = -1;    // the user-data text as the owner reads it
    dvdsp::Band band;  // the current band as the owner reads it
    int hp = -1, lp = -1;
};

class GraphWindow : public dvdsp::tk::Window {
  public:
    QString ClassName() const override { return QStringLiteral("GraphWnd"); }
    void Notify(dvdsp::tk::TNotify& n) override {
        auto* eq = dynamic_cast<dvdsp::ui::UIEqualizer*>(n.sender);
        SeenNotify s;
        s.type = n.type;
        if (eq) {
            s.index = eq->UserDataInt();
            if (s.index >= 0 && s.index < eq->BandCount()) s.band = eq->BandAt(s.index);
            s.hp = eq->mHpFreq;
            s.lp = eq->mLpFreq;
        }
        seen.push_back(s);
    }
    std::vector<std::string> Types() const {
        std::vector<std::string> t;
        for (const auto& s : seen) t.push_back(s.type);
        return t;
    }
    int Count(const std::string& type) const {
        int c = 0;
        for (const auto& s : seen) c += s.type == type;
        return c;
    }
    std::vector<SeenNotify> seen;
};

class EqualizerTest : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        win = std::make_unique<GraphWindow>();
        win->resize(520, 320);
        eq = new dvdsp::ui::UIEqualizer(win.get());
        eq->SetName("equalizer");
        eq->SetOwner(win.get());
        eq->setGeometry(10, 10, 500, 300);
        win->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(win.get()));
        ASSERT_EQ(win->Find<dvdsp::ui::UIEqualizer>("equalizer"), eq);
        // A move to where the pointer already is gives no event: start each test from a
        // point outside the graph.
        QTest::mouseMove(win.get(), QPoint(515, 315));
    }
    void TearDown() override {
        win.reset();
        UiTest::TearDown();
    }
    static dvdsp::Band B(float gain, int freq, float q = 1.0f) {
        return dvdsp::Band{gain, q, freq, 1};
    }
    // The middle of a rectangle of the control.
    static QPoint Mid(const dvdsp::ui::graph::Rect& r) {
        return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    void Press(QPoint p) { QTest::mousePress(eq, Qt::LeftButton, Qt::NoModifier, p); }
    void Move(QPoint p) { QTest::mouseMove(eq, p); }
    void Release(QPoint p) { QTest::mouseRelease(eq, Qt::LeftButton, Qt::NoModifier, p); }
    void Paint() { (void)eq->grab(); }

    std::unique_ptr<GraphWindow> win;
    dvdsp::ui::UIEqualizer* eq = nullptr;
};

}  // namespace uitest
