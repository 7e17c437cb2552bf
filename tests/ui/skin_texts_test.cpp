// The skin's texts: every language key used by a layout or by the program's messages has
// a text in English, Chinese and Russian, and format texts keep their placeholders.
#include <QRegularExpression>

#include "ui_fixture.h"

using namespace dvdsp;

namespace {

// Keys the program's messages and buttons use.
const char* const kProgramKeys[] = {"tips",
                                    "confirm",
                                    "cancel",
                                    "mutex_tips",
                                    "version",
                                    "soft_version",
                                    "inner_fw_version",
                                    "off",
                                    "default",
                                    "emptied",
                                    "positive_phase",
                                    "reverse phase",
                                    "btn_connected",
                                    "btn_connecting",
                                    "btn_disconnected",
                                    "device_connect_fail",
                                    "device_not_match",
                                    "device_plugout",
                                    "device_reboot",
                                    "device_status_unnormal",
                                    "dsp_fw_new_tips",
                                    "update_tips",
                                    "amp_on",
                                    "amp_off",
                                    "rem_out1_on",
                                    "rem_out1_off",
                                    "rem_out2_on",
                                    "rem_out2_off",
                                    "btn_2ohm_spk",
                                    "btn_4ohm_spk",
                                    "btn_noise_gate_on",
                                    "btn_noise_gate_off",
                                    "bypass_eq",
                                    "restore_eq",
                                    "geq_mode",
                                    "peq_mode",
                                    "geq_mode_tips",
                                    "peq_mode_tips",
                                    "bypass_all_eq_tips",
                                    "restore_all_eq_tips",
                                    "reset_all_eq_tips",
                                    "empty_output_tips",
                                    "link_tips",
                                    "copy_left_to_right",
                                    "copy_right_to_left",
                                    "not_linkable_tips",
                                    "lock_output_tips",
                                    "unlock_output_tips",
                                    "source_opt",
                                    "source_coax",
                                    "source_bt",
                                    "source_aux",
                                    "source_low",
                                    "source_hi",
                                    "source_dmp",
                                    "source_udp",
                                    "source_scp",
                                    "load_scene",
                                    "save_as_scene",
                                    "delete_scene",
                                    "save_scene_ok",
                                    "same_name_tips",
                                    "profile_open_error",
                                    "profile_load_error",
                                    "profile_create_error",
                                    "profile_save_ok",
                                    "factory_default_tips",
                                    "update_fail",
                                    "update_ok",
                                    "update_no_file",
                                    "please_plug_out_and_in"};

QSet<QString> KeysIn(const QByteArray& text) {
    static const QRegularExpression re(QStringLiteral(R"(\$\{([A-Za-z_0-9{}]+)\})"));
    QSet<QString> keys;
    auto it = re.globalMatch(QString::fromUtf8(text));
    while (it.hasNext()) keys.insert(it.next().captured(1));
    return keys;
}

class SkinTextsTest : public uitest::UiTest {};

TEST_F(SkinTextsTest, EveryKeyHasATextInEveryLanguage) {
    const tk::Skin& skin = tk::CurrentSkin();
    QSet<QString> used;
    for (const QString& member : skin.Members())
        if (member.startsWith("xml/")) used.unite(KeysIn(skin.Read(member)));
    for (const char* k : kProgramKeys) used.insert(QString::fromLatin1(k));
    // Keys built in a repeat ("role_{r}") stand for the whole range.
    QSet<QString> expanded;
    for (const QString& k : used) {
        if (k == "role_{r}") {
            for (int r = 1; r <= 24; ++r) expanded.insert(QStringLiteral("role_%1").arg(r));
        } else {
            EXPECT_FALSE(k.contains('{')) << k.toStdString();
            expanded.insert(k);
        }
    }
    EXPECT_GT(expanded.size(), 150);
    for (const char* file : {"lan/lan_en.xml", "lan/lan_cn.xml", "lan/lan_ru.xml"}) {
        QHash<QString, QString> texts;
        ASSERT_TRUE(tk::Languages::Parse(skin.Read(file), &texts)) << file;
        for (const QString& k : expanded) {
            auto it = texts.find(k);
            ASSERT_NE(it, texts.end()) << file << ": " << k.toStdString();
            EXPECT_FALSE(it->trimmed().isEmpty()) << file << ": " << k.toStdString();
        }
    }
}

TEST_F(SkinTextsTest, FormatTextsKeepTheirPlaceholders) {
    for (const char* key : {"dsp_fw_new_tips", "update_tips"}) {
        for (const char* code : {"en", "cn_zh", "ru"}) {
            ASSERT_TRUE(tk::CurrentLanguages().Select(code));
            EXPECT_EQ(tk::CurrentLanguages().Text(key).count("%d"), 4) << key << " " << code;
        }
    }
}

}  // namespace
