// "Setup sheet..." of the scene menu: the note, the file dialog, the PDF in the window's
// language, and a path that cannot be written.
#include <QFile>

#include "scene_fixture.h"
#include "support/pdf_tools.h"
#include "toolkit/edit.h"
#include "toolkit/language.h"

namespace uitest {
namespace {

class SetupSheetMenuTest : public SceneOpsTest {
  protected:
    // Types the note and saves; the sheet goes to `path`, and the message that follows is
    // answered.
    void SaveSheet(const QString& note, const QString& path) {
        seam::ActOnNextModal([note](tk::Window& w) {
            EXPECT_EQ(w.ClassName(), QStringLiteral("SheetNoteWnd"));
            if (auto* edit = w.Find<tk::Edit>("sheet_note_edt")) edit->setText(note);
            auto* save = dynamic_cast<tk::Button*>(w.FindControl("confirm_btn"));
            ASSERT_NE(save, nullptr);
            save->Click();
        });
        seam::AnswerNextModal(1);
        FileItem("scene_item_setup_sheet", path);
    }
};

TEST_F(SetupSheetMenuTest, TheSheetHoldsTheWindowsSettingsInItsLanguage) {
    DVDSP_NEEDS_POPPLER();
    Open();
    ConnectAndWait();
    Type("edit_ch_volume_1", QStringLiteral("-3.5"));
    SaveSheet(QStringLiteral("Golf VII, front stage"), Path("tune"));  // no extension: .pdf
    ASSERT_TRUE(WaitFor([&] { return wnd->MessagesShown() == QStringList{"${profile_save_ok}"} && Answered(); }));
    const std::string en = dvdsp::testing::PdfText(Path("tune.pdf").toStdString());
    EXPECT_NE(en.find("Setup sheet"), std::string::npos);
    EXPECT_NE(en.find("Golf VII, front stage"), std::string::npos);
    EXPECT_NE(en.find("VTR50 (model 98)"), std::string::npos);
    EXPECT_NE(en.find("Profile or scene"), std::string::npos) << "no ligatures: the text reads as typed";
    const std::vector<std::string> trims = dvdsp::testing::Row(en, "Trim");
    ASSERT_EQ(trims.size(), 10u) << en;
    EXPECT_EQ(trims[1], "-3.5dB");

    ASSERT_TRUE(tk::CurrentLanguages().Select("ru"));
    SaveSheet(QString(), Path("tune_ru.pdf"));
    ASSERT_TRUE(WaitFor([&] { return wnd->MessagesShown().size() == 2 && Answered(); }));
    const std::string ru = dvdsp::testing::PdfText(Path("tune_ru.pdf").toStdString());
    EXPECT_NE(ru.find("Карта настройки"), std::string::npos) << ru;
    EXPECT_EQ(ru.find("Golf VII"), std::string::npos);
    ASSERT_TRUE(tk::CurrentLanguages().Select("en"));
}

TEST_F(SetupSheetMenuTest, AnUnwritablePathIsReportedAndLeavesNoFile) {
    Open();
    SaveSheet(QStringLiteral("x"), Path("no/such/folder/tune.pdf"));
    ASSERT_TRUE(WaitFor([&] { return wnd->MessagesShown().size() == 1 && Answered(); }));
    EXPECT_EQ(wnd->MessagesShown().last(), "${profile_create_error}");
    EXPECT_FALSE(QFile::exists(Path("no")));
}

}  // namespace
}  // namespace uitest
