#pragma once
// How the controller reaches the user: messages, questions and file choices. The main
// window answers with its shared dialogs; tests answer from a script.

#include <optional>
#include <string>

namespace dvdsp::core {

enum class FileMode { Open, Save };

class Prompt {
public:
    virtual ~Prompt() = default;
    // A "${tips}" box with one "${confirm}" button; `text` may mix language keys ("${key}")
    // and plain text. It may be shown after the call returns.
    virtual void ShowTips(const std::string& text) = 0;
    // A "${tips}" question with "${confirm}" and "${cancel}"; true on confirm.
    virtual bool Ask(const std::string& text) = 0;
    // The two-choice box: 1 or 2 for the option picked, 0 when cancelled.
    virtual int AskChoice(const std::string& text, const std::string& option1, const std::string& option2) = 0;
    // A "${tips}" box with three buttons: 1 for the first, 0 for the second (cancel), 2 for
    // the third.
    virtual int AskThree(const std::string& text, const std::string& first, const std::string& second,
                         const std::string& third) = 0;
    // A file to open or to save as: `filter` as file dialogs take it ("Profiles (*.spf)"),
    // `defaultName` the name offered for saving. Nothing when the user cancels.
    virtual std::optional<std::string> ChooseFile(FileMode mode, const std::string& title, const std::string& filter,
                                                  const std::string& defaultName) = 0;
};

}  // namespace dvdsp::core
