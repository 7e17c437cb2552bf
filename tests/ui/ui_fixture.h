#pragma once
// Shared set-up of the window tests: one QApplication with the program's theme, the
// skin from the program's own resource, settings in a temporary folder.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

#include "toolkit/language.h"
#include "toolkit/scale.h"
#include "toolkit/skin.h"
#include "toolkit/test_seams.h"
#include "ui/main/startup.h"
#include "ui/skin_resource.h"

namespace uitest {

inline QApplication& App() {
    static QTemporaryDir* home = [] {
        auto* d = new QTemporaryDir;
        qputenv("XDG_CONFIG_HOME", d->path().toUtf8());
        qputenv("XDG_RUNTIME_DIR", d->path().toUtf8());
        qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
        return d;
    }();
    (void)home;
    static int argc = 1;
    static char name[] = "ui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        auto* a = new QApplication(argc, argv);
        dvdsp::ui::RegisterSkinResource();
        return a;
    }();
    return *app;
}

class UiTest : public ::testing::Test {
  protected:
    UiTest() { App(); }
    void SetUp() override {
        ASSERT_TRUE(dvdsp::ui::LoadSkinFromResource());
        qApp->setStyleSheet(dvdsp::tk::CurrentSkin().StyleSheet());
        dvdsp::tk::CurrentLanguages().ClearForTest();
        dvdsp::ui::RegisterLanguages();
        ASSERT_TRUE(dvdsp::tk::CurrentLanguages().Select("en"));
        dvdsp::tk::SetDefaultDpi(96);
        dvdsp::tk::testing::ClearAnswers();
    }
    void TearDown() override { EXPECT_EQ(dvdsp::tk::testing::PendingModalAnswers(), 0); }
};

}  // namespace uitest
