// The ten channels' compressor switches and simple compressors.
#include "ui/processing/compressors_on_wnd.h"

#include <cmath>
#include <cstdio>

#include "base/log.h"
#include "toolkit/controls.h"
#include "toolkit/edit.h"
#include "ui/control_names.h"
#include "ui/processing/proc_common.h"

namespace dvdsp::ui {
namespace {

struct OnParamInfo {
    const char* name;  // in the control names
    int scale;
    int step;
    const char* format;
    const char* unit;  // in the log lines
};

constexpr OnParamInfo kInfo[CCompressorsOnWnd::kParams] = {
    {"threshold", 10, 1, "%.1fdB", "dB"},
    {"attack_time", 1, 10, "%dms", "ms"},
    {"release_time", 1, 100, "%dms", "ms"},
};

QString ValueText(int p, double value) {
    return p == CCompressorsOnWnd::kThreshold ? proc::Format(kInfo[p].format, value)
                                              : proc::Format(kInfo[p].format, static_cast<int>(value));
}

// The parameter a control's name holds, -1 for none.
int ParamIn(const std::string& name) {
    for (int p = 0; p < CCompressorsOnWnd::kParams; ++p)
        if (name.find(kInfo[p].name) != std::string::npos) return p;
    return -1;
}

}  // namespace

CCompressorsOnWnd::CCompressorsOnWnd(QWidget* owner, core::EqualizerManager& controller)
    : DialogWnd(owner, QStringLiteral("XML_COMPRESSORS_ON"), QStringLiteral("CCompressorsOnWnd")),
      mController(controller) {}

std::string CCompressorsOnWnd::EditName(int p, int c) {
    return std::string("edit_") + kInfo[p].name + "_" + std::to_string(c);
}
std::string CCompressorsOnWnd::SliderName(int p, int c) {
    return std::string("slider_") + kInfo[p].name + "_" + std::to_string(c);
}

double CCompressorsOnWnd::ValueOf(int p, int c) const {
    const core::CompressorSettings& k = mController.Model().current.compressor[static_cast<size_t>(c)];
    if (p == kThreshold) return k.threshold;
    return p == kAttack ? k.attack : k.release;
}

void CCompressorsOnWnd::OnLoaded() {
    for (int c = 0; c < core::kChannels; ++c) {
        if (tk::Control* box = FindControl("box_enable_" + std::to_string(c)))
            box->SetSelected(mController.Model().current.channels[static_cast<size_t>(c)].compressorOn != 0);
        for (int p = 0; p < kParams; ++p) ShowValue(p, c);
    }
    mReady = true;
    // What the unit holds now replaces what the controller last knew.
    mController.ReadCompressors();
}

void CCompressorsOnWnd::ShowValue(int p, int c) {
    const double v = ValueOf(p, c);
    if (tk::Control* e = FindControl(EditName(p, c))) e->SetText(ValueText(p, v));
    if (tk::Control* s = FindControl(SliderName(p, c))) s->SetValue(static_cast<int>(std::lround(v * kInfo[p].scale)));
}

void CCompressorsOnWnd::Store(int p, int c, double value) {
    const core::CompressorSettings& k = mController.Model().current.compressor[static_cast<size_t>(c)];
    float threshold = k.threshold;
    int attack = k.attack, release = k.release;
    if (p == kThreshold) threshold = static_cast<float>(value);
    else if (p == kAttack) attack = static_cast<int>(value);
    else release = static_cast<int>(value);
    mStoring = true;
    mController.SetCompressor2(c, threshold, attack, release);
    mStoring = false;
}

void CCompressorsOnWnd::OnSliderChanged(int p, int c, int position) {
    const double value = position / static_cast<double>(kInfo[p].scale);
    LogWriteNarrow("SetSlider %g %s\n", value, kInfo[p].unit);
    auto* edit = Find<tk::Edit>(EditName(p, c));
    if (edit) edit->SetText(ValueText(p, value));
    proc::FocusEdit(edit);
    Store(p, c, value);
}

void CCompressorsOnWnd::OnStep(int p, int c, bool up) {
    LogWriteNarrow("SetSliderUp %s\n", up ? "up" : "down");
    tk::Control* s = FindControl(SliderName(p, c));
    if (!s) return;
    if (up ? s->Value() >= s->Maximum() : s->Value() <= s->Minimum()) return;
    const int step = kInfo[p].step;
    int position = s->Value() + (up ? step : -step);
    // Coarse steps land on their multiples, rounded toward zero.
    if (step != 1) position = position / step * step;
    position = std::clamp(position, s->Minimum(), s->Maximum());
    s->SetValue(position);
    OnSliderChanged(p, c, position);
}

void CCompressorsOnWnd::OnEditCommitted(int p, int c) {
    auto* edit = Find<tk::Edit>(EditName(p, c));
    tk::Control* s = FindControl(SliderName(p, c));
    if (!edit || !s) return;
    const double scale = kInfo[p].scale;
    double value = proc::ParseDecimal(edit->text());
    LogWriteNarrow("SetEdit %g %s\n", value, kInfo[p].unit);
    value = std::clamp(value, s->Minimum() / scale, s->Maximum() / scale);
    if (p != kThreshold) value = std::trunc(value);
    edit->SetText(ValueText(p, value));
    s->SetValue(static_cast<int>(std::lround(value * scale)));
    Store(p, c, value);
}

void CCompressorsOnWnd::MoveFocus(int p, int c, bool right) {
    constexpr int kCells = kParams * core::kChannels;
    const int cell = p * core::kChannels + c;
    const int next = (cell + (right ? 1 : kCells - 1)) % kCells;
    proc::FocusEdit(Find<tk::Edit>(EditName(next / core::kChannels, next % core::kChannels)));
}

bool CCompressorsOnWnd::OnNotify(tk::TNotify& n) {
    if (!mReady) return false;
    const std::string& name = n.name;
    const std::string& type = n.type;
    if (type == tk::notify::kSelectChanged && StartsWith(name, "box_enable_")) {
        LogWriteNarrow("on %s DUI_MSGTYPE_SELECTCHANGED\n", name.c_str());
        int c = -1;
        if (std::sscanf(name.c_str(), "box_enable_%d", &c) == 1 && c >= 0 && c < core::kChannels) {
            mStoring = true;
            mController.SetCompressorOn(c, n.sender && n.sender->IsSelected());
            mStoring = false;
        }
        return true;
    }
    const bool slider = StartsWith(name, "slider_");
    const bool edit = StartsWith(name, "edit_");
    const int p = ParamIn(name);
    if ((!slider && !edit) || p < 0 || !n.sender) return false;
    const int c = n.sender->UserDataInt();
    if (c < 0 || c >= core::kChannels) return false;
    if (slider && (type == tk::notify::kValueChanged || type == tk::notify::kMoveValueChanged)) {
        LogWriteNarrow(type == tk::notify::kValueChanged ? "on %s DUI_MSGTYPE_VALUECHANGED\n"
                                                         : "on %s DUI_MSGTYPE_VALUECHANGED_MOVE\n",
                       name.c_str());
        OnSliderChanged(p, c, n.sender->Value());
        return true;
    }
    if (!edit) return false;
    if (type == tk::notify::kValueChangedUp || type == tk::notify::kValueChangedDown) {
        const bool up = type == tk::notify::kValueChangedUp;
        LogWriteNarrow(up ? "on %s DUI_MSGTYPE_VALUECHANGED_UP\n" : "on %s DUI_MSGTYPE_VALUECHANGED_DOWN\n",
                       name.c_str());
        OnStep(p, c, up);
        return true;
    }
    if (type == tk::notify::kValueChangedRight || type == tk::notify::kValueChangedLeft) {
        const bool right = type == tk::notify::kValueChangedRight;
        LogWriteNarrow(right ? "on %s DUI_MSGTYPE_VALUECHANGED_RIGHT\n" : "on %s DUI_MSGTYPE_VALUECHANGED_LEFT\n",
                       name.c_str());
        MoveFocus(p, c, right);
        return true;
    }
    if (type == tk::notify::kReturn || type == tk::notify::kKillFocus) {
        LogWriteNarrow(type == tk::notify::kReturn ? "on %s DUI_MSGTYPE_RETURN\n" : "on %s DUI_MSGTYPE_KILLFOCUS\n",
                       name.c_str());
        OnEditCommitted(p, c);
        return true;
    }
    return false;
}

void CCompressorsOnWnd::OnModelChange(const core::Change& change) {
    if (mStoring || !mReady || change.scene != 0 || change.channel < 0 || change.channel >= core::kChannels) return;
    const int c = change.channel;
    if (change.what == core::What::Compressor) {
        for (int p = 0; p < kParams; ++p) ShowValue(p, c);
    } else if (change.what == core::What::CompressorOn) {
        if (tk::Control* box = FindControl("box_enable_" + std::to_string(c)))
            box->SetSelected(mController.Model().current.channels[static_cast<size_t>(c)].compressorOn != 0);
    }
}

}  // namespace dvdsp::ui
