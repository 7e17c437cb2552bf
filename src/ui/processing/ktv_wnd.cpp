#include "ui/processing/ktv_wnd.h"

#include "base/log.h"
#include "link/commands.h"
#include "toolkit/controls.h"
#include "toolkit/edit.h"
#include "ui/processing/proc_common.h"

namespace dvdsp::ui {

const CKtvWnd::Value CKtvWnd::kValueTable[kValues] = {
    {link::KTV_MIC_VOL, "mic_volume", "%ddB"},     {link::KTV_MUSIC_VOL, "bgmusic_volume", "%ddB"},
    {link::KTV_ECHO_LEVEL, "echo_level", "%ddB"},   {link::KTV_ECHO_DELAY, "echo_delay", "%dms"},
    {link::KTV_REVERB_LEVEL, "reverb_level", "%d"}, {link::KTV_REVERB_TIME, "reverb_time", "%dms"},
    {link::KTV_VOICE_CHANGER, "voice_changer", "%d"}, {link::KTV_BASS_GAIN, "bass", "%d"},
    {link::KTV_TREBLE_GAIN, "treble", "%d"},
};

namespace {
std::string KtvEditName(int i) { return std::string("edit_") + CKtvWnd::kValueTable[i].name; }
std::string KtvSliderName(int i) { return std::string("slider_") + CKtvWnd::kValueTable[i].name; }
}  // namespace

CKtvWnd::CKtvWnd(QWidget* owner, core::EqualizerManager& controller)
    : DialogWnd(owner, QStringLiteral("XML_KTV"), QStringLiteral("KtvWnd")), mController(controller) {}

int CKtvWnd::IndexOf(const std::string& name, const char* prefix) {
    for (int i = 0; i < kValues; ++i)
        if (name == std::string(prefix) + kValueTable[i].name) return i;
    return -1;
}

void CKtvWnd::OnLoaded() {
    if (tk::Control* howling = FindControl("option_howling_control"))
        howling->SetSelected(mController.Karaoke(link::KTV_HOWLING) != 0);
    for (int i = 0; i < kValues; ++i) {
        const int v = mController.Karaoke(kValueTable[i].code);
        if (tk::Control* s = FindControl(KtvSliderName(i))) s->SetValue(v);
        if (tk::Control* e = FindControl(KtvEditName(i))) e->SetText(proc::Format(kValueTable[i].format, v));
    }
    mReady = true;
    // What the unit holds now replaces what the controller last knew.
    mController.ReadKaraoke();
}

void CKtvWnd::Accept(int i, int value, bool keepFocus) {
    tk::Control* s = FindControl(KtvSliderName(i));
    if (s) value = std::clamp(value, s->Minimum(), s->Maximum());
    auto* e = Find<tk::Edit>(KtvEditName(i));
    if (e) e->SetText(proc::Format(kValueTable[i].format, value));
    if (s) s->SetValue(value);
    mController.SetKaraoke(kValueTable[i].code, value);
    if (keepFocus) proc::FocusEdit(e);
}

void CKtvWnd::OnSliderChanged(int i, int position) {
    auto* e = Find<tk::Edit>(KtvEditName(i));
    if (e) e->SetText(proc::Format(kValueTable[i].format, position));
    proc::FocusEdit(e);
    mController.SetKaraoke(kValueTable[i].code, position);
}

bool CKtvWnd::OnNotify(tk::TNotify& n) {
    if (!mReady) return false;
    const std::string& name = n.name;
    const std::string& type = n.type;
    if (type == tk::notify::kSelectChanged && name == "option_howling_control") {
        const bool on = n.sender && n.sender->IsSelected();
        LogWriteNarrow("on %s DUI_MSGTYPE_SELECTCHANGED %d\n", name.c_str(), on ? 1 : 0);
        mController.SetKaraoke(link::KTV_HOWLING, on ? 1 : 0);
        return true;
    }
    if (type == tk::notify::kValueChanged || type == tk::notify::kMoveValueChanged) {
        const int i = IndexOf(name, "slider_");
        if (i < 0 || !n.sender) return false;
        OnSliderChanged(i, n.sender->Value());
        return true;
    }
    const int i = IndexOf(name, "edit_");
    if (i < 0) return false;
    auto* e = Find<tk::Edit>(KtvEditName(i));
    if (!e) return false;
    if (type == tk::notify::kReturn || type == tk::notify::kKillFocus) {
        LogWriteNarrow("on edit %s %s\n", name.c_str(), type.c_str());
        Accept(i, proc::ParseInteger(e->text()), false);
        return true;
    }
    if (type == tk::notify::kValueChangedUp || type == tk::notify::kValueChangedDown) {
        const int step = type == tk::notify::kValueChangedUp ? 1 : -1;
        Accept(i, proc::ParseInteger(e->text()) + step, true);
        return true;
    }
    if (type == tk::notify::kValueChangedRight || type == tk::notify::kValueChangedLeft) {
        const int next = (i + (type == tk::notify::kValueChangedRight ? 1 : kValues - 1)) % kValues;
        proc::FocusEdit(Find<tk::Edit>(KtvEditName(next)));
        return true;
    }
    return false;
}

void CKtvWnd::OnModelChange(const core::Change& change) {
    if (!mReady || change.what != core::What::Karaoke) return;
    if (change.value == link::KTV_HOWLING) {
        if (tk::Control* howling = FindControl("option_howling_control"))
            howling->SetSelected(mController.Karaoke(link::KTV_HOWLING) != 0);
        return;
    }
    for (int i = 0; i < kValues; ++i) {
        if (kValueTable[i].code != change.value) continue;
        const int v = mController.Karaoke(kValueTable[i].code);
        if (tk::Control* s = FindControl(KtvSliderName(i))) s->SetValue(v);
        if (tk::Control* e = FindControl(KtvEditName(i))) e->SetText(proc::Format(kValueTable[i].format, v));
    }
}

}  // namespace dvdsp::ui
