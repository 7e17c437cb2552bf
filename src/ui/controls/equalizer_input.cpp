// UIEqualizer: the capture state machine of the mouse (band, Q handles, "H" and "L"
// markers) and the keyboard (frequency steps, gain steps, band selection).
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>
#include <cmath>

#include "base/log.h"
#include "ui/controls/equalizer.h"
#include "ui/controls/equalizer_access.h"

namespace dvdsp::ui {
namespace {

const char* const kEq = "equalizer_eq";
const char* const kEqRelease = "equalizer_eq_release";
const char* const kHp = "equalizer_hp";
const char* const kHpRelease = "equalizer_hp_release";
const char* const kLp = "equalizer_lp";
const char* const kLpRelease = "equalizer_lp_release";

QPoint PosOf(const QMouseEvent* e) {
    return e->position().toPoint();
}

}  // namespace

int UIEqualizer::BandUnder(QPoint pos) const {
    for (int i = 0; i < bandCount_; ++i)
        if (handleRects_[static_cast<size_t>(i)].Contains(pos.x(), pos.y())) return i;
    return -1;
}

bool UIEqualizer::InQHandle(QPoint pos) const {
    return mDragAllDirection && HasCurrentBand() &&
           (qLower_.Contains(pos.x(), pos.y()) || qUpper_.Contains(pos.x(), pos.y()));
}

void UIEqualizer::focusInEvent(QFocusEvent* e) {
    focused_ = true;
    QWidget::focusInEvent(e);
}

void UIEqualizer::focusOutEvent(QFocusEvent* e) {
    focused_ = false;
    QWidget::focusOutEvent(e);
}

void UIEqualizer::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && !OnlyShows()) Press(PosOf(e));
    QWidget::mousePressEvent(e);
}

void UIEqualizer::mouseMoveEvent(QMouseEvent* e) {
    QPoint pos = PosOf(e);
    if (OnlyShows()) return;
    if (capture_ == kIdle)
        Hover(pos);
    else
        Drag(pos);
}

void UIEqualizer::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) Release(PosOf(e));
    QWidget::mouseReleaseEvent(e);
}

void UIEqualizer::Press(QPoint pos) {
    pressPos_ = pos;
    moved_ = false;
    if (InQHandle(pos)) {
        setCursor(Qt::SizeHorCursor);
        capture_ = kFactor;
        return;
    }
    int hit = BandUnder(pos);
    if (hit >= 0) {
        setCursor(mDragAllDirection ? Qt::SizeAllCursor : Qt::SizeVerCursor);
        MakeCurrent(hit);
        capture_ = kBand;
        update();
        return;
    }
    if (hpRect_.Contains(pos.x(), pos.y())) {
        setCursor(Qt::SizeHorCursor);
        mCurrentControlIndex = -1;
        capture_ = kHighPass;
    } else if (lpRect_.Contains(pos.x(), pos.y())) {
        setCursor(Qt::SizeHorCursor);
        mCurrentControlIndex = -1;
        capture_ = kLowPass;
    }
    update();
}

void UIEqualizer::Hover(QPoint pos) {
    int hit = BandUnder(pos);
    if (hit >= 0) {
        setCursor(Qt::PointingHandCursor);
        if (hit != mCurrentControlIndex) {
            MakeCurrent(hit);
            Emit(kEq);
            update();
        }
    } else if (InQHandle(pos) || hpRect_.Contains(pos.x(), pos.y()) ||
               lpRect_.Contains(pos.x(), pos.y())) {
        setCursor(Qt::SizeHorCursor);
    } else {
        setCursor(Qt::ArrowCursor);
    }
}

