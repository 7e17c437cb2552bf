#include "ui/processing/processing_windows.h"

#include <type_traits>

#include "ui/processing/compressor_wnd.h"
#include "ui/processing/compressors_on_wnd.h"
#include "ui/processing/cs_auto_wnd.h"
#include "ui/processing/ktv_wnd.h"
#include "ui/processing/mem_wnd.h"
#include "ui/processing/noise_wnd.h"
#include "ui/processing/poweroff_wnd.h"
#include "ui/undo_keys.h"

namespace dvdsp::ui {
namespace {

// The processing windows are modal: one is open at a time.
ProcessingView* gOpen = nullptr;

template <class W>
int RunIt(QWidget* owner, core::EqualizerManager& controller) {
    W w(owner, controller);
    InstallUndoKeys(&w, controller);
    if constexpr (std::is_base_of_v<ProcessingView, W>) {
        ProcessingView* before = gOpen;
        gOpen = &w;
        const int result = w.Run();
        gOpen = before;
        return result;
    } else {
        return w.Run();
    }
}

}  // namespace

void RefreshProcessingWindow(const core::Change& change) {
    if (gOpen) gOpen->OnModelChange(change);
}

QStringList ProcessingWindowNames() {
    return {QStringLiteral("CCompressorWnd"),   QStringLiteral("CCompressorsOnWnd"),
            QStringLiteral("NoiseThresholdWnd"), QStringLiteral("PowerOffDelayWnd"),
            QStringLiteral("MemWrWnd"),          QStringLiteral("KtvWnd"),
            QStringLiteral("CKtvWnd"),           QStringLiteral("CSAutoWnd")};
}

int RunProcessingWindow(QWidget* owner, core::EqualizerManager& controller, const QString& className) {
    if (className == QLatin1String("CCompressorWnd")) return RunIt<CCompressorWnd>(owner, controller);
    if (className == QLatin1String("CCompressorsOnWnd")) return RunIt<CCompressorsOnWnd>(owner, controller);
    if (className == QLatin1String("NoiseThresholdWnd")) return RunIt<CNoiseThresholdWnd>(owner, controller);
    if (className == QLatin1String("PowerOffDelayWnd")) return RunIt<CPowerOffDelayWnd>(owner, controller);
    if (className == QLatin1String("MemWrWnd")) return RunIt<CMemWrWnd>(owner, controller);
    if (className == QLatin1String("KtvWnd") || className == QLatin1String("CKtvWnd"))
        return RunIt<CKtvWnd>(owner, controller);
    if (className == QLatin1String("CSAutoWnd")) return RunIt<CSAutoWnd>(owner, controller);
    return -1;
}

}  // namespace dvdsp::ui
