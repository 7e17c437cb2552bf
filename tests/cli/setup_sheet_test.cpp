// dvdsp-cli sheet: the setup sheet of a profile file or of the unit, read back from the
// PDF with poppler-utils.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "core/channel_format.h"
#include "core/profile.h"
#include "support/run_cli.h"
#include "support/test_folder.h"

#ifndef _WIN32
#include "cli/sheet_texts.h"
#include "support/pdf_tools.h"
#endif

namespace {

namespace fs = std::filesystem;
using dvdsp::testing::Quoted;
using dvdsp::testing::RunCli;

const std::string kProfile = std::string(DVDSP_TEST_DATA) + "/profile_unit.wpf";

class SheetCommand : public dvdsp::testing::FolderTest {
  protected:
    SheetCommand() : FolderTest("dvdsp_sheet_") {}
    std::string P(const std::string& name) const { return (dir_ / name).string(); }
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename().string());
        return names;
    }
};

#ifdef _WIN32

TEST_F(SheetCommand, SaysItIsNotAvailableOnWindows) {
    // The command line goes through cmd.exe, which takes only the program's path in quotes.
    const auto r = RunCli("sheet " + P("a.pdf") + " --profile " + kProfile);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.out.find("not available"), std::string::npos) << r.out;
    EXPECT_TRUE(Files().empty());
}

#else

using dvdsp::testing::Row;

int Pages(const std::string& pdf) {
    const std::string info = dvdsp::testing::CommandOutput("pdfinfo '" + pdf + "' 2>/dev/null");
    const size_t at = info.find("Pages:");
    return at == std::string::npos ? 0 : std::stoi(info.substr(at + 6));
}

TEST_F(SheetCommand, EveryValueOfAProfileInEachLanguageAndEveryPageRenders) {
    DVDSP_NEEDS_POPPLER();
    auto m = std::make_unique<dvdsp::core::UnitModel>();
    ASSERT_TRUE(dvdsp::core::ReadWholeProfile(kProfile, *m).ok());
    const dvdsp::core::SceneState& s = m->current;
    for (const std::string lang : {"en", "ru", "cn_zh"}) {
        SCOPED_TRACE(lang);
        const auto T = dvdsp::cli::LanguageTexts(lang);
        const std::string pdf = P("sheet_" + lang + ".pdf");
        const auto r = RunCli("sheet " + Quoted(pdf) + " --profile " + Quoted(kProfile) +
                              " --note 'Golf VII, front stage' --language " + lang + " --paper a4");
        ASSERT_EQ(r.code, 0) << r.out;
        const std::string text = dvdsp::testing::PdfText(pdf);
        EXPECT_NE(text.find(T("sheet_title")), std::string::npos);
        EXPECT_NE(text.find("Golf VII, front stage"), std::string::npos);
        EXPECT_NE(text.find("profile_unit.wpf"), std::string::npos);
        std::vector<std::string> trims, ms, cm, phases, hp, lp;
        for (const auto& ch : s.channels) {
            const bool off = ch.gain <= -60.0f;
            trims.push_back(off ? T("off") : dvdsp::core::TrimText(ch.gain, false));
            ms.push_back(dvdsp::core::DelayText(ch.delay, dvdsp::core::kDelayMs, true));
            cm.push_back(dvdsp::core::DelayText(ch.delay, dvdsp::core::kDelayCm, true));
            phases.push_back(ch.phase ? "180°" : "0°");
            hp.push_back(ch.hp.bypass || ch.hp.slope == 0 ? "–" : std::to_string(ch.hp.freq));
            lp.push_back(ch.lp.bypass || ch.lp.slope == 0 ? "–" : std::to_string(ch.lp.freq));
        }
        EXPECT_EQ(Row(text, T("sheet_trim")), trims);
        EXPECT_EQ(Row(text, T("sheet_delay") + " (ms)"), ms);
        EXPECT_EQ(Row(text, T("sheet_delay") + " (cm)"), cm);
        EXPECT_EQ(Row(text, T("phase")), phases);
        EXPECT_EQ(Row(text, T("sheet_hp") + " (Hz)"), hp);
        EXPECT_EQ(Row(text, T("sheet_lp") + " (Hz)"), lp);
        EXPECT_EQ(Row(text, T("sheet_volume")).front(), dvdsp::core::MainVolumeText(s.mainVolume));
        // The one band in use (channel 2): its row holds number, frequency, gain and Q.
        EXPECT_EQ(Row(text, "5"), (std::vector<std::string>{"1234", "-3.7", "2.50"}));
        EXPECT_NE(text.find("Road"), std::string::npos);
        EXPECT_NE(text.find(T("sheet_axis_db")), std::string::npos);
        // Each page is drawn.
        const int pages = Pages(pdf);
        ASSERT_GE(pages, 2);
        dvdsp::testing::CommandOutput("pdftoppm -r 20 -png '" + pdf + "' '" + P("page_" + lang) + "'");
        for (int p = 1; p <= pages; ++p)
            EXPECT_TRUE(fs::exists(P("page_" + lang + "-" + std::to_string(p) + ".png"))) << p;
    }
}

