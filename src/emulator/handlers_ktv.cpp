// Karaoke parameters 1 to 10: one byte each (bass and treble gains signed), the echo
// delay 16-bit. The get reports the value followed by zero bytes.
#include "emulator/virtual_unit.h"
#include "emulator/wire_util.h"
#include "link/commands.h"
#include "link/packet.h"

namespace dvdsp::emu {

using namespace dvdsp::link;

void VirtualUnit::RegisterKtvCommands() {
    for (uint8_t cmd = KTV_MIC_VOL; cmd <= KTV_TREBLE_GAIN; ++cmd) {
        const bool wide = cmd == KTV_ECHO_DELAY;
        On(CMD_KTV, cmd, OP_SET,
           [this, cmd, wide](const uint8_t* d, size_t n, std::vector<Packet>& out) {
               if (n < (wide ? 2u : 1u)) {
                   out.push_back(Ack(CMD_KTV, cmd, ACK_NOT_READY));
                   return;
               }
               state_.device.karaoke[cmd - 1] = wide ? Be16(d) : d[0];
               Changed(false);
               out.push_back(Ack(CMD_KTV, cmd));
           });
        On(CMD_KTV, cmd, OP_GET,
           [this, cmd, wide](const uint8_t*, size_t, std::vector<Packet>& out) {
               const uint16_t value = state_.device.karaoke[cmd - 1];
               std::vector<uint8_t> v;
               if (wide)
                   PutBe16(v, value);
               else
                   v.push_back(B(value));
               v.resize(3, 0);
               out.push_back(Reply(CMD_KTV, cmd, OP_UPDATE, std::move(v)));
           });
    }
}

}  // namespace dvdsp::emu
