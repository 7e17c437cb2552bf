#pragma once
// Adapts a window into the link's message sink: every link message is posted to the
// window as (message number, wparam, LinkPayload). When the window is gone the message,
// and with it its record, is freed.

#include <memory>

#include "link/messages.h"
#include "toolkit/mailbox.h"
#include "toolkit/window.h"

namespace dvdsp::ui {

struct LinkPayload : tk::Payload {
    explicit LinkPayload(link::Message m) : message(std::move(m)) {}
    link::Message message;
};

class WindowMessageSink : public link::MessageSink {
  public:
    explicit WindowMessageSink(tk::Window& window) : mailbox_(window.GetMailbox()) {}
    void Post(link::Message message) override {
        uint32_t msg = message.msg;
        int64_t wparam = message.wparam;
        mailbox_->Post(msg, wparam, std::make_unique<LinkPayload>(std::move(message)));
    }

  private:
    std::shared_ptr<tk::Mailbox> mailbox_;
};

}  // namespace dvdsp::ui
