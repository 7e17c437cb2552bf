// Stored scenes, MCU settings, karaoke and the firmware transfer acknowledgements.
#include "emulator/unit_wire.h"

namespace dvdsp::emu {
namespace {

using namespace dvdsp::link;
using namespace dvdsp::emu::testing;

Bytes Name(const char* text) {
    Bytes n(16, 0);
    for (size_t i = 0; text[i] && i < 16; ++i) n[i] = static_cast<uint8_t>(text[i]);
    return n;
}

Bytes NameCommand(uint8_t scene, const Bytes& name) {
    Bytes d{scene, static_cast<uint8_t>(name.size())};
    d.insert(d.end(), name.begin(), name.end());
    return d;
}

uint8_t LiveMute(VirtualUnit& u, uint8_t ch) {
    return GetDsp(u, DSP_MUTE_CH, {0, 0, ch, ch})[4];
}

TEST(UnitScenes, FreshUnitHasNoScenes) {
    VirtualUnit u;
    EXPECT_EQ(Get(u, CMD_FLASH, FLASH_SCENE_VALID), (Bytes{0, 0}));
    EXPECT_EQ(Get(u, CMD_FLASH, FLASH_SCENE_ID), (Bytes{0}));
    for (uint8_t n = 1; n <= 10; ++n) {
        Bytes expected{n};
        expected.insert(expected.end(), 16, 0xFF);  // erased flash
        EXPECT_EQ(Get(u, CMD_FLASH, FLASH_SCENE_NAME, {n}), expected);
    }
    EXPECT_FALSE(Ask(u, CMD_FLASH, FLASH_SCENE_NAME, OP_GET, {0}).present);
    EXPECT_FALSE(Ask(u, CMD_FLASH, FLASH_SCENE_NAME, OP_GET, {11}).present);
}

TEST(UnitScenes, SaveLoadDelete) {
    VirtualUnit u;
    // Live channel 2 muted, saved with a name into scene 3 as the scene window does.
    SetDsp(u, DSP_MUTE_CH, {0, 0, 2, 2, 1});
    EXPECT_EQ(Set(u, CMD_FLASH, FLASH_SCENE_NAME, NameCommand(3, Name("Club"))), ACK_READY);
    Answer save = Ask(u, CMD_FLASH, FLASH_SCENE_SAVE, OP_SET, {3, 0});
    EXPECT_EQ(save.op, OP_ACK);
    EXPECT_EQ(save.data, (Bytes{0x0A, 3}));
    EXPECT_EQ(Get(u, CMD_FLASH, FLASH_SCENE_VALID), (Bytes{0x00, 0x08}));
    EXPECT_EQ(Get(u, CMD_FLASH, FLASH_SCENE_ID), (Bytes{3}));
    Bytes name{3};
    Bytes club = Name("Club");
    name.insert(name.end(), club.begin(), club.end());
    EXPECT_EQ(Get(u, CMD_FLASH, FLASH_SCENE_NAME, {3}), name);

    // Change the live settings, then load scene 3 back.
    SetDsp(u, DSP_MUTE_CH, {0, 0, 2, 2, 0});
    EXPECT_EQ(LiveMute(u, 2), 0);
    EXPECT_EQ(Set(u, CMD_FLASH, FLASH_SCENE_READ, {3, 0}), ACK_READY);
    EXPECT_EQ(LiveMute(u, 2), 1);

    // An empty slot cannot be loaded; the live settings stay.
    EXPECT_EQ(Set(u, CMD_FLASH, FLASH_SCENE_READ, {4, 0}), ACK_NOT_READY);
    EXPECT_EQ(LiveMute(u, 2), 1);

    Answer del = Ask(u, CMD_FLASH, FLASH_SCENE_DELETE, OP_SET, {3});
    EXPECT_EQ(del.data, (Bytes{0x0A, 3}));
    EXPECT_EQ(Get(u, CMD_FLASH, FLASH_SCENE_VALID), (Bytes{0, 0}));
    EXPECT_EQ(Get(u, CMD_FLASH, FLASH_SCENE_ID), (Bytes{0}));
    EXPECT_EQ(Get(u, CMD_FLASH, FLASH_SCENE_NAME, {3})[1], 0xFF);
    EXPECT_EQ(GetDsp(u, DSP_MUTE_CH, {3, 0, 2, 2})[4], 0);  // the slot is back to defaults
    EXPECT_EQ(Set(u, CMD_FLASH, FLASH_SCENE_DELETE, {0}), ACK_NOT_READY);
    EXPECT_EQ(Set(u, CMD_FLASH, FLASH_SCENE_SAVE, {11, 0}), ACK_NOT_READY);
}

TEST(UnitScenes, WholeProfileWritesSceneValuesAndSavesThemImmediately) {
    VirtualUnit u;
    // Values sent with scene number 7, then SaveScene(7, immediately): the live settings
    // are not copied over them.
    SetDsp(u, DSP_TRIM_CH, {7, 0, 0, 0, 6, 50});
    SetDsp(u, DSP_TRIM_CH, {0, 0, 0, 0, 1, 0});
    EXPECT_EQ(Set(u, CMD_FLASH, FLASH_SCENE_SAVE, {7, 1}), ACK_READY);
    EXPECT_EQ(GetDsp(u, DSP_TRIM_CH, {7, 0, 0, 0}), (Bytes{7, 0, 0, 0, 6, 50}));
    EXPECT_EQ(Get(u, CMD_FLASH, FLASH_SCENE_VALID), (Bytes{0x00, 0x80}));

    // ReadScene to 255 prepares scene 7 and leaves the live settings alone.
    EXPECT_EQ(Set(u, CMD_FLASH, FLASH_SCENE_READ, {7, 255}), ACK_READY);
    EXPECT_EQ(u.PreparedScene(), 7);
    EXPECT_EQ(GetDsp(u, DSP_TRIM_CH, {0, 0, 0, 0}), (Bytes{0, 0, 0, 0, 1, 0}));
    EXPECT_EQ(GetDsp(u, DSP_TRIM_CH, {7, 0, 0, 0}), (Bytes{7, 0, 0, 0, 6, 50}));
}

TEST(UnitScenes, NamesArePaddedAndCut) {
    VirtualUnit u;
    EXPECT_EQ(Set(u, CMD_FLASH, FLASH_SCENE_NAME, {2, 3, 'A', 'b', 'c'}), ACK_READY);
    Bytes expected{2, 'A', 'b', 'c'};
    expected.resize(17, 0);
    EXPECT_EQ(Get(u, CMD_FLASH, FLASH_SCENE_NAME, {2}), expected);
    // A length beyond the data takes what is there.
    EXPECT_EQ(Set(u, CMD_FLASH, FLASH_SCENE_NAME, {2, 40, 'X'}), ACK_READY);
    EXPECT_EQ(Get(u, CMD_FLASH, FLASH_SCENE_NAME, {2})[1], 'X');
    EXPECT_EQ(Get(u, CMD_FLASH, FLASH_SCENE_NAME, {2})[2], 0);
}

TEST(UnitScenes, ProfileAreas) {
    VirtualUnit u;
    Bytes chunk{5, 0x01, 0x00, 4, 9, 8, 7, 6};  // scene 5, offset 256, 4 bytes
    EXPECT_EQ(Set(u, CMD_FLASH, FLASH_SCENE_PROFILE, chunk), ACK_READY);
    EXPECT_EQ(Get(u, CMD_FLASH, FLASH_SCENE_PROFILE, {5, 0x01, 0x00, 6}),
              (Bytes{5, 1, 0, 6, 9, 8, 7, 6, 0xFF, 0xFF}));
    // Past the end: refused; a read at the end gets what is left.
    EXPECT_EQ(Set(u, CMD_FLASH, FLASH_SCENE_PROFILE, {5, 0x0F, 0xFE, 4, 1, 2, 3, 4}),
              ACK_NOT_READY);
    EXPECT_EQ(Get(u, CMD_FLASH, FLASH_SCENE_PROFILE, {5, 0x0F, 0xFE, 53}).size(), 4u + 2);
    EXPECT_EQ(Get(u, CMD_FLASH, FLASH_SCENE_PROFILE, {5, 0xFF, 0xFF, 53}).size(), 4u);
    // At most 53 bytes per reply.
    EXPECT_EQ(Get(u, CMD_FLASH, FLASH_SCENE_PROFILE, {0, 0, 0, 200}).size(), 4u + 53);
}

TEST(UnitScenes, FactoryDefaultRestoresEverything) {
    VirtualUnit u;
    SetDsp(u, DSP_VOLUME, {40});
    SetDsp(u, DSP_CH_TYPE, {0, 0, 0, 0, 3});
    Set(u, CMD_MCU, MCU_ACC, {9});
    Set(u, CMD_FLASH, FLASH_SCENE_NAME, NameCommand(1, Name("x")));
    Set(u, CMD_FLASH, FLASH_SCENE_SAVE, {1, 0});
    EXPECT_EQ(Set(u, CMD_MCU, MCU_FACTORY_DEFAULT), ACK_READY);
    EXPECT_EQ(GetDsp(u, DSP_VOLUME), (Bytes{11}));
    EXPECT_EQ(GetDsp(u, DSP_CH_TYPE, {0, 0, 0, 0})[4], 6);
    EXPECT_EQ(Get(u, CMD_MCU, MCU_ACC), (Bytes{0}));
    EXPECT_EQ(Get(u, CMD_FLASH, FLASH_SCENE_VALID), (Bytes{0, 0}));
    EXPECT_EQ(Get(u, CMD_FLASH, FLASH_SCENE_NAME, {1})[1], 0xFF);
    EXPECT_TRUE(u.State() == DefaultUnitState());
}

TEST(UnitMcu, SettingsAndStrings) {
    VirtualUnit u;
    EXPECT_EQ(Get(u, CMD_MCU, MCU_GET_DSPFLASH_VER), (Bytes{2, 27, 0, 1}));
    EXPECT_EQ(Get(u, CMD_MCU, MCU_BOOTLOADER_VER), (Bytes{3}));
    Bytes info = Get(u, CMD_MCU, MCU_INFO);
    EXPECT_EQ(info[0], info.size() - 1);
    EXPECT_LE(info[0], 16);

    EXPECT_EQ(Set(u, CMD_MCU, MCU_POWER_OFF_TIME, {0x0B, 0xB8}), ACK_READY);
    EXPECT_EQ(Get(u, CMD_MCU, MCU_POWER_OFF_TIME), (Bytes{0x0B, 0xB8}));
    EXPECT_EQ(Set(u, CMD_MCU, MCU_ACC, {0xFB}), ACK_READY);
    EXPECT_EQ(Get(u, CMD_MCU, MCU_ACC), (Bytes{0xFB}));

    EXPECT_EQ(Get(u, CMD_MCU, MCU_PASSWORD), (Bytes{0, 0}));
    EXPECT_EQ(Set(u, CMD_MCU, MCU_PASSWORD, {4, '1', '2', '3', '4', 3, 'p', 'i', 'n'}), ACK_READY);
    EXPECT_EQ(Get(u, CMD_MCU, MCU_PASSWORD), (Bytes{4, '1', '2', '3', '4', 3, 'p', 'i', 'n'}));
    // Lengths that overrun the data are refused; a long password is kept to 12 bytes.
    EXPECT_EQ(Set(u, CMD_MCU, MCU_PASSWORD, {9, '1'}), ACK_NOT_READY);
    EXPECT_EQ(Set(u, CMD_MCU, MCU_PASSWORD, {2, 'a', 'b', 7, 'c'}), ACK_NOT_READY);
    Bytes longPwd{20};
    longPwd.insert(longPwd.end(), 20, 'z');
    longPwd.push_back(0);
    EXPECT_EQ(Set(u, CMD_MCU, MCU_PASSWORD, longPwd), ACK_READY);
    EXPECT_EQ(Get(u, CMD_MCU, MCU_PASSWORD)[0], 12);

    EXPECT_EQ(Set(u, CMD_MCU, MCU_REBOOT), ACK_READY);
    EXPECT_EQ(u.RebootCount(), 1);
    EXPECT_EQ(Get(u, CMD_MCU, MCU_ACC), (Bytes{0xFB}));  // kept across the reboot
}

TEST(UnitKaraoke, ValuesRoundTrip) {
    VirtualUnit u;
    EXPECT_EQ(Set(u, CMD_KTV, KTV_ECHO_DELAY, {0x01, 0x2C}), ACK_READY);
    EXPECT_EQ(Get(u, CMD_KTV, KTV_ECHO_DELAY), (Bytes{0x01, 0x2C, 0}));
    EXPECT_EQ(Set(u, CMD_KTV, KTV_BASS_GAIN, {0xFD}), ACK_READY);
    EXPECT_EQ(Get(u, CMD_KTV, KTV_BASS_GAIN), (Bytes{0xFD, 0, 0}));
    EXPECT_EQ(Get(u, CMD_KTV, KTV_MIC_VOL), (Bytes{0, 0, 0}));
    EXPECT_FALSE(Ask(u, CMD_KTV, 11, OP_GET).present);
}

TEST(UnitUpgrade, LoaderTakesATransferAndInstallsItsVersion) {
    VirtualUnit u;
    // Out of the loader a start is refused; the enter command reboots into it.
    EXPECT_EQ(Set(u, CMD_MCU, MCU_UPG_START, {2, 30, 0, 0}), ACK_NOT_READY);
    EXPECT_EQ(Set(u, CMD_MCU, MCU_ENTER_UPG), ACK_READY);
    EXPECT_TRUE(u.InUpgradeMode());
    EXPECT_GT(u.TakeRebootRequest(), 0u);
    u.PowerOn();
    EXPECT_TRUE(u.InUpgradeMode());
    // The loader refuses the hand-shake and knows nothing of the settings.
    EXPECT_EQ(Ask(u, CMD_MCU, MCU_HANDSHAKE, OP_SET).data[0], 0xF0);
    EXPECT_FALSE(Ask(u, CMD_DSP, DSP_VOLUME, OP_GET).present);

    EXPECT_EQ(Set(u, CMD_MCU, MCU_UPG_START, {2, 30, 0, 0}), ACK_READY);
    Bytes block(36, 7);
    block[0] = block[1] = block[2] = 0;
    block[3] = 32;  // offset 32 first, then 0
    EXPECT_EQ(Set(u, CMD_MCU, MCU_UPG_DATA, block), ACK_READY);
    // A finish with a gap installs nothing.
    EXPECT_EQ(Set(u, CMD_MCU, MCU_UPG_FINISH), ACK_NOT_READY);
    block[3] = 0;
    EXPECT_EQ(Set(u, CMD_MCU, MCU_UPG_DATA, block), ACK_READY);
    EXPECT_EQ(Set(u, CMD_MCU, MCU_UPG_FINISH), ACK_READY);
    EXPECT_FALSE(u.InUpgradeMode());
    EXPECT_GT(u.TakeRebootRequest(), 0u);
    u.PowerOn();
    Bytes hs = Ask(u, CMD_MCU, MCU_HANDSHAKE, OP_SET).data;
    EXPECT_EQ((Bytes{hs[1], hs[2], hs[3]}), (Bytes{98, 2, 30}));
    EXPECT_EQ(u.UnknownCommands(), 1u);  // the volume asked in the loader
}

TEST(UnitUpgrade, CutOffTransferBootsIntoTheLoaderAgain) {
    VirtualUnit u;
    EXPECT_EQ(Set(u, CMD_MCU, MCU_ENTER_UPG), ACK_READY);
    u.PowerOn();
    EXPECT_EQ(Set(u, CMD_MCU, MCU_UPG_START, {2, 30, 0, 0}), ACK_READY);
    // Power lost before the finish: the application is gone, the loader stays.
    u.PowerOn();
    EXPECT_TRUE(u.InUpgradeMode());
    // Entering the loader before a start erased nothing: a power cycle leaves it.
    VirtualUnit v;
    EXPECT_EQ(Set(v, CMD_MCU, MCU_ENTER_UPG), ACK_READY);
    v.PowerOn();
    EXPECT_TRUE(v.InUpgradeMode());  // the reboot it asked for
    v.PowerOn();
    EXPECT_FALSE(v.InUpgradeMode());  // a later power cycle
}

TEST(UnitUpgrade, NotReadyIsFollowedByReadyAndFlashKeepsItsVersion) {
    VirtualUnit u;
    EXPECT_EQ(Set(u, CMD_MCU, MCU_ENTER_UPG), ACK_READY);
    u.PowerOn();
    EXPECT_EQ(Set(u, CMD_FLASH, FLASH_UPG_START, {2, 31, 0, 5}), ACK_READY);
    u.SetUpgradeNotReady(1);
    EXPECT_EQ(Set(u, CMD_FLASH, FLASH_UPG_DATA, {0, 0, 0, 0, 2, 9, 9}), ACK_NOT_READY);
    auto late = u.TakeLateReplies();
    ASSERT_EQ(late.size(), 1u);
    EXPECT_EQ(late[0][6], ACK_READY);
    // An offset beyond the flash is refused.
    EXPECT_EQ(Set(u, CMD_FLASH, FLASH_UPG_DATA, {0x7F, 0, 0, 0, 1, 9}), ACK_NOT_READY);
    EXPECT_EQ(Set(u, CMD_FLASH, FLASH_UPG_FINISH), ACK_READY);
    EXPECT_EQ(Set(u, CMD_MCU, MCU_REBOOT), ACK_READY);
    u.PowerOn();
    EXPECT_FALSE(u.InUpgradeMode());
    EXPECT_EQ(Get(u, CMD_MCU, MCU_GET_DSPFLASH_VER), (Bytes{2, 31, 0, 5}));
    // A factory reset keeps the firmware.
    u.FactoryReset();
    EXPECT_EQ(Get(u, CMD_MCU, MCU_GET_DSPFLASH_VER), (Bytes{2, 31, 0, 5}));
}

TEST(UnitUnknown, UnknownCommandsGetNoAnswerAndAreCounted) {
    VirtualUnit u;
    EXPECT_TRUE(Send(u, CMD_DSP, 0x2A, OP_GET).empty());
    EXPECT_TRUE(Send(u, CMD_DSP, DSP_VOLUME, 0x12).empty());
    EXPECT_TRUE(Send(u, CMD_DSP_DWRITE, 0x01, OP_SET).empty());
    ASSERT_EQ(u.UnknownCommands(), 3u);
    EXPECT_EQ(u.UnknownCommandList()[0].cmd, 0x2A);
    // A long run of them is counted, and the list stays bounded.
    for (int i = 0; i < 20000; ++i) Send(u, CMD_DSP, 0x2B, OP_GET);
    EXPECT_EQ(u.UnknownCommands(), 20003u);
    EXPECT_EQ(u.UnknownCommandList().size(), VirtualUnit::kKeptUnknownCommands);
    EXPECT_EQ(u.UnknownCommandList()[1].cmd, DSP_VOLUME);
}

}  // namespace
}  // namespace dvdsp::emu
