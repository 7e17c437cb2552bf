#pragma once
// Shared set-up of the toolkit tests: one QApplication and a skin written into a
// temporary folder by the test itself.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <map>
#include <string>

#include "toolkit/controls.h"
#include "toolkit/language.h"
#include "toolkit/skin.h"
#include "toolkit/test_seams.h"
#include "toolkit/window.h"

namespace tktest {

inline QApplication& App() {
    static int argc = 1;
    static char name[] = "toolkit_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

inline void WriteFile(const QString& path, const QByteArray& data) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

// Records every notification.
class RecordingWindow : public dvdsp::tk::Window {
  public:
    QString ClassName() const override { return QStringLiteral("RecordingWnd"); }
    void Notify(dvdsp::tk::TNotify& n) override {
        log.push_back(n.type + ":" + n.name);
        if (HandleCommonButtons(n)) return;
    }
    dvdsp::tk::Control* CreateControl(const QString& tag) override {
        if (tag.compare(QLatin1String("Custom"), Qt::CaseInsensitive) == 0)
            return new dvdsp::tk::Label;
        return nullptr;
    }
    std::vector<std::string> log;
    void Clear() { log.clear(); }
    bool Saw(const std::string& entry) const {
        for (const auto& e : log)
            if (e == entry) return true;
        return false;
    }
};

class ToolkitTest : public ::testing::Test {
  protected:
    ToolkitTest() { App(); }  // before any widget member of a derived fixture
    void SetUp() override {
        App();
        ASSERT_TRUE(dir_.isValid());
        dvdsp::tk::testing::ClearAnswers();
    }
    void TearDown() override {
        dvdsp::tk::CurrentSkin().Clear();
        dvdsp::tk::CurrentLanguages().ClearForTest();
    }
    // Writes the files and loads the folder as the current skin.
    void UseSkin(const std::map<QString, QByteArray>& files) {
        for (const auto& [name, data] : files) WriteFile(dir_.filePath(name), data);
        ASSERT_TRUE(dvdsp::tk::CurrentSkin().LoadFolder(dir_.path()));
        if (files.count(QStringLiteral("xml/res.xml"))) {
            ASSERT_TRUE(dvdsp::tk::CurrentSkin().LoadRoot());
        }
    }
    QTemporaryDir dir_;
};

}  // namespace tktest