TEST_F(SheetCommand, TheUnitsSheetAndThePaperOfTheLocale) {
    DVDSP_NEEDS_POPPLER();
    // Scene 1 stored, then the live trim changed: the sheet names it and says it differs.
    const auto r = RunCli("--virtual-unit scene save 1 Road -- scene save 2 Same -- set trim 3 -9 -- scene save 2 Same"
                          " -- sheet " + Quoted(P("unit.pdf")),
                          "", {"LC_ALL=en_US.UTF-8"});
    ASSERT_EQ(r.code, 0) << r.out;
    const std::string text = dvdsp::testing::PdfText(P("unit.pdf"));
    EXPECT_EQ(Row(text, "1"), (std::vector<std::string>{"Road", "yes", "yes"})) << text;
    EXPECT_EQ(Row(text, "2"), (std::vector<std::string>{"Same", "yes", "no"}));
    EXPECT_EQ(Row(text, "3"), (std::vector<std::string>{"–", "no", "–"}));
    EXPECT_NE(text.find("VTR50 (model 98)"), std::string::npos) << text;
    EXPECT_EQ(Row(text, "Firmware"), std::vector<std::string>{"2.27"});
    const auto info = [&](const std::string& pdf) {
        return dvdsp::testing::CommandOutput("pdfinfo '" + pdf + "' 2>/dev/null");
    };
    EXPECT_NE(info(P("unit.pdf")).find("612 x 792"), std::string::npos);
    ASSERT_EQ(RunCli("sheet " + Quoted(P("de.pdf")) + " --profile " + Quoted(kProfile), "", {"LC_ALL=de_DE.UTF-8"}).code, 0);
    EXPECT_NE(info(P("de.pdf")).find("595.276 x 841.89"), std::string::npos) << info(P("de.pdf"));
}

TEST_F(SheetCommand, AnUnwritablePathOrARefusedProfileLeavesNoFile) {
    const auto unwritable = RunCli("sheet " + Quoted(P("no/such/folder/a.pdf")) + " --profile " + Quoted(kProfile));
    EXPECT_EQ(unwritable.code, 6);
    EXPECT_NE(unwritable.out.find("not written: Could not create the file [profile_create_error]"), std::string::npos)
        << unwritable.out;
    std::ofstream(P("bad.wpf")) << "{\"model\": 98, \"mainVolume\": 400}";
    const auto refused = RunCli("sheet " + Quoted(P("a.pdf")) + " --profile " + Quoted(P("bad.wpf")));
    const auto check = RunCli("profile check " + Quoted(P("bad.wpf")));
    EXPECT_EQ(refused.code, 5);
    EXPECT_EQ(refused.out, check.out);
    const auto folder = RunCli("sheet " + Quoted(P("a.pdf")) + " --profile " + Quoted(dir_.string()));
    EXPECT_EQ(folder.code, 5) << folder.out;
    EXPECT_EQ(Files(), std::vector<std::string>{"bad.wpf"});
}

#endif

}  // namespace
