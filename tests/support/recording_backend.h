#pragma once
// A HID backend in front of another that records every report written through it and
// counts the opens, so that a test sees the exact commands a unit was sent.

#include <memory>
#include <mutex>
#include <vector>

#include "link/hid_transport.h"

namespace dvdsp::testing {

class RecordingBackend final : public link::HidBackend {
  public:
    explicit RecordingBackend(link::HidBackend& inner) : inner_(inner) {}

    int Init() override { return inner_.Init(); }
    std::shared_ptr<link::HidHandle> Open(uint16_t vid, uint16_t pid) override {
        auto h = inner_.Open(vid, pid);
        std::lock_guard lock(mutex_);
        ++opens_;
        if (!h) return nullptr;
        return std::make_shared<Handle>(*this, std::move(h));
    }

    // A written command: type, command, operation and data.
    struct Command {
        uint8_t type = 0, cmd = 0, op = 0;
        std::vector<uint8_t> data;
        std::vector<uint8_t> report;  // the whole output report as written
    };
    std::vector<Command> Commands() {
        std::lock_guard lock(mutex_);
        return commands_;
    }
    std::vector<Command> CommandsOf(uint8_t type, uint8_t cmd) {
        std::vector<Command> out;
        for (auto& c : Commands())
            if (c.type == type && c.cmd == cmd) out.push_back(c);
        return out;
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        commands_.clear();
    }
    int Opens() {
        std::lock_guard lock(mutex_);
        return opens_;
    }

  private:
    struct Handle final : link::HidHandle {
        Handle(RecordingBackend& o, std::shared_ptr<link::HidHandle> h) : owner(o), inner(std::move(h)) {}
        int GetString(link::HidString w, std::wstring& out) override { return inner->GetString(w, out); }
        int SetNonblocking(bool on) override { return inner->SetNonblocking(on); }
        int Write(const uint8_t* data, size_t len) override {
            // Report ID, AA 55 LEN type cmd op data... checksum.
            if (len >= 7) {
                Command c;
                c.type = data[4];
                c.cmd = data[5];
                c.op = data[6];
                const size_t n = data[3] >= 3 ? data[3] - 3u : 0;
                if (7 + n <= len) c.data.assign(data + 7, data + 7 + n);
                c.report.assign(data, data + len);
                std::lock_guard lock(owner.mutex_);
                owner.commands_.push_back(std::move(c));
            }
            return inner->Write(data, len);
        }
        int ReadTimeout(uint8_t* data, size_t len, int ms) override { return inner->ReadTimeout(data, len, ms); }
        std::wstring Error() override { return inner->Error(); }
        void Interrupt() override { inner->Interrupt(); }
        RecordingBackend& owner;
        std::shared_ptr<link::HidHandle> inner;
    };

    link::HidBackend& inner_;
    std::mutex mutex_;
    std::vector<Command> commands_;
    int opens_ = 0;
};

}  // namespace dvdsp::testing
