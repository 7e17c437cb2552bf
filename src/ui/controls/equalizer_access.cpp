#include "ui/controls/equalizer_access.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QPointer>
#include <map>
#include <vector>

#include "base/limits.h"
#include "toolkit/accessible.h"
#include "toolkit/language.h"
#include "ui/controls/equalizer.h"

namespace dvdsp::ui {
namespace {

constexpr int kHpPart = -1, kLpPart = -2;  // part indexes of the markers

bool MarkerInRange(int freq) { return freq >= graph::kFreqMin && freq <= graph::kFreqMax; }

// The parts in order: the bands, then the shown markers.
std::vector<int> GraphParts(const UIEqualizer& g) {
    std::vector<int> parts;
    if (g.OnlyShows()) return parts;
    for (int i = 0; i < g.BandCount(); ++i) parts.push_back(i);
    if (MarkerInRange(g.HpFreq())) parts.push_back(kHpPart);
    if (MarkerInRange(g.LpFreq())) parts.push_back(kLpPart);
    return parts;
}

class GraphPart : public QAccessibleInterface, public QAccessibleValueInterface {
  public:
    GraphPart(UIEqualizer* g, int part) : graph_(g), part_(part) {}

    bool isValid() const override { return graph_ && Index() >= 0; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return graph_ ? graph_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(graph_.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    void setText(QAccessible::Text, const QString&) override {}
    QAccessible::Role role() const override { return QAccessible::Slider; }

    QString text(QAccessible::Text t) const override {
        if (!graph_) return QString();
        if (t == QAccessible::Value) return QString::number(currentValue().toDouble());
        if (t != QAccessible::Name) return QString();
        if (part_ == kHpPart) return tk::Lang(QStringLiteral("${high_pass} ${acc_freq}"));
        if (part_ == kLpPart) return tk::Lang(QStringLiteral("${low_pass} ${acc_freq}"));
        const BandPoint& b = graph_->BandAt(part_);
        return tk::Lang(QStringLiteral("${acc_band} %1, %2 Hz, Q %3"))
            .arg(part_ + 1)
            .arg(b.freq)
            .arg(static_cast<double>(b.q), 0, 'f', 2);
    }
    QRect rect() const override {
        if (!graph_) return QRect();
        QPoint at = part_ >= 0 ? graph_->HandlePoint(part_) : QPoint();
        if (part_ < 0) {
            graph::Rect r = graph_->MarkerRect(part_ == kLpPart);
            at = QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        }
        return QRect(graph_->mapToGlobal(at) - QPoint(6, 6), QSize(12, 12));
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.focusable = true;
        s.selectable = part_ >= 0;
        const bool current = graph_ && part_ >= 0 && graph_->CurrentBand() == part_;
        s.selected = current;
        s.focused = current && graph_->hasFocus();
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        return t == QAccessible::ValueInterface ? static_cast<QAccessibleValueInterface*>(this) : nullptr;
    }

    QVariant currentValue() const override {
        if (!graph_) return 0;
        if (part_ == kHpPart) return graph_->HpFreq();
        if (part_ == kLpPart) return graph_->LpFreq();
        return static_cast<double>(graph_->BandAt(part_).gain);
    }
    void setCurrentValue(const QVariant& v) override {
        if (!graph_) return;
        if (part_ < 0)
            graph_->SetMarkerFromAssistant(part_ == kLpPart, v.toInt());
        else
            graph_->SetGainFromAssistant(part_, v.toDouble());
    }
    QVariant maximumValue() const override { return part_ < 0 ? graph::kFreqMax : limits::kBandGain.max; }
    QVariant minimumValue() const override { return part_ < 0 ? graph::kFreqMin : limits::kBandGain.min; }
    QVariant minimumStepSize() const override { return part_ < 0 ? 1.0 : limits::kBandGain.step; }

    int Index() const {
        if (!graph_) return -1;
        std::vector<int> parts = GraphParts(*graph_);
        for (size_t i = 0; i < parts.size(); ++i)
            if (parts[i] == part_) return static_cast<int>(i);
        return -1;
    }

  private:
    QPointer<UIEqualizer> graph_;
    int part_;
};

class GraphAccessible : public QAccessibleWidget {
  public:
    explicit GraphAccessible(UIEqualizer* g) : QAccessibleWidget(g, QAccessible::Chart) {}
    ~GraphAccessible() override {
        for (auto& [part, id] : ids_) QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return static_cast<int>(GraphParts(*Graph()).size()); }
    QAccessibleInterface* child(int index) const override {
        std::vector<int> parts = GraphParts(*Graph());
        if (index < 0 || index >= static_cast<int>(parts.size())) return nullptr;
        return Part(parts[static_cast<size_t>(index)]);
    }
    int indexOfChild(const QAccessibleInterface* c) const override {
        for (int i = 0; i < childCount(); ++i)
            if (child(i) == c) return i;
        return -1;
    }
    QAccessibleInterface* focusChild() const override {
        const UIEqualizer* g = Graph();
        if (!g->hasFocus() || g->CurrentBand() < 0 || g->CurrentBand() >= g->BandCount() || g->OnlyShows())
            return nullptr;
        return Part(g->CurrentBand());
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Description && Graph()->OnlyShows()) return Graph()->LastPaint().title;
        return QAccessibleWidget::text(t);
    }

    QAccessibleInterface* Part(int part) const {
        auto it = ids_.find(part);
        if (it != ids_.end()) return QAccessible::accessibleInterface(it->second);
        auto* p = new GraphPart(const_cast<UIEqualizer*>(Graph()), part);
        ids_[part] = QAccessible::registerAccessibleInterface(p);
        return p;
    }

  private:
    const UIEqualizer* Graph() const { return static_cast<const UIEqualizer*>(widget()); }
    mutable std::map<int, QAccessible::Id> ids_;
};

QAccessibleInterface* Factory(const QString& className, QObject* object) {
    if (className != QLatin1String("QWidget")) return nullptr;  // the graph has no meta-object of its own
    if (auto* g = dynamic_cast<UIEqualizer*>(object)) return new GraphAccessible(g);
    return nullptr;
}

}  // namespace

void InstallGraphAccessible() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    QAccessible::installFactory(&Factory);
}

void AnnounceCurrentPart(UIEqualizer& graph) {
    if (!graph.hasFocus()) return;
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&graph);
    QAccessibleInterface* part = iface ? iface->focusChild() : nullptr;
    if (!part) return;
    QAccessibleEvent event(part, QAccessible::Focus);
    tk::Announce(event);
}

}  // namespace dvdsp::ui
