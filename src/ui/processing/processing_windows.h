#pragma once
// Opening the processing windows by class name, modal over `owner`: "CCompressorWnd",
// "CCompressorsOnWnd", "NoiseThresholdWnd", "PowerOffDelayWnd", "MemWrWnd", "KtvWnd"
// (also "CKtvWnd") and "CSAutoWnd".

#include <QString>
#include <QStringList>

namespace dvdsp::core {
class EqualizerManager;
struct Change;
}  // namespace dvdsp::core

class QWidget;

namespace dvdsp::ui {

// What a processing window shows of the controller's changes while it is open.
class ProcessingView {
  public:
    virtual ~ProcessingView() = default;
    virtual void OnModelChange(const core::Change& change) = 0;
};

// Hands a change of the controller to the processing window that is open, if any.
void RefreshProcessingWindow(const core::Change& change);

// The class names above.
QStringList ProcessingWindowNames();
// Runs the named window to its end and returns its result; -1 for a name that is none.
int RunProcessingWindow(QWidget* owner, core::EqualizerManager& controller, const QString& className);

}  // namespace dvdsp::ui
