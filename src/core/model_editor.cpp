#include "core/model_editor.h"

#include "core/session_view.h"

namespace dvdsp::core {
namespace {
// Nothing may leave the list untaken for long; the oldest half goes when it is full.
constexpr size_t kMaxKept = 4096;
}  // namespace

void ModelEditor::Report(const Change& change) {
    if (changes_.size() >= kMaxKept) changes_.erase(changes_.begin(), changes_.begin() + kMaxKept / 2);
    changes_.push_back(change);
    if (observer_) observer_(change);
    if (view_) view_->Refresh(change);
}

Change ModelEditor::StoreReply(Change (*apply)(UnitModel&, const link::Message&), const link::Message& msg) {
    // Reported by the dispatch once it has done what the reply asks for.
    return apply(model_, msg);
}

}  // namespace dvdsp::core
