// Every window that can be opened by its class name shows its texts whole, at every scale
// and in every language, with a unit connected: dialogs, processing, calibration, custom EQ
// and the firmware update windows.
#include <QApplication>

#include "session_fixture.h"
#include "text_room.h"
#include "toolkit/test_seams.h"
#include "toolkit/window_factory.h"

namespace uitest {

namespace tk = dvdsp::tk;
namespace seam = dvdsp::tk::testing;

namespace {

// With DVDSP_WINDOW_SHOTS set to a folder, each window is also saved there as a picture
// (NAME_LANGUAGE_DPI.png), to look at.
void SaveShot(tk::Window& w, const QString& name, const char* lang, int dpi) {
    const QString dir = qEnvironmentVariable("DVDSP_WINDOW_SHOTS");
    if (dir.isEmpty()) return;
    w.grab().save(QStringLiteral("%1/%2_%3_%4.png").arg(dir, name, QString::fromLatin1(lang)).arg(dpi));
}

// What does not fit in `w`, one line each.
std::vector<std::string> CutTexts(tk::Window& w) {
    std::vector<std::string> cut;
    for (tk::Control* c : w.AllControls()) {
        QWidget* wid = c->Widget();
        if (!wid->isVisible() || c->Name().empty()) continue;
        const int room = TextRoom(wid);
        const QString text = CurrentText(wid);
        if (room < 0 || text.isEmpty()) continue;
        const int need = wid->fontMetrics().horizontalAdvance(text);
        if (need > room)
            cut.push_back(c->Name() + " cuts \"" + text.toStdString() + "\" (" + std::to_string(need) + " px in " +
                          std::to_string(room) + ")");
    }
    return cut;
}

}  // namespace

class WindowTextFit : public SessionTest {
  protected:
    void CheckEveryWindowAt(int dpi);
};

void WindowTextFit::CheckEveryWindowAt(int dpi) {
    for (const char* lang : {"en", "cn_zh", "ru"}) {
        tk::SetDefaultDpi(dpi);
        language = QString::fromLatin1(lang);
        Open();
        ConnectAndWait();
        for (const QString& name : tk::RegisteredWindowClasses()) {
            const std::string at = std::to_string(dpi) + "/" + lang + " " + name.toStdString() + ": ";
            bool seen = false;
            seam::ActOnNextModal([&](tk::Window& w) {
                seen = true;
                Settle();
                for (const std::string& c : CutTexts(w)) ADD_FAILURE() << at << c;
                SaveShot(w, name, lang, dpi);
                w.Close(0);
            });
            ASSERT_TRUE(tk::OpenWindowByClass(name, *wnd)) << at;
            Settle();
            if (seen) continue;
            // A window without a loop of its own (the mixer) is checked as it stands.
            seam::ClearAnswers();
            for (QWidget* top : QApplication::topLevelWidgets()) {
                auto* w = dynamic_cast<tk::Window*>(top);
                if (!w || w == wnd.get() || !w->isVisible()) continue;
                seen = true;
                for (const std::string& c : CutTexts(*w)) ADD_FAILURE() << at << c;
                SaveShot(*w, name, lang, dpi);
                w->Close(0);
            }
            Settle();
            EXPECT_TRUE(seen) << at << "no window opened";
        }
        wnd.reset();
    }
}

// A suite for each scale: they run side by side.
class WindowTextFitAt77 : public WindowTextFit {};
class WindowTextFitAt96 : public WindowTextFit {};
class WindowTextFitAt144 : public WindowTextFit {};

TEST_F(WindowTextFitAt77, EveryWindowShowsItsTextsWholeInEveryLanguage) { CheckEveryWindowAt(77); }
TEST_F(WindowTextFitAt96, EveryWindowShowsItsTextsWholeInEveryLanguage) { CheckEveryWindowAt(96); }
TEST_F(WindowTextFitAt144, EveryWindowShowsItsTextsWholeInEveryLanguage) { CheckEveryWindowAt(144); }

}  // namespace uitest
