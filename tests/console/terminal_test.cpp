// The terminal the program leaves: after ending signals, read errors and
// the end of input, and after Ctrl-Z, `fg` and `bg` as a shell gives them.
#include <fcntl.h>
#include <termios.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/console/program_driver.h"

namespace {

TEST(EndToEnd, EndingSignalsReadErrorsOrEndOfInputRestoreTheTerminalAndKeepTheFile)
{
    if (windows_program()) GTEST_SKIP() << "a POSIX terminal only";
    const Preparation ignore_interrupt = [] { signal(SIGINT, SIG_IGN); };
    const Preparation no_end_of_input_key = [] {
        termios mode{};
        tcgetattr(0, &mode);
        mode.c_cc[VEOF] = _POSIX_VDISABLE;
        tcsetattr(0, TCSANOW, &mode);
    };
    const Preparation non_blocking = [] { fcntl(0, F_SETFL, fcntl(0, F_GETFL) | O_NONBLOCK); };
    const Preparation in_the_background = [] {  // reads then fail with EIO
        int status = 0;
        if (fork() != 0 && wait(&status) > 0) _exit(WEXITSTATUS(status));
        setpgid(0, 0);
        signal(SIGTTIN, SIG_IGN);
        signal(SIGTTOU, SIG_IGN);
    };
    const Preparation detached = [] {  // the terminal is no longer the controlling one, as under setsid -w
        int status = 0;
        if (fork() != 0 && wait(&status) > 0) {
            if (WIFSIGNALED(status)) kill(getpid(), WTERMSIG(status));
            _exit(WEXITSTATUS(status));
        }
        setsid();
    };
    const Preparation output_closed = [] { close(1); };
    // Output to a log, as another user on this user's terminal, which that
    // user may not open, with standard input read-only.
    const Preparation terminal_not_writable = [] {
        dup2(open(ttyname(0), O_RDONLY), 0);
        dup2(open("log", O_WRONLY | O_CREAT, 0666), 1);
        if (setuid(65534) != 0) _exit(126);
    };
    const Step rate = {"frequency? ", "8000\n"};
    struct Ending { std::vector<Step> steps; int exit_status; int signal; Preparation prepare; const char* error; };
    std::vector<Ending> endings = {
        {{rate, {"filter type ", "\x03"}}, -1, SIGINT, nullptr, ""},  // Ctrl-C
        {{rate, {"filter type ", "\x1c"}}, -1, SIGQUIT, nullptr, ""}, // Ctrl-backslash
        {{rate, {"filter type ", "\x04"}}, 1, 0, nullptr, "input ended"},  // Ctrl-D
        {{{"frequency? ", "80\x04"}, {"80", "\x7f" "0\x04\x15\x04"}}, 1, 0, nullptr, "input ended"},
        // Ignored by whoever started it: stays ignored.
        {{rate, {"filter type ", "\x03\x04"}}, 1, 0, ignore_interrupt, "input ended"},
        // A NUL equals no special key when the end-of-input key is unset.
        {{rate, {"filter type ", std::string("\0\n", 2)}, {"filter type ", "", SIGTERM}}, -1, SIGTERM,
         no_end_of_input_key, ""},
        {{rate, {"filter type ", "\x04"}}, 1, 0, non_blocking, "input ended"},  // waits for keys all the same
        {{{"frequency? ", ""}}, 1, 0, in_the_background, "cannot read standard input: Input/output error"},
        {{rate, {"filter type ", "\x04"}}, 1, 0, detached, "input ended"},
        // Its signal keys would signal another session: the run takes them.
        {{rate, {"filter type ", "\x03"}}, -1, SIGINT, detached, ""},
        {{rate, {"filter type ", "\x1a"}}, -1, SIGINT, detached, "Ctrl-Z cannot pause a run whose terminal is not its own"},
        {{{"", ""}}, 1, 0, output_closed, "cannot write to standard output: Bad file descriptor"},
    };
    if (geteuid() == 0) {
        endings.push_back({{{"cannot be shown", "8000\n"}, {"", "\x04"}}, 1, 0, terminal_not_writable,
                           "fir_design: typed keys cannot be shown: the terminal cannot be opened for writing "
                           "(Permission denied)\nfir_design: input ended"});
    }
    // Each ending signal at a question, SIGXCPU after a key.
    for (const int number : {SIGTERM, SIGHUP, SIGPIPE, SIGALRM, SIGUSR1, SIGXCPU, SIGABRT, SIGSYS, SIGTRAP,
#ifdef SIGPWR
                             SIGPWR,
#endif
#ifdef SIGRTMIN
                             SIGRTMIN, SIGRTMAX,
#endif
         }) {
        endings.push_back({{rate, {"filter type ", number == SIGXCPU ? "l" : "", number}}, -1, number, nullptr, ""});
    }
    for (const auto& ending : endings) {
        SCOPED_TRACE(ending.error + std::to_string(ending.signal));
        const Folder folder;
        folder.write_output_file("earlier\n");
        const Outcome outcome = run_at_terminal(folder, ending.steps, Job::None, ending.prepare);
        EXPECT_EQ(outcome.exit_status, ending.exit_status);
        EXPECT_EQ(outcome.signal, ending.signal);
        EXPECT_NE(outcome.output.find(ending.error), std::string::npos) << outcome.output;
        EXPECT_TRUE(in_line_mode(outcome.final_mode));
        EXPECT_EQ(folder.output_file(), "earlier\n");
    }
}

// Ctrl-Z, `fg` and `bg` as a shell gives them, with the program alone in its
// job or sharing it with a script (as under make, where the shell takes the
// terminal back before the program has stopped): each run ends as typed, in
// the mode found at start, with the question shown again after each return.
TEST(EndToEnd, CtrlZFgAndBgFinishTheRunInTheModeFoundAtStart)
{
    if (windows_program()) GTEST_SKIP() << "a POSIX terminal only";
    const Step rate = {"frequency? ", "8000\n"};
    const Step cutoff = {"cutoff frequency? ", "1000\n"};
    const std::vector<Step> rest = {{"attenuation? ", "0\n"}, {"2049) ", "3\n"}};
    const char* const chosen = "Choose a filter type L\nWhat is the cutoff";
    const struct { Job job; std::vector<Step> steps; const char* screen; } cases[] = {
        {Job::Alone, {rate, {"filter type ", "\x1a"}, {"[stopped]", "", FG}, {"type ", "l\x1a"},
                      {"[stopped]", "", FG}, {"type L", "\n"}, {"cutoff frequency? ", "10\x1a"},
                      {"[stopped]", "", FG}, {"frequency? 10", "00\n"}},
         "Choose a filter type [stopped]\n\nChoose a filter type L[stopped]\n\nChoose a filter type L\n"
         "What is the cutoff frequency? 10[stopped]\n\nWhat is the cutoff frequency? 1000\n"},
        // bg, then fg: two continuations, one return, one question again.
        {Job::Alone, {rate, {"type ", "l\x1a"}, {"[stopped]", "", BG}, {"", "", FG}, {"type L", "\n"}, cutoff},
         "L[stopped]\n\nChoose a filter type L\nWhat is the cutoff frequency? 1000\n"},
        // SIGCONT alone, from elsewhere: nothing stopped, nothing moved, nothing is drawn again.
        {Job::None, {{"frequency? ", "480"}, {"480", "", SIGCONT}, {"", "00\n"}, {"type ", "l\n"}, cutoff},
         "frequency? 48000\n\nChoices"},
        {Job::InAScript, {rate, {"type ", "l\x1a"}, {"[stopped", "", FG}, {"type L", "\n"}, cutoff}, chosen},
        {Job::InAScript, {rate, {"type ", "l"}, {"L", "", SHELL_FIRST}, {"[stopped", "", FG}, {"type L", "\n"},
                          cutoff}, chosen},
        {Job::InAScript, {rate, {"type ", "l\x1a"}, {"[stopped", "", BG}, {"", "", FG}, {"type L", "\n"}, cutoff},
         chosen},
        // Stopped from outside: by SIGSTOP, which no handler sees, or SIGTTOU.
        {Job::Alone, {rate, {"type ", "l"}, {"L", "", SIGSTOP}, {"[stopped", "", FG}, {"type L", "\n"}, cutoff}, chosen},
        {Job::Alone, {rate, {"type ", "l"}, {"L", "", SIGTTOU}, {"[stopped]", "", FG}, {"type L", "\n"}, cutoff},
         chosen},
        // Alone in its session the kernel discards Ctrl-Z: nothing stops, nothing is shown again.
        {Job::None, {{"frequency? ", "12345"}, {"12345", "", SIGTSTP}, {"", "6789012\x7f\x7f\x7f" "0\n"},
                     {"type ", "l\n"}, cutoff},
         "192000\nWhat is the sample frequency? 123456789012\b \b\b \b\b \b0\n\nChoices"},
        // A write held by Ctrl-S goes on through a resize.
        {Job::None, {{"frequency? ", "\x13" "8"}, {"", "", SIGWINCH}, {"", "", SIGWINCH}, {"", "\x11" "000\n"},
                     {"type ", "l\n"}, cutoff}, "frequency? 8000\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.screen);
        const Folder folder;
        std::vector<Step> steps = c.steps;
        steps.insert(steps.end(), rest.begin(), rest.end());
        const Outcome outcome = run_at_terminal(folder, steps, c.job);
        EXPECT_EQ(outcome.exit_status, 0);
        EXPECT_NE(outcome.output.find(c.screen), std::string::npos) << outcome.output;
        EXPECT_TRUE(in_line_mode(outcome.final_mode));
        if (c.job != Job::None) {
            EXPECT_EQ(outcome.final_mode.c_cc[VKILL], GIVEN_BACK_KILL_KEY);  // the mode fg gave back
        }
        EXPECT_EQ(folder.output_file().substr(0, 34), "int number_of_coefficients = 3;\nlo");
    }

    // A key and Ctrl-Z in one write: the terminal may throw the key away as it
    // stops the program. Either the key is shown and used, or neither.
    const Folder low_pass, high_pass, folder;
    run_through_pipe(low_pass, {{"", "8000\nL\n1000\n0\n3\n"}});
    run_through_pipe(high_pass, {{"", "8000\nH\n1000\n0\n3\n"}});
    std::vector<Step> steps = {rate, {"type ", "l\x1a", 0, true}, {"[stopped]", "", FG}, {"type ", "h\n"}, cutoff};
    steps.insert(steps.end(), rest.begin(), rest.end());
    const Outcome outcome = run_at_terminal(folder, steps, Job::Alone);
    const bool used = outcome.output.find("type L[stopped]") != std::string::npos;
    EXPECT_EQ(folder.output_file(), used ? low_pass.output_file() : high_pass.output_file()) << outcome.output;
    EXPECT_NE(outcome.output.find(used ? "type L\nWhat" : "type H\nWhat"), std::string::npos) << outcome.output;
}

}  // namespace
