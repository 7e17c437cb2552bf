// Every text the main page can show fits its control, at every scale and in every language:
// the texts it shows at start and those it shows later (speaker roles, delays in every unit,
// trims and volumes at their extremes, the two states of each switch).
#include <map>
#include <memory>
#include <vector>

#include "text_room.h"
#include "toolkit/language.h"
#include "ui/main/main_wnd.h"
#include "ui_fixture.h"

using namespace dvdsp;
using namespace dvdsp::ui;
using uitest::CurrentText;
using uitest::TextRoom;

namespace {

bool Starts(const std::string& name, const char* prefix) { return name.rfind(prefix, 0) == 0; }

// Raw texts (language keys as written) a control may show besides its current one.
std::vector<QString> LaterTexts(const std::string& name) {
    std::vector<QString> t;
    auto add = [&](std::initializer_list<const char*> raw) {
        for (const char* r : raw) t.push_back(QString::fromUtf8(r));
    };
    if (Starts(name, "ch_output_btn_")) {
        t.push_back("${spk_none}");
        for (int role = 1; role <= 24; ++role) t.push_back(QString("${role_%1}").arg(role));
    } else if (Starts(name, "edit_ch_delay_")) {
        add({"12.345 ms", "15.000 ms", "519 cm", "204 in"});
    } else if (Starts(name, "edit_ch_volume")) {
        add({"-59.5dB", "${off}"});
    } else if (name == "edit_main_volume") {
        add({"-59dB", "${off}"});
    } else if (name == "edit_acc") {
        add({"10", "${off}"});
    } else if (Starts(name, "eq_freq_")) {
        add({"20000", "12500"});
    } else if (Starts(name, "eq_gain_")) {
        add({"-18.0", "12.0"});
    } else if (Starts(name, "eq_q_")) {
        add({"9.00", "0.50"});
    } else if (name == "hp_freq" || name == "lp_freq") {
        add({"20000Hz"});
    } else if (Starts(name, "spk_delay_")) {
        add({"12.345", "519"});
    } else if (name == "btn_amp_onoff") {
        add({"${amp_on}", "${amp_off}"});
    } else if (name == "btn_rem_out1_onoff") {
        add({"${rem_out1_on}", "${rem_out1_off}"});
    } else if (name == "btn_rem_out2_onoff") {
        add({"${rem_out2_on}", "${rem_out2_off}"});
    } else if (name == "btn_2ohm_spk") {
        add({"${btn_2ohm_spk}", "${btn_4ohm_spk}"});
    } else if (name == "btn_noise_gate") {
        add({"${btn_noise_gate_on}", "${btn_noise_gate_off}"});
    } else if (name == "btnConnect") {
        add({"${btn_disconnected}", "${btn_connecting}", "${btn_connected}"});
    } else if (name == "ch_phase") {
        add({"${positive_phase}", "${reverse phase}"});
    } else if (name == "btn_bypass") {
        add({"${bypass_eq}", "${restore_eq}"});
    } else if (name == "btn_arg_eq") {
        add({"${geq_mode}", "${peq_mode}"});
    }
    return t;
}

class PageTextFit : public uitest::UiTest {
  protected:
    std::unique_ptr<CMainWnd> Open(int dpi, const QString& language) {
        tk::SetDefaultDpi(dpi);
        StartOptions o;
        o.checkSingleInstance = false;
        o.autoConnect = false;
        o.language = language;
        auto w = std::make_unique<CMainWnd>(nullptr, o);
        EXPECT_TRUE(w->Create());
        QCoreApplication::processEvents();
        return w;
    }
};

TEST_F(PageTextFit, EveryTextOfThePageFitsItsControlAtEveryScaleInEveryLanguage) {
    for (int dpi : {77, 96, 144}) {
        for (const char* lang : {"en", "cn_zh", "ru"}) {
            auto w = Open(dpi, lang);
            const std::string at = std::to_string(dpi) + "/" + lang + ": ";
            for (tk::Control* c : w->AllControls()) {
                QWidget* wid = c->Widget();
                if (!wid->isVisible() || c->Name().empty()) continue;
                const int room = TextRoom(wid);
                if (room < 0) continue;
                std::vector<QString> texts = LaterTexts(c->Name());
                for (QString& raw : texts) raw = tk::Lang(raw);
                texts.push_back(CurrentText(wid));
                for (const QString& text : texts) {
                    if (text.isEmpty()) continue;
                    const int need = wid->fontMetrics().horizontalAdvance(text);
                    EXPECT_LE(need, room) << at << c->Name() << " cuts \"" << text.toStdString() << "\" ("
                                          << need << " px in " << room << ")";
                }
            }
        }
    }
}

// A switch keeps the font of its scale when it is selected or unselected later.
TEST_F(PageTextFit, SelectingAControlKeepsTheFontOfItsScale) {
    for (int dpi : {77, 96, 144}) {
        auto w = Open(dpi, "en");
        tk::Control* on = w->FindControl("btn_amp_onoff");
        tk::Control* off = w->FindControl("btn_noise_gate");
        ASSERT_TRUE(on && off);
        // As the switches are shown after a reply: state, then colour.
        on->SetSelected(false);
        on->SetSelected(true);
        on->SetTextColor(0xFFFFFFFF);
        off->SetSelected(true);
        off->SetSelected(false);
        off->SetTextColor(0xFFFF0000);
        EXPECT_EQ(on->Widget()->font().pixelSize(), off->Widget()->font().pixelSize()) << dpi;
        EXPECT_EQ(on->Widget()->font().pixelSize(), w->FindControl("btn_reset_output")->Widget()->font().pixelSize()) << dpi;
        tk::Control* ch1 = w->FindControl("ch_enable_0");
        tk::Control* ch2 = w->FindControl("ch_enable_1");
        ch1->SetSelected(true);
        ch2->SetSelected(false);
        EXPECT_EQ(ch1->Widget()->font().pixelSize(), ch2->Widget()->font().pixelSize()) << dpi;
    }
}

}  // namespace
