// The main window's prompt: questions through the shared dialogs, file choices through
// the file dialogs.
#include "session_fixture.h"
#include "toolkit/test_seams.h"
#include "ui/main/main_session_view.h"

namespace uitest {
namespace {

namespace seam = dvdsp::tk::testing;
using dvdsp::core::FileMode;

TEST_F(SessionTest, ThePromptAsksWithTheSharedDialogsAndChoosesFiles) {
    Open();
    dvdsp::ui::MainPrompt prompt(*wnd);
    seam::AnswerNextModal(dvdsp::tk::kResultConfirm);
    EXPECT_TRUE(prompt.Ask("${reset_all_eq_tips}"));
    EXPECT_TRUE(Shown("${reset_all_eq_tips}"));
    seam::AnswerNextModal(2);
    EXPECT_EQ(prompt.AskThree("${empty_output_tips}", "${default}", "${cancel}", "${emptied}"), 2);

    seam::AnswerNextFileDialog(QStringLiteral("/tmp/live.spf"));
    EXPECT_EQ(prompt.ChooseFile(FileMode::Save, "${save}", "Profiles (*.spf)", "live.spf"),
              std::optional<std::string>("/tmp/live.spf"));
    seam::AnswerNextFileDialog(QString());
    EXPECT_EQ(prompt.ChooseFile(FileMode::Open, "${open}", "Profiles (*.spf)", ""), std::nullopt) << "cancelled";
}

}  // namespace
}  // namespace uitest
