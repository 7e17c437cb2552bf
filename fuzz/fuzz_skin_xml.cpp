// Fuzz target for the skin's XML files: any text as a skin member, read in each role the
// program gives one - the root definitions, a window layout, a drop-down menu and a
// language file - through the calls the program makes, from a skin folder. Whatever is
// built must hang together: every control of a layout lies inside its window and is found
// by its name, every named menu item is there, every text of a language comes back by its
// key, and fonts keep a size the screen can show.
#include <QDomDocument>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "qt_scratch.h"
#include "toolkit/control.h"
#include "toolkit/language.h"
#include "toolkit/menu.h"
#include "toolkit/skin.h"
#include "toolkit/window.h"

using namespace dvdsp::tk;
using fuzzqt::Check;

namespace {

const QString kFile = QStringLiteral("xml/fuzz.xml");

class FuzzWnd : public Window {
  public:
    QString ClassName() const override { return QStringLiteral("FuzzWnd"); }
};

void CheckRoot() {
    Skin& skin = CurrentSkin();
    if (!skin.LoadRoot(kFile)) return;
    for (int id = -1; id < 8; ++id)
        for (int dpi : {77, 96, 288}) Check(skin.Font(id, dpi).pixelSize() >= 1);
}

void CheckLayout(FuzzWnd& wnd) {
    if (!wnd.LoadLayout(kFile)) return;
    Check(wnd.Root() != nullptr);
    for (Control* c : wnd.AllControls()) {
        Check(c->Widget() && wnd.isAncestorOf(c->Widget()));
        if (!c->Name().empty()) Check(wnd.FindControl(c->Name()) != nullptr);
    }
    wnd.SetDpi(144);
    wnd.ApplyLanguage();
}

void CheckMenu(FuzzWnd& wnd) {
    std::unique_ptr<Menu> menu = Menu::Load(&wnd, kFile);
    if (!menu) return;
    for (const QString& name : menu->ItemNames()) {
        Check(menu->HasItem(name));
        menu->Trigger(name);
    }
}

void CheckLanguage(const QByteArray& text) {
    Languages& langs = CurrentLanguages();
    langs.ClearForTest();
    langs.Register(QStringLiteral("fz"), kFile);
    QHash<QString, QString> texts;
    const bool parsed = Languages::Parse(text, &texts);
    Check(langs.Select(QStringLiteral("fz")) == parsed);
    if (!parsed) return;
    Check(langs.Current() == QStringLiteral("fz"));
    for (auto it = texts.cbegin(); it != texts.cend(); ++it) {
        Check(langs.Text(it.key()) == it.value());
        if (!it.key().contains(QLatin1Char('}')))
            Check(langs.Resolve(QStringLiteral("${") + it.key() + QLatin1Char('}')) == it.value());
    }
    (void)langs.Resolve(QString::fromUtf8(text));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzzqt::StartApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    fuzzqt::WriteScratch(kFile, text);
    Skin& skin = CurrentSkin();
    Check(skin.LoadFolder(fuzzqt::ScratchFolder()) && skin.Read(kFile) == text);

    CheckRoot();
    {
        FuzzWnd wnd;
        CheckLayout(wnd);
        CheckMenu(wnd);
    }
    CheckLanguage(text);
    skin.Clear();
    CurrentLanguages().ClearForTest();
    return 0;
}
