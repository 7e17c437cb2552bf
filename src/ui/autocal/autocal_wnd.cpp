// The calibration window: the channel boxes and their rules, the options, start and
// stop, the status texts, the distances and the graph's series, apply, discard and
// closing.
#include "ui/autocal/autocal_wnd.h"

#include <QCloseEvent>

#include "base/log.h"
#include "toolkit/controls.h"
#include "ui/controls/equalizer_ac.h"
#include "ui/link_sink.h"
// The link's command queue has a member named like a Qt keyword macro.
#pragma push_macro("slots")
#undef slots
#include "core/equalizer_manager.h"
#include "ui/control_names.h"
#pragma pop_macro("slots")

namespace dvdsp::ui {
namespace {

std::string Numbered(const char* prefix, int n) { return prefix + std::to_string(n); }
std::string DistanceLabel(int ch) { return "ch_" + std::to_string(ch) + ": "; }
constexpr int kAudioEffects = 9;

}  // namespace

CAutoCalWnd::CAutoCalWnd(QWidget* owner, core::EqualizerManager& controller)
    : DialogWnd(owner, QStringLiteral("XML_AUTO_CAL"), QStringLiteral("AutoCalWnd")),
      mController(controller),
      mCal(controller.AutoCal()) {}

CAutoCalWnd::~CAutoCalWnd() { mCal.Close(); }

void CAutoCalWnd::OnLoaded() {
    mSink = std::make_unique<ui::WindowMessageSink>(*this);
    mCal.Open(mSink.get());
    SetUpChannels();
    if (auto* graph = Find<UIEqualizerAc>("equalizer_ac")) {
        // The legend names the curves as the channel boxes do.
        QStringList names;
        for (int n = 0; n < 10; ++n) {
            const tk::Control* box = FindControl(Numbered("ch_checkbox_", n));
            names.append(box ? box->ShownText() : QString());
        }
        graph->SetSeriesNames(names);
    }
    for (const char* name : {"irc_eq", "irc_delay", "irc_phase"})
        if (tk::Control* c = FindControl(name)) c->SetSelected(true);
    for (int bit = 0; bit < 3; ++bit) mCal.SetIrcModelBit(bit, true);
    for (const char* name : {"display_eq", "display_spk"})
        if (tk::Control* c = FindControl(name)) c->SetSelected(true);
    SetTips(QStringLiteral("${irc_start_tips}"));
    if (tk::Control* p = FindControl("progress")) p->SetValue(0);
    HandEqCurves();
    HandSpectra();
    mReady = true;
}

void CAutoCalWnd::SetUpChannels() {
    const core::SceneState& s = mController.Model().current;
    for (int n = 0; n < 10; ++n) {
        auto* box = Find<tk::CheckBox>(Numbered("ch_checkbox_", n));
        if (!box) continue;
        box->SetVisible(true);
        box->SetSelected(true);
        box->SetEnabled(true);
        const size_t k = static_cast<size_t>(n);
        // The second of a linked pair follows the first: it is not measured on its own.
        if (s.linkMode && s.linkOutputs[k] >= 0 && s.linkOutputs[k] < n) {
            box->SetSelected(false);
            box->SetEnabled(false);
            box->SetTextColor(kAutoCalDisabledTextColor);
        }
        const int role = s.outputs[k];
        if (role == 0) {
            box->SetSelected(false);
            box->SetEnabled(false);
        } else if (core::IrcSubwooferRole(role)) {
            box->SetSelected(false);
            box->SetEnabled(false);
            box->SetToolTip(QStringLiteral("${irc_subwoof_not_test}"));
        }
        mSelected[k] = box->IsSelected() ? 1 : 0;
    }
}

void CAutoCalWnd::SetTips(const QString& raw) {
    if (tk::Control* t = FindControl("tips")) t->SetText(raw);
}

// ---- The graph ----------------------------------------------------------------------------

void CAutoCalWnd::HandEqCurves() {
    auto* graph = Find<UIEqualizerAc>("equalizer_ac");
    if (!graph) return;
    std::vector<graph::Series> series;
    std::vector<int> shown;
    for (int ch = 0; ch < 10; ++ch) {
        const dsp::ChannelCurve& c = mCal.EqCurve(ch);
        series.push_back(graph::Series{c.frequencies, c.levels});
        shown.push_back(mShowEq ? mSelected[static_cast<size_t>(ch)] : 0);
    }
    graph->SetEqCurves(series, shown);
}

void CAutoCalWnd::HandSpectra() {
    auto* graph = Find<UIEqualizerAc>("equalizer_ac");
    if (!graph) return;
    std::vector<graph::Series> series;
    std::vector<int> shown;
    for (int ch = 0; ch < 10; ++ch) {
        series.push_back(graph::Series{mCal.SpectrumFreqs(ch), mCal.SpectrumLevels(ch)});
        shown.push_back(mShowSpectra ? mSelected[static_cast<size_t>(ch)] : 0);
    }
    graph->SetSpectra(series, shown);
}

// ---- Start and stop -----------------------------------------------------------------------

void CAutoCalWnd::OnStartStop() {
    int eqMode = 0;
    for (int e = 0; e < kAudioEffects && eqMode == 0; ++e)
        if (tk::Control* o = FindControl(Numbered("audio_effect_", e)); o && o->IsSelected()) eqMode = e + 1;
    uint16_t mask = 0;
    for (int n = 0; n < 10; ++n)
        if (tk::Control* c = FindControl(Numbered("ch_checkbox_", n)); c && c->IsSelected())
            mask = static_cast<uint16_t>(mask | (1u << n));
    switch (mCal.StartOrStop(mask, static_cast<uint8_t>(eqMode))) {
    case core::Calibration::Toggle::Refused: return;
    case core::Calibration::Toggle::Stopped:
        if (tk::Control* c = FindControl("closebtn")) c->SetEnabled(true);
        if (tk::Control* b = FindControl("start_auto_cal")) b->SetText(QStringLiteral("${start_irc}"));
        SetTips(QStringLiteral("${irc_stoped}"));
        break;
    case core::Calibration::Toggle::Started:
        if (tk::Control* b = FindControl("start_auto_cal")) b->SetText(QStringLiteral("${stop}"));
        SetTips(QStringLiteral("${start_irc_tips}"));
        if (tk::Control* c = FindControl("closebtn")) c->SetEnabled(false);
        break;
    }
}

void CAutoCalWnd::RunEnded() {
    if (tk::Control* b = FindControl("start_auto_cal")) {
        b->SetText(QStringLiteral("${start_irc}"));
        b->SetEnabled(true);
    }
    if (tk::Control* c = FindControl("closebtn")) c->SetEnabled(true);
}

// ---- What the unit reports ----------------------------------------------------------------

void CAutoCalWnd::OnMessage(uint32_t msg, int64_t wparam, std::unique_ptr<tk::Payload> payload) {
    if (msg == core::WM_IRC_PROGRESS) {
        if (tk::Control* p = FindControl("progress")) p->SetValue(static_cast<int>(wparam));
        return;
    }
    if (msg == core::WM_IRC_COMPLETED || msg == core::WM_IRC_FAILED || msg == core::WM_IRC_STOPPED) {
        mCal.OnNotice(msg);
        SetTips(msg == core::WM_IRC_COMPLETED ? QStringLiteral("${irc_completed}")
                : msg == core::WM_IRC_FAILED  ? QStringLiteral("${irc_failed}")
                                              : QStringLiteral("${irc_stoped}"));
        if (tk::Control* c = FindControl("closebtn")) c->SetEnabled(true);
        return;
    }
    if (msg != link::WM_READ_IRC_VALUE) return;
    const auto* lp = dynamic_cast<const ui::LinkPayload*>(payload.get());
    if (lp && lp->message.record) {
        OnData(static_cast<uint32_t>(wparam), payload.get());
        return;
    }
    const link::Message* m = lp ? &lp->message : nullptr;
    if (m && m->msg == core::WM_IRC_PROGRESS) return;
    OnStatus(static_cast<uint32_t>(wparam), m ? m->value : 0);
}

void CAutoCalWnd::OnStatus(uint32_t code, int64_t param) {
    switch (mCal.OnStatus(code, param)) {
    case core::IrcReaction::None: break;
    case core::IrcReaction::Tips:
        SetTips(QString::fromLatin1(core::IrcStatusTips(code)));
        if (tk::Control* p = FindControl("progress")) p->SetValue(static_cast<int>(param));
        break;
    case core::IrcReaction::Finished:
        SetTips(QStringLiteral("${irc_completed}"));
        if (tk::Control* p = FindControl("progress")) p->SetValue(static_cast<int>(param));
        RunEnded();
        break;
    case core::IrcReaction::Failed:
        SetTips(QString::fromLatin1(core::IrcFailureTips(param)));
        RunEnded();
        break;
    }
}

void CAutoCalWnd::OnData(uint32_t cmd, const tk::Payload* payload) {
    const auto* lp = dynamic_cast<const ui::LinkPayload*>(payload);
    if (!lp) return;
    const link::Message& m = lp->message;
    if (cmd == link::DSP_IRC_DISTANCE) {
        if (const auto* d = m.As<link::IrcChannelFloat>(); d && d->ch >= 0 && d->ch < 10) {
            if (tk::Control* l = FindControl(DistanceLabel(d->ch))) {
                l->SetVisible(true);
                l->SetText(QString::asprintf("%f", static_cast<double>(d->value)));
            }
        }
    } else if (cmd == link::DSP_IRC_EQ) {
        if (const auto* e = m.As<link::IrcEqValue>(); e && mCal.OnEqBand(*e)) HandEqCurves();
    } else if (cmd == link::DSP_IRC_SPECTRUM) {
        if (const auto* p = m.As<link::IrcSpectrumValue>(); p && mCal.OnSpectrumPoint(*p)) HandSpectra();
    }
    // Trim, speaker size, phase, level and noise records carry nothing the window shows.
}

// ---- Options, apply, discard, close -------------------------------------------------------

void CAutoCalWnd::OnOption(const std::string& name, bool on) {
    if (name == "display_eq") {
        mShowEq = on;
        HandEqCurves();
    } else if (name == "display_spk") {
        mShowSpectra = on;
        HandSpectra();
    } else if (StartsWith(name, "ch_checkbox_")) {
        const int n = std::atoi(name.c_str() + 12);
        if (n < 0 || n >= 10) return;
        mSelected[static_cast<size_t>(n)] = on ? 1 : 0;
        HandEqCurves();
        HandSpectra();
    } else if (name == "irc_eq") {
        mCal.SetIrcModelBit(core::kIrcEq, on);
    } else if (name == "irc_delay") {
        mCal.SetIrcModelBit(core::kIrcDelay, on);
    } else if (name == "irc_phase") {
        LogWriteNarrow("mOptionIrcDelay %d\n", on ? 1 : 0);
        mCal.SetIrcModelBit(core::kIrcPhase, on);
    }
}

void CAutoCalWnd::CloseWindow() {
    if (mClosing) return;
    mClosing = true;
    const int result = mCal.CloseRun();
    Close(result);
}

void CAutoCalWnd::closeEvent(QCloseEvent* e) {
    // The frame's own close (Alt+F4) closes as the close button does: applied on
    // confirmation, else cancelled.
    if (IsModalRunning() && !mClosing) {
        e->ignore();
        CloseWindow();
        return;
    }
    DialogWnd::closeEvent(e);
}

bool CAutoCalWnd::OnDefaultKey(int key) {
    if (key != Qt::Key_Escape) return false;
    if (tk::Control* c = FindControl("closebtn"); c && !c->IsEnabled()) return true;  // not during a run
    CloseWindow();
    return true;
}

bool CAutoCalWnd::OnNotify(tk::TNotify& n) {
    if (!mReady) return true;
    const std::string& name = n.name;
    if (n.type == tk::notify::kClick) {
        if (name == "start_auto_cal") {
            OnStartStop();
        } else if (name == "irc_save_data") {
            SetTips(QString::fromStdString(mCal.Apply()));
        } else if (name == "irc_cancel_data") {
            SetTips(QString::fromStdString(mCal.Discard()));
        } else if (name == "closebtn") {
            CloseWindow();
        }
        return true;
    }
    if (n.type == tk::notify::kSelectChanged) {
        LogWriteNarrow("on option %s DUI_MSGTYPE_SELECTCHANGED index %d\n", name.c_str(),
                       n.sender ? n.sender->UserDataInt() : 0);
        OnOption(name, n.sender && n.sender->IsSelected());
        return true;
    }
    return false;
}

}  // namespace dvdsp::ui
