#include "ui/controls/custom_tags.h"

#include "ui/controls/circle_progress.h"
#include "ui/controls/equalizer.h"
#include "ui/controls/equalizer_ac.h"
#include "ui/controls/sbutton.h"

namespace dvdsp::ui {

tk::Control* CreateCustomControl(const QString& tag) {
    if (tag.compare(QLatin1String("CircleProgress"), Qt::CaseInsensitive) == 0)
        return new CCircleProgressUI;
    if (tag.compare(QLatin1String("Curve"), Qt::CaseInsensitive) == 0) return new UIEqualizer;
    if (tag.compare(QLatin1String("CurveAc"), Qt::CaseInsensitive) == 0) return new UIEqualizerAc;
    if (tag.compare(QLatin1String("SButton"), Qt::CaseInsensitive) == 0) return new CSButtonUI;
    return nullptr;
}

}  // namespace dvdsp::ui
