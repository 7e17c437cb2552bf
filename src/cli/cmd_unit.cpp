// info and ping: the first contact with a unit.
#include <cstdio>

#include "base/identity.h"
#include "cli/cli.h"
#include "link/commands.h"

namespace dvdsp::cli {

namespace {
int NoArguments(const Words& args) { return args.empty() ? kOk : kUsage; }

void RegisterUnitCommands() {
    Register({"info", "",
              "Open the unit, attach, shake hands and print its model and firmware version.",
              [](Session& s, const std::vector<std::string>& args) {
                  if (!args.empty()) return static_cast<int>(kUsage);
                  int r = s.Open();
                  if (r != kOk) return r;
                  auto& d = s.Device();
                  std::printf("model: %d\n", d.Model());
                  std::printf("firmware: %d.%d\n", d.MasterVersion(), d.SlaveVersion());
                  return static_cast<int>(kOk);
              },
              NoArguments});
    Register({"ping", "",
              "Open the unit and send the keep-alive; prints whether the unit answered.",
              [](Session& s, const std::vector<std::string>& args) {
                  if (!args.empty()) return static_cast<int>(kUsage);
                  int r = s.Open();
                  if (r != kOk) return r;
                  auto& d = s.Device();
                  s.Sink().Take();
                  // The keep-alive is not read back by the link; read its answer here.
                  d.SendCtrlCommand(link::CMD_MCU, link::MCU_PING, link::OP_SET, nullptr, 0);
                  d.ReadHIDData(1000);
                  bool answered = false;
                  for (const auto& m : s.Sink().Take())
                      if (m.msg == link::WM_READ_MCU_VALUE && m.wparam == link::MCU_PING)
                          answered = true;
                  std::printf(answered ? "ping: answered\n" : "ping: no answer\n");
                  return static_cast<int>(answered ? kOk : kUnitError);
              },
              NoArguments});
}

const Registrar registrar(RegisterUnitCommands);
}  // namespace

}  // namespace dvdsp::cli