void UIEqualizer::Drag(QPoint pos) {
    if (pos != pressPos_) moved_ = true;
    graph::Axes axes = Axes();
    int x = axes.ClampX(pos.x()), y = axes.ClampY(pos.y());
    if (capture_ == kBand && HasCurrentBand()) {
        auto i = static_cast<size_t>(mCurrentControlIndex);
        BandPoint& b = bands_[i];
        // Each value follows its own axis only when the pointer moved along it, so a
        // vertical move keeps the frequency and a horizontal one the gain.
        const bool xMoved = mDragAllDirection && x != handles_[i].x();
        const bool yMoved = y != handles_[i].y();
        if (xMoved) handles_[i].setX(x);
        handles_[i].setY(y);
        int f = xMoved ? axes.FreqAt(x) : b.freq;
        float g = yMoved ? axes.GainAt(y) : b.gain;
        LogWriteNarrow("freq (%d) gain(%.2f) \n", f, static_cast<double>(g));
        bool gainChanged = std::fabs(b.gain - g) > 0.001f;
        if (gainChanged) b.gain = g;
        if (mDragAllDirection && f != b.freq) {
            b.freq = f;
            Emit(kEq);
        } else if (gainChanged) {
            Emit(kEq);
        }
        LogWriteNarrow("INDEX_CAPTURED move x(%d) y(%d) \n", x, y);
    } else if (capture_ == kFactor && HasCurrentBand()) {
        BandPoint& b = bands_[static_cast<size_t>(mCurrentControlIndex)];
        float q =
            graph::QForDistance(x - handles_[static_cast<size_t>(mCurrentControlIndex)].x(), Dpi());
        if (std::fabs(b.q - q) >= 0.01f) {
            b.q = q;
            Emit(kEq);
        }
        LogWriteNarrow("FACTOR_CAPTURED index %d move x(%d) y(%d) \n", mCurrentControlIndex, x, y);
    } else if (capture_ == kHighPass) {
        int f = axes.FreqAt(x);
        // A hidden low-pass marker sets no bound.
        int bound = mLpFreq != -1 ? mLpFreq : graph::kFreqMax + 1;
        if (f < bound && f != mHpFreq) {
            mHpFreq = f;
            Emit(kHp);
        }
        LogWriteNarrow("HP_CAPTURED move x(%d) y(%d) mCurrentControlIndex(%d) mHpFreq(%d)\n", x, y,
                       mCurrentControlIndex, mHpFreq);
    } else if (capture_ == kLowPass) {
        int f = axes.FreqAt(x);
        if (f > mHpFreq && f != mLpFreq) {
            mLpFreq = f;
            Emit(kLp);
        }
        LogWriteNarrow("LP_CAPTURED move x(%d) y(%d) mCurrentControlIndex(%d) mHpFreq(%d)\n", x, y,
                       mCurrentControlIndex, mLpFreq);
    }
    update();
}

void UIEqualizer::Release(QPoint pos) {
    graph::Axes axes = Axes();
    int x = axes.ClampX(pos.x()), y = axes.ClampY(pos.y());
    Capture was = capture_;
    capture_ = kIdle;
    if (was != kIdle && !moved_ && pos == pressPos_) {
        // A click: the press has chosen the band or marker, nothing is changed or sent.
        setCursor(was == kBand ? Qt::PointingHandCursor : Qt::ArrowCursor);
        update();
        return;
    }
    if (was == kBand && HasCurrentBand()) {
        auto i = static_cast<size_t>(mCurrentControlIndex);
        BandPoint& b = bands_[i];
        if (mDragAllDirection && x != handles_[i].x()) {
            handles_[i].setX(x);
            b.freq = axes.FreqAt(x);
        }
        if (y != handles_[i].y()) {
            handles_[i].setY(y);
            b.gain = axes.GainAt(y);
        }
        handleRects_[i] = graph::HandleRect(axes, handles_[i].x(), handles_[i].y(), Dpi());
        Emit(kEqRelease);
        LogWriteNarrow("freq (%d) gain(%.2f) \n", b.freq, static_cast<double>(b.gain));
        LogWriteNarrow("INDEX_CAPTURED up x(%d) y(%d) \n", x, y);
        setCursor(Qt::PointingHandCursor);
    } else if (was == kFactor && HasCurrentBand()) {
        auto i = static_cast<size_t>(mCurrentControlIndex);
        bands_[i].q = graph::QForDistance(x - handles_[i].x(), Dpi());
        Emit(kEqRelease);
        LogWriteNarrow("FACTOR_CAPTURED move x(%d) y(%d) \n", x, y);
        setCursor(Qt::ArrowCursor);
    } else if (was == kHighPass) {
        int f = axes.FreqAt(x);
        if (f < (mLpFreq != -1 ? mLpFreq : graph::kFreqMax + 1)) mHpFreq = f;
        Emit(kHpRelease);
        LogWriteNarrow("HP_CAPTURED move x(%d) y(%d) mHpFreq(%d)\n", x, y, mHpFreq);
        setCursor(Qt::ArrowCursor);
    } else if (was == kLowPass) {
        int f = axes.FreqAt(x);
        if (f > mHpFreq) mLpFreq = f;
        Emit(kLpRelease);
        LogWriteNarrow("HP_CAPTURED move x(%d) y(%d) mLpFreq(%d)\n", x, y, mLpFreq);
        setCursor(Qt::ArrowCursor);
    }
    update();
}

