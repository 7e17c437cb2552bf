#include "toolkit/mailbox.h"

#include <QCoreApplication>
#include <QEvent>

#include "toolkit/window.h"

namespace dvdsp::tk {

int DrainEventType() {
    return QEvent::User + 77;
}

bool Mailbox::Post(uint32_t msg, int64_t wparam, std::unique_ptr<Payload> payload) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!window_) return false;  // `payload` is freed on return
    queue_.push_back({msg, wparam, std::move(payload)});
    if (!wakePending_) {
        wakePending_ = true;
        // Safe under the lock: the window cannot be destroyed meanwhile (Detach waits).
        QCoreApplication::postEvent(window_,
                                    new QEvent(static_cast<QEvent::Type>(DrainEventType())));
    }
    return true;
}

std::deque<PostedMessage> Mailbox::TakeAll() {
    std::lock_guard<std::mutex> lock(mutex_);
    wakePending_ = false;
    std::deque<PostedMessage> out;
    out.swap(queue_);
    return out;
}

void Mailbox::Detach() {
    std::deque<PostedMessage> dropped;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        window_ = nullptr;
        dropped.swap(queue_);
    }
    // `dropped` frees the payloads here, outside the lock.
}

bool Mailbox::Attached() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return window_ != nullptr;
}

}  // namespace dvdsp::tk
