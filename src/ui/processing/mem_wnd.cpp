#include "ui/processing/mem_wnd.h"

#include "base/log.h"
#include "platform/settings.h"
#include "toolkit/controls.h"
#include "toolkit/edit.h"
#include "ui/link_sink.h"
#include "ui/processing/proc_common.h"

namespace dvdsp::ui {
namespace {

QString Hex(uint32_t v) { return QStringLiteral("0x%1").arg(v, 8, 16, QLatin1Char('0')); }

// The settings file keeps the word as decimal text of its signed value.
int AsSetting(uint32_t v) { return static_cast<int>(v); }
uint32_t FromSetting(int v) { return static_cast<uint32_t>(v); }

}  // namespace

CMemWrWnd::CMemWrWnd(QWidget* owner, core::EqualizerManager& controller)
    : DialogWnd(owner, QStringLiteral("XML_MEM_WR"), QStringLiteral("MemWrWnd")), mController(controller) {}

CMemWrWnd::~CMemWrWnd() { mController.Attach(link::Target::Memory, nullptr); }

void CMemWrWnd::OnLoaded() {
    mSink = std::make_unique<ui::WindowMessageSink>(*this);
    mController.Attach(link::Target::Memory, mSink.get());
    if (tk::Control* e = FindControl("addr_edit")) e->SetText(Hex(FromSetting(ReadSettingInt("mem_addr", 0))));
    if (tk::Control* e = FindControl("data_edit")) e->SetText(Hex(FromSetting(ReadSettingInt("mem_data", 0))));
}

uint32_t CMemWrWnd::FieldValue(const char* edit) const {
    auto* e = Find<tk::Edit>(edit);
    return e ? proc::ParseLiteral(e->text()) : 0;
}

void CMemWrWnd::ShowAddress(uint32_t address) {
    if (tk::Control* e = FindControl("addr_edit")) e->SetText(Hex(address));
    WriteSettingInt("mem_addr", AsSetting(address));
}

void CMemWrWnd::ShowData(uint32_t word) {
    if (tk::Control* e = FindControl("data_edit")) e->SetText(Hex(word));
    WriteSettingInt("mem_data", AsSetting(word));
}

void CMemWrWnd::OnMessage(uint32_t msg, int64_t wparam, std::unique_ptr<tk::Payload> payload) {
    (void)wparam;
    if (msg != link::WM_READ_MEM_VALUE) return;
    auto* p = dynamic_cast<ui::LinkPayload*>(payload.get());
    const auto* r = p ? p->message.As<link::MemValue>() : nullptr;
    if (!r) return;
    const auto wordAt = [&](size_t at) {
        return static_cast<uint32_t>(r->bytes[at]) | static_cast<uint32_t>(r->bytes[at + 1]) << 8 |
               static_cast<uint32_t>(r->bytes[at + 2]) << 16 | static_cast<uint32_t>(r->bytes[at + 3]) << 24;
    };
    const uint32_t address = wordAt(0), value = wordAt(4);
    LogWriteNarrow("mem data = addr(0x%08x), data(0x%08x)\n", address, value);
    ShowAddress(address);
    ShowData(value);
}

bool CMemWrWnd::OnNotify(tk::TNotify& n) {
    if (n.type != tk::notify::kClick) return false;
    if (n.name == "read_btn") {
        const uint32_t address = FieldValue("addr_edit");
        ShowAddress(address);
        LogWriteNarrow("read_btn read dsp mem, addr(0x%08x)\n", address);
        mController.ReadMemory(address);
        return true;
    }
    if (n.name == "write_btn") {
        const uint32_t address = FieldValue("addr_edit");
        const uint32_t value = FieldValue("data_edit");
        ShowAddress(address);
        ShowData(value);
        LogWriteNarrow("write_btn write dsp mem, addr(0x%08x), data(0x%08x)\n", address, value);
        mController.WriteMemory(address, value);
        return true;
    }
    return false;
}

}  // namespace dvdsp::ui
