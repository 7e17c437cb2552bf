// The full compressor window: sliders and edits of the six values of one channel.
#include "ui/processing/compressor_wnd.h"

#include <cmath>

#include "base/log.h"
#include "toolkit/controls.h"
#include "toolkit/edit.h"
#include "ui/processing/proc_common.h"

namespace dvdsp::ui {
namespace {

struct ParamInfo {
    const char* name;      // after "slider_" and "edit_"
    const char* label;     // in the log lines
    int scale;             // slider position = value * scale
    int step;              // slider units of one up/down key
    const char* format;
};

constexpr ParamInfo kParamInfo[CCompressorWnd::kParams] = {
    {"noise", "Noise", 10, 1, "%.1fdB"},
    {"ratio", "Ratio", 10, 1, "%.1f"},
    {"attack_time", "AttackTime", 1, 10, "%dms"},
    {"release_time", "ReleaseTime", 1, 100, "%dms"},
    {"soft_knee", "SoftKnee", 10, 1, "%.1fdB"},
};

bool IsFloat(int p) { return kParamInfo[p].scale != 1; }
std::string SliderName(int p) { return std::string("slider_") + kParamInfo[p].name; }
std::string EditName(int p) { return std::string("edit_") + kParamInfo[p].name; }

QString Text(int p, double value) {
    return IsFloat(p) ? proc::Format(kParamInfo[p].format, value)
                      : proc::Format(kParamInfo[p].format, static_cast<int>(value));
}

}  // namespace

CCompressorWnd::CCompressorWnd(QWidget* owner, core::EqualizerManager& controller)
    : DialogWnd(owner, QStringLiteral("XML_COMPRESSOR"), QStringLiteral("CCompressorWnd")),
      mController(controller) {}

int CCompressorWnd::ParamOf(const std::string& name, const char* prefix) {
    for (int p = 0; p < kParams; ++p)
        if (name == std::string(prefix) + kParamInfo[p].name) return p;
    return -1;
}

double CCompressorWnd::ValueOf(int p) const {
    const core::CompressorSettings& k = mController.Model().current.compressor[static_cast<size_t>(mChannel)];
    switch (p) {
    case kThreshold: return k.threshold;
    case kRatio: return k.ratio;
    case kAttack: return k.attack;
    case kRelease: return k.release;
    default: return k.softKnee;
    }
}

void CCompressorWnd::OnLoaded() {
    mChannel = mController.Model().current.currOutChannel;
    if (mChannel < 0 || mChannel >= core::kChannels) mChannel = 0;
    if (tk::Control* label = FindControl("curr_channel_text")) label->SetText(proc::Format("CH%d", mChannel + 1));
    const core::CompressorSettings& k = mController.Model().current.compressor[static_cast<size_t>(mChannel)];
    if (tk::Control* bp = FindControl("btn_bp")) bp->SetSelected(k.bypass != 0);
    for (int p = 0; p < kParams; ++p) ShowValue(p);
    mReady = true;
    // What the unit holds now replaces what the controller last knew.
    mController.ReadCompressor(mChannel);
}

void CCompressorWnd::ShowValue(int p) {
    const double v = ValueOf(p);
    if (tk::Control* e = FindControl(EditName(p))) e->SetText(Text(p, v));
    if (tk::Control* s = FindControl(SliderName(p)))
        s->SetValue(static_cast<int>(std::lround(v * kParamInfo[p].scale)));
}

void CCompressorWnd::Store(int p, double value) {
    core::CompressorSettings k = mController.Model().current.compressor[static_cast<size_t>(mChannel)];
    switch (p) {
    case kThreshold: k.threshold = static_cast<float>(value); break;
    case kRatio: k.ratio = static_cast<float>(value); break;
    case kAttack: k.attack = static_cast<int32_t>(value); break;
    case kRelease: k.release = static_cast<int32_t>(value); break;
    default: k.softKnee = static_cast<float>(value); break;
    }
    mStoring = true;
    mController.SetCompressor(mChannel, k);
    mStoring = false;
}

void CCompressorWnd::OnSliderChanged(int p, int position) {
    const ParamInfo& info = kParamInfo[p];
    const double value = IsFloat(p) ? position / static_cast<double>(info.scale) : position;
    const std::string line = std::string("set ") + info.label + " slider to " + info.format + "\n";
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    if (IsFloat(p)) LogWriteNarrow(line.c_str(), value);
    else LogWriteNarrow(line.c_str(), position);
#pragma GCC diagnostic pop
    auto* edit = Find<tk::Edit>(EditName(p));
    if (edit) edit->SetText(Text(p, value));
    proc::FocusEdit(edit);
    Store(p, value);
}

void CCompressorWnd::OnStep(int p, bool up) {
    const ParamInfo& info = kParamInfo[p];
    const int dir = up ? 1 : -1;
    const std::string line = std::string("Set") + info.label + "Up " + info.format + " \n";
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    if (IsFloat(p)) LogWriteNarrow(line.c_str(), static_cast<double>(dir));
    else LogWriteNarrow(line.c_str(), dir);
#pragma GCC diagnostic pop
    tk::Control* s = FindControl(SliderName(p));
    if (!s) return;
    if (up ? s->Value() >= s->Maximum() : s->Value() <= s->Minimum()) return;
    const int position = std::clamp(s->Value() + dir * info.step, s->Minimum(), s->Maximum());
    s->SetValue(position);
    OnSliderChanged(p, position);
}

void CCompressorWnd::OnEditCommitted(int p) {
    auto* edit = Find<tk::Edit>(EditName(p));
    tk::Control* s = FindControl(SliderName(p));
    if (!edit || !s) return;
    const ParamInfo& info = kParamInfo[p];
    double value = proc::ParseDecimal(edit->text());
    // The limits in whole units: the slider's ends divided by the scale, the fraction dropped.
    const int upper = s->Maximum() / info.scale;
    const int lower = s->Minimum() / info.scale;
    if (!IsFloat(p)) value = std::trunc(value);
    value = std::clamp(value, static_cast<double>(lower), static_cast<double>(upper));
    edit->SetText(Text(p, value));
    s->SetValue(static_cast<int>(std::lround(value * info.scale)));
    Store(p, value);
}

bool CCompressorWnd::OnNotify(tk::TNotify& n) {
    if (!mReady) return false;
    const std::string& name = n.name;
    const std::string& type = n.type;
    if (type == tk::notify::kClick && name == "minbtn") {
        showMinimized();
        return true;
    }
    if (type == tk::notify::kSelectChanged && name == "btn_bp") {
        const bool on = n.sender && n.sender->IsSelected();
        LogWriteNarrow("on option %s DUI_MSGTYPE_SELECTCHANGED %d\n", name.c_str(), on ? 1 : 0);
        LogWriteNarrow("Bypass seleted %d\n", on ? 1 : 0);
        core::CompressorSettings k = mController.Model().current.compressor[static_cast<size_t>(mChannel)];
        k.bypass = on ? 1 : 0;
        mStoring = true;
        mController.SetCompressor(mChannel, k);
        mStoring = false;
        return true;
    }
    if (type == tk::notify::kValueChanged || type == tk::notify::kMoveValueChanged) {
        const int p = ParamOf(name, "slider_");
        if (p < 0 || !n.sender) return false;
        LogWriteNarrow("on silder %s valuechanged\n", name.c_str());
        OnSliderChanged(p, n.sender->Value());
        return true;
    }
    const int p = ParamOf(name, "edit_");
    if (p < 0) return false;
    if (type == tk::notify::kValueChangedUp || type == tk::notify::kValueChangedDown) {
        const bool up = type == tk::notify::kValueChangedUp;
        LogWriteNarrow(up ? "on edit %s DUI_MSGTYPE_VALUECHANGED_UP\n" : "on edit %s DUI_MSGTYPE_VALUECHANGED_DOWN\n",
                       name.c_str());
        OnStep(p, up);
        return true;
    }
    if (type == tk::notify::kValueChangedRight || type == tk::notify::kValueChangedLeft) {
        const bool right = type == tk::notify::kValueChangedRight;
        LogWriteNarrow(right ? "on edit %s DUI_MSGTYPE_VALUECHANGED_RIGHT\n"
                             : "on edit %s DUI_MSGTYPE_VALUECHANGED_LEFT\n",
                       name.c_str());
        const int next = (p + (right ? 1 : kParams - 1)) % kParams;
        proc::FocusEdit(Find<tk::Edit>(EditName(next)));
        return true;
    }
    if (type == tk::notify::kReturn || type == tk::notify::kKillFocus) {
        if (type == tk::notify::kReturn) LogWriteNarrow("on edit %s DUI_MSGTYPE_RETURN\n", name.c_str());
        OnEditCommitted(p);
        return true;
    }
    return false;
}

void CCompressorWnd::OnModelChange(const core::Change& change) {
    if (mStoring || !mReady || change.scene != 0 || change.what != core::What::Compressor || change.channel != mChannel) return;
    if (tk::Control* bp = FindControl("btn_bp"))
        bp->SetSelected(mController.Model().current.compressor[static_cast<size_t>(mChannel)].bypass != 0);
    for (int p = 0; p < kParams; ++p) ShowValue(p);
}

}  // namespace dvdsp::ui
