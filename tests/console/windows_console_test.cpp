// The Windows build's own console, under wine.
#include <termios.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/console/program_driver.h"

namespace {

// The Windows build on the console, as wine gives it on a terminal, where
// the menu test of the dialogue's tests also runs. Ctrl-Z is a key there, not job control, so
// the terminal passes it on. Ctrl-Z ends the input and Ctrl-C the run (wine's
// console then exits with 0, where Windows gives STATUS_CONTROL_C_EXIT); a
// read-only file is refused. None of them leaves a file or a temporary.
TEST(WindowsConsole, CtrlZCtrlCAndAReadOnlyFileLeaveTheEarlierFile)
{
    if (!windows_program()) GTEST_SKIP() << "the Windows build under wine only";
    const Preparation ctrl_z_as_a_key = [] {
        termios mode{};
        tcgetattr(0, &mode);
        mode.c_cc[VSUSP] = _POSIX_VDISABLE;
        tcsetattr(0, TCSANOW, &mode);
    };
    const Step sample_rate = {"frequency? ", "8000\n"};
    const struct { const char* setup; std::vector<Step> steps; const char* error; } endings[] = {
        {"", {sample_rate, {"filter type ", "\x1a"}},
         "fir_design: input ended before the last answer; no file written"},
        {"", {sample_rate, {"filter type ", "\x03"}}, ""},
        {"chmod 0444 filter_coefficients.c",
         {sample_rate, {"filter type ", "l\n"}, {"cutoff frequency? ", "1000\n"}, {"attenuation? ", "40\n"},
          {"2049) ", "3\n"}},
         "fir_design: cannot write filter_coefficients.c: Permission denied"},
    };
    for (const auto& ending : endings) {
        const Folder folder;
        folder.write_output_file("earlier\n");
        ASSERT_TRUE(folder.shell(ending.setup));
        const Outcome outcome = run_at_terminal(folder, ending.steps, Job::None, ctrl_z_as_a_key);
        EXPECT_NE(outcome.output.find(ending.error), std::string::npos) << outcome.output;
        EXPECT_EQ(folder.output_file(), "earlier\n") << ending.error;
        EXPECT_TRUE(folder.shell("[ $(ls -A | wc -l) = 1 ]")) << ending.error;
    }
}

}  // namespace
