#include "core/history.h"

namespace dvdsp::core {

void History::Push(HistoryStep step) {
    if (step.items.empty()) return;
    steps_.resize(cursor_);
    steps_.push_back(std::move(step));
    if (steps_.size() > limit_) steps_.erase(steps_.begin(), steps_.begin() + static_cast<std::ptrdiff_t>(steps_.size() - limit_));
    cursor_ = steps_.size();
}

void History::Clear() {
    steps_.clear();
    cursor_ = 0;
}

size_t History::Bytes() const {
    size_t bytes = steps_.capacity() * sizeof(HistoryStep);
    for (const HistoryStep& s : steps_) bytes += s.name.capacity() + s.items.capacity() * sizeof(ItemChange);
    return bytes;
}

}  // namespace dvdsp::core
