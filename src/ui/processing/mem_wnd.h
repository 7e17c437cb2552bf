#pragma once
// The DSP memory window (class "MemWrWnd", layout "XML_MEM_WR") for service use: one
// 32-bit word of DSP memory read ("read_btn", waiting for the unit's reply) or written
// ("write_btn") at the address of "addr_edit". Both fields show "0x%08x" and are kept
// in the settings file as "mem_addr" and "mem_data".

#include <cstdint>
#include <memory>

#pragma push_macro("slots")
#undef slots
#include "core/equalizer_manager.h"
#pragma pop_macro("slots")
#include "ui/dialogs/dialog_wnd.h"

namespace dvdsp::ui {

class CMemWrWnd final : public DialogWnd {
  public:
    CMemWrWnd(QWidget* owner, core::EqualizerManager& controller);
    ~CMemWrWnd() override;

    void OnMessage(uint32_t msg, int64_t wparam, std::unique_ptr<tk::Payload> payload) override;

  protected:
    void OnLoaded() override;
    bool OnNotify(tk::TNotify& n) override;

  private:
    uint32_t FieldValue(const char* edit) const;
    // Shows the word in the field and keeps it in the settings file.
    void ShowAddress(uint32_t address);
    void ShowData(uint32_t word);

    core::EqualizerManager& mController;
    std::unique_ptr<link::MessageSink> mSink;
};

}  // namespace dvdsp::ui
