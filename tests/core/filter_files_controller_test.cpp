// The EQ panel's filter files through the controller, against the virtual unit: a refused
// file changes nothing and sends nothing; an accepted one, asked about, reaches the unit
// with the partner following and the preamp as the trim only when the answer says so.
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "core/controller_fixture.h"
#include "core/part_helpers.h"
#include "support/test_folder.h"

using namespace dvdsp;
using namespace dvdsp::core;

namespace {

class FilterFilesTest : public dvdsp::testing::ControllerTest {
protected:
    std::string Write(const std::string& name, const std::string& text) {
        const std::string path = (std::filesystem::temp_directory_path() / ("dvdsp_filters_" + std::to_string(::getpid()) + name)).string();
        std::ofstream(path, std::ios::binary) << text;
        files_.push_back(path);
        return path;
    }
    ~FilterFilesTest() override {
        for (const std::string& f : files_) std::filesystem::remove(f);
    }
    std::vector<std::string> files_;
};

TEST_F(FilterFilesTest, ARefusedFileChangesNothingAndAnAcceptedOneReachesTheUnit) {
    ConnectAndReadOut();
    const SceneState before = Live();
    commands.Clear();
    mgr.Editor().TakeEdits();
    prompt.AnswerFile(Write("bad.txt", "Preamp: -3 dB\nFilter 1: ON PK Fc 100 Hz Gain -3 dB Q 1\nFilter 2: ON LS Fc 80 Hz Gain 3 dB\n"));
    mgr.ImportFilters(2);
    ASSERT_EQ(prompt.tips.size(), 1u);
    EXPECT_NE(prompt.tips[0].find("${filters_refused}\nline 3: LS"), std::string::npos) << prompt.tips[0];
    EXPECT_TRUE(mgr.Editor().TakeEdits().empty());
    EXPECT_EQ(Live(), before);
    Drain();
    EXPECT_TRUE(commands.Reports().empty());

    // Without the preamp (the third button): bands and crossover, the trim kept.
    prompt.AnswerFile(Write("good.txt", "Preamp: -6 dB\nFilter 1: ON PK Fc 120 Hz Gain -12 dB Q 1\nFilter 2: ON HP Fc 60 Hz\n"));
    prompt.AnswerThree(2);
    mgr.ImportFilters(2);
    ASSERT_EQ(prompt.asked.size(), 3u);
    EXPECT_NE(prompt.asked[2].find("Worst difference"), std::string::npos) << prompt.asked[2];
    EXPECT_EQ(Live().Bands(2)[0], (EqBand{-12.0f, 2.0f, 120, 1}));
    EXPECT_EQ(Live().channels[2].hp, (CrossoverFilter{60, 1, 2, 0}));
    EXPECT_EQ(Live().channels[2].gain, before.channels[2].gain);
    mgr.CloseStep();  // the window ends each action
    // With it: the trim follows.
    prompt.AnswerFile(files_.back());
    prompt.AnswerThree(1);
    mgr.ImportFilters(2);
    EXPECT_FLOAT_EQ(Live().channels[2].gain, -6.0f);
    Drain();
    Unit([](emu::UnitState& s) {
        const emu::Output& o = s.scenes[0].out[2];
        EXPECT_EQ(o.bands[0].freq, 120);
        EXPECT_EQ(o.bands[0].q100, 200);
        EXPECT_EQ(o.bands[0].gain10, 60);  // -12 dB + 18
        EXPECT_EQ(o.hp, (emu::Filter{1, 60, 2}));
        EXPECT_EQ(o.trim100, 600);
        return 0;
    });
    // Export writes what the channel holds; cancelling the file dialog does nothing.
    const std::string out = Write("out.txt", "");
    prompt.AnswerFile(out);
    mgr.ExportFilters(2);
    std::ifstream in(out);
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first, "Preamp: -6 dB");
    prompt.AnswerFile("");
    mgr.ImportFilters(2);
    // The import is one undo step: undone, the unit has the channel as the first import left it.
    mgr.CloseStep();
    EXPECT_EQ(mgr.UndoName(), "CH3 ${undo_import_filters}");
    view.posted.clear();  // the connection was shown once
    ASSERT_TRUE(mgr.Undo());
    Drain();
    EXPECT_EQ(Unit([](emu::UnitState& s) { return int(s.scenes[0].out[2].trim100); }), 0);
    EXPECT_EQ(Unit([](emu::UnitState& s) { return int(s.scenes[0].out[2].bands[0].freq); }), 120);

}

}  // namespace
