// One program per unit: programs on two different virtual units run side by side, a
// second one on the same virtual unit is refused.
#include <sys/wait.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <array>
#include <cstdio>
#include <memory>

#include "emulator/virtual_unit.h"
#include "toolkit/waits.h"
#include "ui/main/main_wnd.h"
#include "ui_fixture.h"

using namespace dvdsp;
using namespace dvdsp::ui;
namespace seam = dvdsp::tk::testing;

class InstanceLockTest : public uitest::UiTest {
  protected:
    // The options of a window on the virtual unit kept in `stateFile`, attached as the
    // program attaches it: the unit holds the file.
    StartOptions OnUnit(emu::VirtualUnit& unit, const QString& stateFile) {
        StartOptions o;
        o.autoConnect = false;
        o.onVirtualUnit = true;
        std::string why;
        bool inUse = false;
        const bool attached = unit.AttachStateFile(stateFile.toStdString(), &why, false, &inUse);
        EXPECT_TRUE(attached || inUse) << why;
        o.unitInUse = inUse;
        return o;
    }
    QTemporaryDir dir;
};

namespace {

struct ProgramRun {
    int code = -1;
    std::string out;
};

#ifdef DVDSP_PROGRAM_PATH
// Runs the program on a virtual unit with a script, as a user would from a shell.
ProgramRun RunProgram(const QString& stateFile, const QString& script) {
    std::string cmd = "QT_QPA_PLATFORM=offscreen '" + std::string(DVDSP_PROGRAM_PATH) +
                      "' '--virtual-unit=" + stateFile.toStdString() + "' --script '" + script.toStdString() +
                      "' 2>&1";
    ProgramRun r;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    std::array<char, 4096> buf;
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) r.out.append(buf.data(), n);
    int status = pclose(p);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}
#endif

}  // namespace

TEST_F(InstanceLockTest, ASecondWindowOnTheSameVirtualUnitIsRefusedOnAnotherItRuns) {
    const QString a = dir.filePath("a.json"), b = dir.filePath("b.json");
    emu::VirtualUnit unitA, unitB, unitAAgain;
    CMainWnd first(nullptr, OnUnit(unitA, a));
    ASSERT_TRUE(first.Create());
    ASSERT_FALSE(first.ClosedAtStart());

    CMainWnd other(nullptr, OnUnit(unitB, b));
    ASSERT_TRUE(other.Create());
    EXPECT_FALSE(other.ClosedAtStart());
    EXPECT_TRUE(other.isVisible());

    std::string text;
    seam::ActOnNextModal([&](tk::Window& box) {
        text = box.FindControl("MessageText")->Text().toStdString();
        box.Close(tk::kResultConfirm);
    });
    CMainWnd same(nullptr, OnUnit(unitAAgain, a));
    ASSERT_TRUE(same.Create());
    EXPECT_TRUE(same.ClosedAtStart());
    EXPECT_EQ(text, "${mutex_tips}");
}

#ifdef DVDSP_PROGRAM_PATH
TEST_F(InstanceLockTest, TwoProgramsOnTwoVirtualUnitsRunSideBySide) {
    const QString a = dir.filePath("a.json"), b = dir.filePath("b.json");
    const QString script = dir.filePath("connect.txt");
    {
        QFile f(script);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("wait-connected\n");
    }
    // The unit of `a` is taken, as by a program running on it.
    auto holder = std::make_unique<emu::VirtualUnit>();
    ASSERT_TRUE(holder->AttachStateFile(a.toStdString(), nullptr));

    ProgramRun onB = RunProgram(b, script);
    EXPECT_EQ(onB.code, 0) << onB.out;

    // On the taken unit the program refuses at once, telling why, instead of waiting for
    // a click on its message.
    ProgramRun onA = RunProgram(a, script);
    EXPECT_EQ(onA.code, 1) << onA.out;
    EXPECT_NE(onA.out.find("${mutex_tips}"), std::string::npos) << onA.out;

    holder.reset();
    ProgramRun again = RunProgram(a, script);
    EXPECT_EQ(again.code, 0) << again.out;
}
#endif
