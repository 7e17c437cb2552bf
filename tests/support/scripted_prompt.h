#pragma once
// A prompt that answers from a script: each question takes the next answer queued for
// its kind. A question nobody scripted, or of another kind than the next answer, fails
// the test with its text; answers left over are reported by `Unused`.

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "core/prompt.h"

namespace dvdsp::testing {

class ScriptedPrompt final : public core::Prompt {
public:
    enum class Kind { Ask, AskChoice, AskThree, ChooseFile };

    void Answer(bool yes) { answers_.push_back({Kind::Ask, yes ? 1 : 0, {}}); }
    void AnswerChoice(int choice) { answers_.push_back({Kind::AskChoice, choice, {}}); }
    void AnswerThree(int button) { answers_.push_back({Kind::AskThree, button, {}}); }
    // "" cancels the file dialog.
    void AnswerFile(const std::string& path) { answers_.push_back({Kind::ChooseFile, 0, path}); }

    void ShowTips(const std::string& text) override { tips.push_back(text); }
    bool Ask(const std::string& text) override { return Take(Kind::Ask, text).value != 0; }
    int AskChoice(const std::string& text, const std::string&, const std::string&) override {
        return Take(Kind::AskChoice, text).value;
    }
    int AskThree(const std::string& text, const std::string&, const std::string&, const std::string&) override {
        return Take(Kind::AskThree, text).value;
    }
    std::optional<std::string> ChooseFile(core::FileMode, const std::string& title, const std::string&,
                                          const std::string&) override {
        Scripted a = Take(Kind::ChooseFile, title);
        if (a.path.empty()) return std::nullopt;
        return a.path;
    }

    size_t Unused() const { return answers_.size(); }

    std::vector<std::string> asked;  // every question, in order
    std::vector<std::string> tips;   // every message shown

private:
    struct Scripted {
        Kind kind;
        int value;
        std::string path;
    };
    Scripted Take(Kind kind, const std::string& text) {
        asked.push_back(text);
        if (answers_.empty()) {
            ADD_FAILURE() << "unexpected question: " << text;
            return {kind, 0, {}};
        }
        Scripted a = answers_.front();
        answers_.pop_front();
        if (a.kind != kind) ADD_FAILURE() << "question of another kind than scripted: " << text;
        return a;
    }
    std::deque<Scripted> answers_;
};

}  // namespace dvdsp::testing
