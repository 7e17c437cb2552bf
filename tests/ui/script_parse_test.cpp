// The lines of a script as steps, before anything runs.
#include <gtest/gtest.h>

#include <climits>

#include "ui/main/script_parse.h"

using namespace dvdsp::ui;

namespace {

ScriptStep Parsed(const QString& line) {
    ScriptLine l = ParseScriptLine(line);
    EXPECT_FALSE(l.skip) << line.toStdString();
    EXPECT_TRUE(l.error.isEmpty()) << line.toStdString() << ": " << l.error.toStdString();
    return l.step;
}

QString Error(const QString& line) {
    return ParseScriptLine(line).error;
}

}  // namespace

TEST(ScriptParse, StepsWithTheirNumbersAndTexts) {
    ScriptStep drag = Parsed("drag slider_main_volume 95 9 -50 9");
    EXPECT_EQ(drag.verb, ScriptVerb::Drag);
    EXPECT_EQ(drag.target, "slider_main_volume");
    EXPECT_EQ(drag.points, (std::array<int, 4>{95, 9, -50, 9}));
    EXPECT_EQ(Parsed("slide s -30").value, -30);
    EXPECT_EQ(Parsed("type edit_a  two   words ").text, "two words");
    EXPECT_EQ(Parsed("answer-file /tmp/my scene.spf").text, "/tmp/my scene.spf");
    EXPECT_EQ(Parsed("answer cancel").answer, ScriptAnswer::Close);
    EXPECT_EQ(Parsed("wait-message hello").ms, 10000);
    ScriptStep message = Parsed("wait-message Load scene 5? Sure 300");
    EXPECT_EQ(message.target, "Load scene 5? Sure");
    EXPECT_EQ(message.ms, 300);
    ScriptStep keys = Parsed("key edit_a Up PageDown spin-up");
    EXPECT_EQ(keys.verb, ScriptVerb::Key);
    EXPECT_EQ(keys.target, "edit_a");
    EXPECT_EQ(keys.text, "up pagedown spin-up");
    EXPECT_EQ(Parsed("wait-connected 200").ms, 200);
    EXPECT_EQ(Parsed("sleep 2147483647").ms, INT_MAX);
    // wait-text: a last number is the time, unless it is all the text there is.
    ScriptStep text = Parsed("wait-text company_title DV DSP Audio");
    EXPECT_EQ(text.text, "DV DSP Audio");
    EXPECT_EQ(text.ms, 5000);
    EXPECT_EQ(Parsed("wait-text edit -30dB 100").ms, 100);
    EXPECT_EQ(Parsed("wait-text edit 1").text, "1");
    EXPECT_EQ(Parsed("wait-text edit -1 -5").text, "-1 -5");  // no negative time
    // Tabs separate words as blanks do.
    ScriptStep tabbed = Parsed("\tclick\tbtnConnect \t");
    EXPECT_EQ(tabbed.verb, ScriptVerb::Click);
    EXPECT_EQ(tabbed.target, "btnConnect");
    EXPECT_TRUE(ParseScriptLine("  # a comment").skip);
    EXPECT_TRUE(ParseScriptLine(" \t ").skip);
}

TEST(ScriptParse, ABadLineSaysWhatIsWrong) {
    EXPECT_EQ(Error("dance btnConnect"), "unknown step: dance btnConnect");
    EXPECT_EQ(Error("click"), "unknown step: click");
    EXPECT_EQ(Error("drag a 1 2 3"), "unknown step: drag a 1 2 3");
    EXPECT_EQ(Error("slide s loud"), "not a number: loud");
    EXPECT_EQ(Error("drag a 1 2 x 4"), "not a number: x");
    EXPECT_EQ(Error("answer maybe"), "answer takes confirm, cancel, third or close");
    EXPECT_EQ(Error("wait-window MsgWnd soon"), "not a time in milliseconds: soon");
    EXPECT_EQ(Error("wait-disconnected -5"), "not a time in milliseconds: -5");
    EXPECT_TRUE(Error("key edit_a up jump").startsWith("unknown key: jump")) << Error("key edit_a up jump").toStdString();
    EXPECT_EQ(Error("key edit_a"), "unknown step: key edit_a");
    EXPECT_EQ(Error("sleep 99999999999"), "not a time in milliseconds: 99999999999");
}

TEST(ScriptParse, AStepWrittenOutParsesBackToItself) {
    for (const char* line : {"click a", "uncheck b", "type e x  y", "type e", "type-leave e 12", "slide s -3",
                             "choose c item", "menu demo_item_plug", "drag d 1 2 3 4", "open AboutWnd",
                             "answer third", "answer close", "answer-file", "answer-file /a b", "wait-message m 5", "wait-message two words 7", "wait-message 5", "key e up spin-down",
                             "wait-window W", "wait-text t a 5 5000", "wait-text t 7", "wait-connected",
                             "wait-disconnected 9", "sleep 0"}) {
        ScriptStep s = Parsed(line);
        EXPECT_EQ(Parsed(ScriptStepText(s)), s) << line << " -> " << ScriptStepText(s).toStdString();
    }
    EXPECT_EQ(ScriptFileLines("a\nb\n"), (QStringList{"a", "b", ""}));
}
