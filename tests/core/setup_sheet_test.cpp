// The setup sheet's layout: every text on its page, none over another, whatever the note,
// the names and the bands in use; the paper of the locale.
#include <gtest/gtest.h>

#include <string>

#include "core/setup_sheet.h"

namespace dvdsp::core {
namespace {

struct Area {
    double left, top, right, bottom;
};

Area AreaOf(const sheet::TextRun& t) {
    return {t.x, t.y - t.size * 0.8, t.x + t.width, t.y + t.size * 0.2};
}

bool Overlap(const Area& a, const Area& b) {
    return a.left < b.right - 0.01 && b.left < a.right - 0.01 && a.top < b.bottom - 0.01 && b.top < a.bottom - 0.01;
}

TEST(SetupSheet, EveryTextOnItsPageAndNoneOverAnother) {
    auto m = std::make_unique<UnitModel>();
    SceneState& s = m->current;
    // Every band of three channels in use, every role, long names and a long note.
    for (int ch = 0; ch < 3; ++ch)
        for (int b = 0; b < s.channels[static_cast<size_t>(ch)].eqSize; ++b) s.Bands(ch)[b].gain = -2.5f;
    for (int ch = 0; ch < kChannels; ++ch) s.outputs[static_cast<size_t>(ch)] = 1 + ch * 2;
    s.channels[4].hp = {80, 2, 4, 0};
    s.mainVolume = -60;
    for (int n = 0; n < kStoredScenes; ++n) m->names[static_cast<size_t>(n)] = SceneNameFromUtf8("Концерт");
    m->validScenes = 0x7FE;
    m->scenes[3] = s;
    SheetInfo info;
    info.note = std::string(40, 'x') + " " + std::string(300, 'y') + " the customer's car\nsecond line";
    info.date = "2026-01-01";
    info.name = "A profile name that is far longer than any column would hold, and then some more";
    for (const bool letter : {false, true}) {
        info.letter = letter;
        const sheet::Document doc = BuildSetupSheet(*m, info, [](const std::string& k) { return "Text of " + k; });
        ASSERT_GE(doc.pages.size(), 3u);
        for (size_t p = 0; p < doc.pages.size(); ++p) {
            const auto& texts = doc.pages[p].texts;
            for (size_t i = 0; i < texts.size(); ++i) {
                const Area a = AreaOf(texts[i]);
                EXPECT_GE(a.left, 30) << texts[i].text;
                EXPECT_LE(a.right, doc.width - 30) << texts[i].text;
                EXPECT_GE(a.top, 30) << texts[i].text;
                EXPECT_LE(a.bottom, doc.height - 20) << texts[i].text;
                for (size_t j = i + 1; j < texts.size(); ++j)
                    EXPECT_FALSE(Overlap(a, AreaOf(texts[j])))
                        << "page " << p + 1 << ": '" << texts[i].text << "' and '" << texts[j].text << "'";
            }
        }
    }
}

TEST(SetupSheet, LetterWhereTheLocaleUsesIt) {
    EXPECT_TRUE(sheet::LocaleUsesLetter("en_US.UTF-8"));
    EXPECT_TRUE(sheet::LocaleUsesLetter("fr_CA"));
    EXPECT_FALSE(sheet::LocaleUsesLetter("en_GB.UTF-8"));
    EXPECT_FALSE(sheet::LocaleUsesLetter("ru_RU.UTF-8"));
    EXPECT_FALSE(sheet::LocaleUsesLetter("C"));
}

}  // namespace
}  // namespace dvdsp::core
