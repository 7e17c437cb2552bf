#pragma once
// The queue behind posted window messages. It outlives its window: posters hold it by
// shared pointer, and once the window is gone posting frees the payload at once.

#include <QPointer>
#include <deque>
#include <memory>
#include <mutex>

#include "toolkit/payload.h"

namespace dvdsp::tk {

class Window;

// The event type that wakes a window to handle its posted messages.
int DrainEventType();

struct PostedMessage {
    uint32_t msg = 0;
    int64_t wparam = 0;
    std::unique_ptr<Payload> payload;
};

class Mailbox {
  public:
    explicit Mailbox(Window* window) : window_(window) {}
    // Any thread. False when the window is gone (the payload is then freed).
    bool Post(uint32_t msg, int64_t wparam, std::unique_ptr<Payload> payload);
    // Window thread: takes everything queued so far.
    std::deque<PostedMessage> TakeAll();
    // Window thread, from the window's destructor.
    void Detach();
    bool Attached() const;

  private:
    mutable std::mutex mutex_;
    Window* window_;
    std::deque<PostedMessage> queue_;
    bool wakePending_ = false;
};

}  // namespace dvdsp::tk