void UIEqualizer::keyPressEvent(QKeyEvent* e) {
    if (!StepKey(e->key(), e->modifiers())) QWidget::keyPressEvent(e);
}

bool UIEqualizer::StepKey(int key, Qt::KeyboardModifiers mods) {
    if (capture_ != kIdle || OnlyShows()) return false;
    if (key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
        if (bandCount_ == 0) return true;
        int next = key == Qt::Key_PageDown ? mCurrentControlIndex + 1 : mCurrentControlIndex - 1;
        if (!HasCurrentBand()) next = key == Qt::Key_PageDown ? 0 : bandCount_ - 1;
        next = std::clamp(next, 0, bandCount_ - 1);
        if (next != mCurrentControlIndex) {
            MakeCurrent(next);
            Emit(kEq);
            update();
            AnnounceCurrentPart(*this);
        }
        return true;
    }
    if (!HasCurrentBand()) return false;
    BandPoint& b = bands_[static_cast<size_t>(mCurrentControlIndex)];
    if (key == Qt::Key_Left || key == Qt::Key_Right) {
        if (!mDragAllDirection) return true;
        int f = graph::StepFrequency(b.freq, key == Qt::Key_Right ? 1 : -1);
        if (f == b.freq) return true;
        b.freq = f;
        KeyChanged();
        return true;
    }
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
        int tenths = (mods & Qt::ShiftModifier) ? 10 : 1;
        if (key == Qt::Key_Down) tenths = -tenths;
        float g = static_cast<float>(
            limits::kBandGain.Clamp(static_cast<double>(std::lround(b.gain * 10.0f) + tenths) / 10.0));
        if (g == b.gain) return true;
        b.gain = g;
        KeyChanged();
        return true;
    }
    return false;
}

void UIEqualizer::SetGainFromAssistant(int band, double gain) {
    if (band < 0 || band >= bandCount_ || OnlyShows()) return;
    MakeCurrent(band);
    bands_[static_cast<size_t>(band)].gain =
        static_cast<float>(limits::kBandGain.Clamp(std::round(gain * 10.0) / 10.0));
    KeyChanged();
}

void UIEqualizer::SetMarkerFromAssistant(bool lowPass, int freq) {
    freq = std::clamp(freq, graph::kFreqMin, graph::kFreqMax);
    if (lowPass) {
        if (freq <= mHpFreq) return;
        mLpFreq = freq;
        Emit(kLpRelease);
    } else {
        if (mLpFreq != -1 && freq >= mLpFreq) return;
        mHpFreq = freq;
        Emit(kHpRelease);
    }
    update();
}

void UIEqualizer::KeyChanged() {
    graph::Axes axes = Axes();
    PlaceHandle(mCurrentControlIndex, axes);
    LightLayout();
    Emit(kEq);
    Emit(kEqRelease);
    update();
}

}  // namespace dvdsp::ui
