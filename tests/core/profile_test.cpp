// Profile files: round trips, the exact text, and every refusal leaving the model as it was.
#include <cjson/cJSON.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "core/profile.h"
#include "core/profile_diff.h"
#include "profile_fixture.h"

namespace dvdsp::core {
namespace {

namespace fs = std::filesystem;
using fixtures::DecimalCommaLocale;
using fixtures::FillScene;
using fixtures::FillUnit;

std::string Golden() {
    std::string text;
    EXPECT_TRUE(ReadWholeFile(std::string(DVDSP_CORE_TEST_DATA) + "/scene_golden.spf", text));
    return text;
}

TEST(SceneProfile, RoundTripOfEveryKeptSetting) {
    SceneState written;
    FillScene(written, 3);
    SceneState read;
    ASSERT_TRUE(ParseSceneProfile(SceneProfileText(written), read).ok());
    EXPECT_TRUE(read == written);
    EXPECT_EQ(read.channels[2].gain, -3.5f);
    EXPECT_EQ(read.channels[9].eqSize, 12);
}

TEST(SceneProfile, TextIsTheGoldenFile) {
    SceneState s;
    FillScene(s, 0);
    const std::string text = SceneProfileText(s);
    EXPECT_EQ(text, Golden());
    EXPECT_EQ(text.rfind("{\"model\":98,\"model_name\":\"VTR50\",\"mainVolume\":-12,\"acc\":3,", 0), 0u);
    EXPECT_NE(text.back(), '\n');
    EXPECT_EQ(text.find_first_of(" \n\t"), std::string::npos);
}

TEST(SceneProfile, LocaleChangesNeitherTextNorValues) {
    SceneState s;
    FillScene(s, 0);
    DecimalCommaLocale german;
    if (!german.Ok()) GTEST_SKIP() << "no decimal-comma locale could be made";
    EXPECT_EQ(SceneProfileText(s), Golden());
    SceneState read;
    ASSERT_TRUE(ParseSceneProfile(Golden(), read).ok());
    EXPECT_TRUE(read == s);
}

TEST(SceneProfile, MissingCrossSourceArraysKeepTheirValues) {
    SceneState s;
    FillScene(s, 1);
    std::unique_ptr<cJSON, decltype(&cJSON_Delete)> root(cJSON_Parse(SceneProfileText(s).c_str()),
                                                         cJSON_Delete);
    for (const char* k : {"csmViceSource", "csmViceCh", "csmViceGain"})
        cJSON_DeleteItemFromObjectCaseSensitive(root.get(), k);
    char* text = cJSON_PrintUnformatted(root.get());
    SceneState read;
    read.csmViceGain[2][3] = -7;
    const auto before = read.csmViceGain;
    EXPECT_TRUE(ParseSceneProfile(text, read).ok());
    cJSON_free(text);
    EXPECT_EQ(read.csmViceGain, before);
    EXPECT_EQ(read.channels[2].gain, -3.5f);
}

TEST(WholeProfile, RoundTripWithSceneNames) {
    auto written = std::make_unique<UnitModel>();
    FillUnit(*written);
    auto read = std::make_unique<UnitModel>();
    ASSERT_TRUE(ParseWholeProfile(WholeProfileText(*written), *read).ok());
    for (size_t n = 0; n < kStoredScenes; ++n) EXPECT_EQ(read->names[n], written->names[n]) << n;
    EXPECT_EQ(SceneNameToUtf8(read->names[7]), "Lärm");
    // The wiring comes back too: bridge pairs, link and delay-link groups and cross-source
    // feeds of the live settings and of every scene. Only what a whole profile does not
    // hold keeps the reader's values.
    auto expected = std::make_unique<UnitModel>(*written);
    const SceneState defaults;
    for (SceneState& s : expected->scenes) {
        s.inMixPhase = defaults.inMixPhase;
        s.mainVolume = defaults.mainVolume;  // the root's values are the live settings'
        s.acc = defaults.acc;
        s.subVolume = defaults.subVolume;
        s.mainMute = defaults.mainMute;
    }
    EXPECT_TRUE(read->current == expected->current);
    for (size_t n = 0; n < kStoredScenes; ++n)
        EXPECT_EQ(DiffScenes(read->scenes[n], expected->scenes[n]), std::vector<std::string>{}) << n;
}

TEST(WholeProfile, OlderFilesWithoutTheWiringKeepTheReadersValues) {
    auto written = std::make_unique<UnitModel>();
    FillUnit(*written);
    std::unique_ptr<cJSON, decltype(&cJSON_Delete)> root(cJSON_Parse(WholeProfileText(*written).c_str()),
                                                         cJSON_Delete);
    // A file that holds the groups and the feeds once, and no bridge pairs.
    for (const char* key : {"linkSel", "delayLinkSel", "csmViceSource", "csmViceCh", "csmViceGain"})
        for (int n = 0; n < kStoredScenes; ++n) {
            cJSON* e = root->child;
            int seen = 0;
            while (e && !(std::string(e->string) == key && seen++ == 1)) e = e->next;
            ASSERT_NE(e, nullptr) << key;
            cJSON_Delete(cJSON_DetachItemViaPointer(root.get(), e));
        }
    cJSON_DeleteItemFromObject(cJSON_GetObjectItem(root.get(), "currentProfile"), "bridgeOutputs");
    for (int n = 0; n < kStoredScenes; ++n)
        cJSON_DeleteItemFromObject(cJSON_GetArrayItem(cJSON_GetObjectItem(root.get(), "sceneArray"), n),
                                   "bridgeOutputs");
    char* text = cJSON_PrintUnformatted(root.get());
    auto read = std::make_unique<UnitModel>();
    const ProfileResult r = ParseWholeProfile(text, *read);
    cJSON_free(text);
    ASSERT_TRUE(r.ok()) << r.detail;
    const SceneState defaults;
    EXPECT_EQ(read->current.linkSel, written->current.linkSel);
    EXPECT_EQ(read->current.csmViceGain, written->current.csmViceGain);
    EXPECT_EQ(read->current.bridge, defaults.bridge);
    EXPECT_EQ(read->scenes[4].linkSel, defaults.linkSel);
    EXPECT_EQ(read->scenes[4].bridge, defaults.bridge);
    EXPECT_EQ(read->scenes[4].csmViceSource, written->current.csmViceSource) << "the first ones";
    EXPECT_EQ(read->scenes[4].channels[3].gain, written->scenes[4].channels[3].gain);
}

TEST(WholeProfile, ASceneNameWithAControlCharacterIsRefused) {
    auto m = std::make_unique<UnitModel>();
    m->names[2] = SceneNameFromUtf8("Ro\nad");
    EXPECT_TRUE(SceneNameHasControl(m->names[2]));
    EXPECT_FALSE(SceneNameHasControl(SceneNameFromUtf8("Lärm 7")));
    auto read = std::make_unique<UnitModel>();
    const ProfileResult r = ParseWholeProfile(WholeProfileText(*m), *read);
    EXPECT_EQ(r.status, ProfileStatus::LoadError);
    EXPECT_NE(r.detail.find("scene name 3"), std::string::npos) << r.detail;
}

TEST(WholeProfile, NamesAreBase64OfSixteenWideBytes) {
    auto m = std::make_unique<UnitModel>();
    m->names[0] = SceneNameFromUtf8("Club");
    const std::string text = WholeProfileText(*m);
    // "Club" as little-endian wide characters, zero-filled to 16 bytes.
    EXPECT_NE(text.find("\"sceneName\":[\"QwBsAHUAYgAAAAAAAAAAAA==\",\"AAAAAAAAAAAAAAAAAAAAAA==\""),
              std::string::npos);
    // The cross-source arrays and groups come eleven times in the root.
    size_t count = 0;
    for (size_t at = text.find("\"csmViceSource\""); at != std::string::npos;
         at = text.find("\"csmViceSource\"", at + 1))
        ++count;
    EXPECT_EQ(count, 11u);
}

// ---- Refusals ------------------------------------------------------------------------

using Edit = std::function<void(cJSON* root)>;

std::string Edited(const Edit& edit) {
    SceneState s;
    std::unique_ptr<cJSON, decltype(&cJSON_Delete)> root(cJSON_Parse(SceneProfileText(s).c_str()),
                                                         cJSON_Delete);
    edit(root.get());
    char* text = cJSON_PrintUnformatted(root.get());
    std::string out = text;
    cJSON_free(text);
    return out;
}

cJSON* Channel(cJSON* root, int ch) {
    return cJSON_GetArrayItem(cJSON_GetObjectItem(root, "channels"), ch);
}

cJSON* CrossSource(cJSON* root, const char* key, int source, int in) {
    return cJSON_GetArrayItem(cJSON_GetArrayItem(cJSON_GetObjectItem(root, key), source), in);
}

struct Refusal {
    const char* name;
    std::function<std::string()> text;
    const char* key;
};

const Refusal kRefusals[] = {
    {"NineChannels",
     [] { return Edited([](cJSON* r) { cJSON_DeleteItemFromArray(cJSON_GetObjectItem(r, "channels"), 9); }); },
     "${profile_load_error}"},
    {"EqArrayShorterThanEqSize",
     [] { return Edited([](cJSON* r) { cJSON_DeleteItemFromArray(cJSON_GetObjectItem(Channel(r, 4), "eqArray"), 0); }); },
     "${profile_load_error}"},
    {"EqSizeSmallerThanEqArray",
     [] { return Edited([](cJSON* r) { cJSON_SetNumberValue(cJSON_GetObjectItem(Channel(r, 4), "eqSize"), 30); }); },
     "${profile_load_error}"},
    {"Model97",
     [] { return Edited([](cJSON* r) { cJSON_SetNumberValue(cJSON_GetObjectItem(r, "model"), 97); }); },
     "${software_not_match}"},
    {"MissingKey",
     [] { return Edited([](cJSON* r) { cJSON_DeleteItemFromObject(r, "lockMode"); }); },
     "${profile_load_error}"},
    {"MissingBandKey",
     [] { return Edited([](cJSON* r) {
          cJSON_DeleteItemFromObject(cJSON_GetArrayItem(cJSON_GetObjectItem(Channel(r, 7), "eqArray"), 30), "eqGain");
      }); },
     "${profile_load_error}"},
    {"WrongType",
     [] { return Edited([](cJSON* r) { cJSON_ReplaceItemInObject(r, "mainVolume", cJSON_CreateString("-5")); }); },
     "${profile_load_error}"},
    {"WrongArraySize",
     [] { return Edited([](cJSON* r) { cJSON_DeleteItemFromArray(cJSON_GetObjectItem(r, "bridgeOutputs"), 0); }); },
     "${profile_load_error}"},
    {"EqSize32",
     [] { return Edited([](cJSON* r) {
          cJSON* c = Channel(r, 0);
          cJSON_SetNumberValue(cJSON_GetObjectItem(c, "eqSize"), 32);
          cJSON* bands = cJSON_GetObjectItem(c, "eqArray");
          cJSON_AddItemToArray(bands, cJSON_Duplicate(cJSON_GetArrayItem(bands, 0), 1));
      }); },
     "${profile_load_error}"},
    // Values outside what the unit takes: they would wrap on the wire.
    {"MainVolumeMinus1000",
     [] { return Edited([](cJSON* r) { cJSON_SetNumberValue(cJSON_GetObjectItem(r, "mainVolume"), -1000); }); },
     "${profile_load_error}"},
    {"MainVolumeHuge",
     [] { return Edited([](cJSON* r) { cJSON_SetNumberValue(cJSON_GetObjectItem(r, "mainVolume"), -1e308); }); },
     "${profile_load_error}"},
    {"TrimMinus500",
     [] { return Edited([](cJSON* r) { cJSON_SetNumberValue(cJSON_GetObjectItem(Channel(r, 2), "gain"), -500); }); },
     "${profile_load_error}"},
    {"DelayMinus5",
     [] { return Edited([](cJSON* r) { cJSON_SetNumberValue(cJSON_GetObjectItem(Channel(r, 1), "delay"), -5); }); },
     "${profile_load_error}"},
    {"DelayHuge",
     [] { return Edited([](cJSON* r) { cJSON_SetNumberValue(cJSON_GetObjectItem(Channel(r, 1), "delay"), 1e30); }); },
     "${profile_load_error}"},
    {"SlopeMinus3",
     [] { return Edited([](cJSON* r) {
          cJSON* hp = cJSON_GetObjectItem(cJSON_GetObjectItem(Channel(r, 3), "crossover"), "hp");
          cJSON_SetNumberValue(cJSON_GetObjectItem(hp, "slope"), -3);
      }); },
     "${profile_load_error}"},
    {"FilterType99",
     [] { return Edited([](cJSON* r) {
          cJSON* lp = cJSON_GetObjectItem(cJSON_GetObjectItem(Channel(r, 3), "crossover"), "lp");
          cJSON_SetNumberValue(cJSON_GetObjectItem(lp, "type"), 99);
      }); },
     "${profile_load_error}"},
    {"RoleMinus1",
     [] { return Edited([](cJSON* r) { cJSON_SetNumberValue(cJSON_GetArrayItem(cJSON_GetObjectItem(r, "outputs"), 4), -1); }); },
     "${profile_load_error}"},
    {"RoutingMaskOver8Bits",
     [] { return Edited([](cJSON* r) {
          cJSON_SetNumberValue(cJSON_GetArrayItem(cJSON_GetArrayItem(cJSON_GetObjectItem(r, "inputs"), 0), 0), 0x1FF);
      }); },
     "${profile_load_error}"},
    {"LinkGroup12",
     [] { return Edited([](cJSON* r) { cJSON_SetNumberValue(cJSON_GetArrayItem(cJSON_GetObjectItem(r, "linkSel"), 1), 12); }); },
     "${profile_load_error}"},
    {"DelayLinkGroupMinus1",
     [] { return Edited([](cJSON* r) { cJSON_SetNumberValue(cJSON_GetArrayItem(cJSON_GetObjectItem(r, "delayLinkSel"), 0), -1); }); },
     "${profile_load_error}"},
    {"CrossSourceGain230",
     [] { return Edited([](cJSON* r) { cJSON_SetNumberValue(CrossSource(r, "csmViceGain", 2, 1), 230); }); },
     "${profile_load_error}"},
    {"CrossSourceGainMinus33",
     [] { return Edited([](cJSON* r) { cJSON_SetNumberValue(CrossSource(r, "csmViceGain", 0, 0), -33); }); },
     "${profile_load_error}"},
    {"CrossSourceGainHuge",
     [] { return Edited([](cJSON* r) { cJSON_SetNumberValue(CrossSource(r, "csmViceGain", 8, 7), 1e30); }); },
     "${profile_load_error}"},
    {"CrossSourceSource300",
     [] { return Edited([](cJSON* r) { cJSON_SetNumberValue(CrossSource(r, "csmViceSource", 5, 3), 300); }); },
     "${profile_load_error}"},
    {"CrossSourceChannel257",
     [] { return Edited([](cJSON* r) { cJSON_SetNumberValue(CrossSource(r, "csmViceCh", 5, 3), 257); }); },
     "${profile_load_error}"},
    {"LockMode2",
     [] { return Edited([](cJSON* r) { cJSON_SetNumberValue(cJSON_GetObjectItem(r, "lockMode"), 2); }); },
     "${profile_load_error}"},
    {"BandGainInfinite",
     [] {
         std::string t = Edited([](cJSON* r) {
             cJSON_SetNumberValue(cJSON_GetObjectItem(cJSON_GetArrayItem(cJSON_GetObjectItem(Channel(r, 7), "eqArray"), 3), "eqGain"), 777);
         });
         return t.replace(t.find("777"), 3, "1e999");
     },
     "${profile_load_error}"},
    {"LargerThanAnyProfile",
     [] { return Edited([](cJSON* r) { cJSON_AddItemToObject(r, "padding", cJSON_CreateString(std::string(3 << 20, 'x').c_str())); }); },
     "${profile_load_error}"},
    {"NotJson", [] { return std::string("{\"model\":98,"); }, "${profile_open_error}"},
    {"Empty", [] { return std::string(); }, "${profile_open_error}"},
};

class ProfileRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(ProfileRefusal, LeavesTheModelAndGivesTheKey) {
    auto m = std::make_unique<UnitModel>();
    FillUnit(*m);
    const auto before = std::make_unique<UnitModel>(*m);
    const std::string text = GetParam().text();
    const ProfileResult scene = ParseSceneProfile(text, m->current);
    EXPECT_FALSE(scene.ok());
    EXPECT_STREQ(MessageKey(scene, false), GetParam().key);
    EXPECT_FALSE(scene.detail.empty());
    EXPECT_TRUE(*m == *before);
}

INSTANTIATE_TEST_SUITE_P(All, ProfileRefusal, ::testing::ValuesIn(kRefusals),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(ProfileRefusal, WholeProfileFaultsLeaveEverything) {
    auto m = std::make_unique<UnitModel>();
    FillUnit(*m);
    const auto before = std::make_unique<UnitModel>(*m);
    std::unique_ptr<cJSON, decltype(&cJSON_Delete)> root(cJSON_Parse(WholeProfileText(*m).c_str()),
                                                         cJSON_Delete);
    // The last scene's last channel is broken: everything before it was already read.
    cJSON* scene = cJSON_GetArrayItem(cJSON_GetObjectItem(root.get(), "sceneArray"), 9);
    cJSON_DeleteItemFromObject(cJSON_GetArrayItem(cJSON_GetObjectItem(scene, "channels"), 9), "phase");
    char* text = cJSON_PrintUnformatted(root.get());
    auto fresh = std::make_unique<UnitModel>();
    const ProfileResult r = ParseWholeProfile(text, *fresh);
    cJSON_free(text);
    EXPECT_EQ(r.status, ProfileStatus::LoadError);
    EXPECT_TRUE(*fresh == UnitModel());
    // A value out of range in the feeds of any scene refuses the whole file.
    root.reset(cJSON_Parse(WholeProfileText(*m).c_str()));
    int seen = 0;
    for (cJSON* e = root->child; e; e = e->next)
        if (std::string(e->string) == "csmViceGain" && seen++ == 6)
            cJSON_SetNumberValue(cJSON_GetArrayItem(cJSON_GetArrayItem(e, 3), 2), 230);
    text = cJSON_PrintUnformatted(root.get());
    const ProfileResult gain = ParseWholeProfile(text, *fresh);
    cJSON_free(text);
    EXPECT_EQ(gain.status, ProfileStatus::LoadError);
    EXPECT_NE(gain.detail.find("scene 6: \"csmViceGain\" 230 is outside -32 to 6"), std::string::npos) << gain.detail;
    EXPECT_TRUE(*fresh == UnitModel());
    // A scene profile is no whole profile.
    EXPECT_EQ(ParseWholeProfile(SceneProfileText(m->current), *m).status, ProfileStatus::LoadError);
    EXPECT_TRUE(*m == *before);
}

TEST(ProfileFiles, UnreadableAndUncreatable) {
    const fs::path dir = fs::temp_directory_path() / ("dvdsp_core_profile_" + std::to_string(getpid()));
    fs::create_directories(dir);
    SceneState s;
    FillScene(s, 2);
    const SceneState before = s;
    ProfileResult r = ReadSceneProfile((dir / "missing.spf").string(), s);
    EXPECT_STREQ(MessageKey(r, false), "${profile_open_error}");
    r = ReadSceneProfile(dir.string(), s);  // a directory
    EXPECT_STREQ(MessageKey(r, false), "${profile_open_error}");
    EXPECT_TRUE(s == before);
    r = WriteSceneProfile((dir / "no" / "such" / "dir.spf").string(), s);
    EXPECT_STREQ(MessageKey(r, true), "${profile_create_error}");
    const std::string path = (dir / "a.spf").string();
    r = WriteSceneProfile(path, s);
    EXPECT_STREQ(MessageKey(r, true), "${profile_save_ok}");
    SceneState read;
    EXPECT_TRUE(ReadSceneProfile(path, read).ok());
    EXPECT_TRUE(read == s);
    fs::remove_all(dir);
}

TEST(Base64, KnownVectorsAndBadText) {
    const std::string plain = "foobar";
    const auto* p = reinterpret_cast<const uint8_t*>(plain.data());
    EXPECT_EQ(Base64Encode(p, 1), "Zg==");
    EXPECT_EQ(Base64Encode(p, 2), "Zm8=");
    EXPECT_EQ(Base64Encode(p, 6), "Zm9vYmFy");
    std::string out;
    EXPECT_TRUE(Base64Decode("Zm8=", out));
    EXPECT_EQ(out, "fo");
    EXPECT_FALSE(Base64Decode("Zm8", out));
    EXPECT_FALSE(Base64Decode("Z=8A", out));
    EXPECT_FALSE(Base64Decode("Zm8*", out));
}

}  // namespace
}  // namespace dvdsp::core
