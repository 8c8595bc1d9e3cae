// The real program, driven as a person or a script drives it: answers
// through a pipe, or keys typed one at a time into a pseudo-terminal after
// each prompt appears. The driver the console's end-to-end tests share.
#ifndef FIR_DESIGN_TESTS_PROGRAM_DRIVER_H
#define FIR_DESIGN_TESTS_PROGRAM_DRIVER_H

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#if defined(__APPLE__)
#include <util.h>  // forkpty
#elif defined(__FreeBSD__)
#include <libutil.h>
#else
#include <pty.h>
#endif
#if defined(__linux__)
#include <sys/prctl.h>
#endif
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

inline const char* const BANNER =
    "All numbers must be integers!\n"
    "Select from 8000, 16000, 24000, 48000, 96000, 192000\n"
    "What is the sample frequency? ";
inline const char* const MENU =
    "\nChoices are 'L' for Low Pass, 'H' for High Pass, or 'B' for Band Pass\n"
    "Choose a filter type ";
inline const char* const LAST_PROMPTS =
    "What is the stop band attenuation? "
    "How many coefficients do you want? (less than or equal to 2049) ";

// An environment variable's value, or `otherwise` when it is unset or empty.
inline const char* setting(const char* name, const char* otherwise)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : otherwise;
}

// The program under test: this build's fir_design, or the one named by
// FIR_DESIGN_PROGRAM, started through FIR_DESIGN_EMULATOR when that is set
// (the Windows build under wine).
inline const char* program();
inline const char* emulator() { return setting("FIR_DESIGN_EMULATOR", nullptr); }

// Whether the program under test is a Windows build, whose text ends lines
// in CR LF and whose console is not a POSIX terminal.
inline bool windows_program()
{
    const std::string name = program();
    return name.size() > 4 && name.compare(name.size() - 4, 4, ".exe") == 0;
}

// The Windows build ends every line it writes with CR LF. Its text is
// compared in the LF form after checking that every line end is CR LF;
// text with any other line end is marked so that the comparison fails.
inline std::string with_lf_line_ends(std::string text)
{
    if (!windows_program()) return text;
    for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at)) {
        if (at == 0 || text[at - 1] != '\r') return "(not CR LF) " + text;
        text.erase(at - 1, 1);
    }
    return text;
}

inline std::string with_platform_line_ends(const std::string& text)
{
    std::string platform;
    for (const char c : text) platform += c == '\n' && windows_program() ? std::string("\r\n") : std::string(1, c);
    return platform;
}

inline std::string read_file(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return file ? text.str() : "(no file)";
}

// A fresh working folder for one run of the program, removed afterwards.
struct Folder {
    std::string path;
    Folder()
    {
        // Tagged with the suite's run, when CTest gives one, for its count.
        const std::string run = setting("FIR_DESIGN_TEST_RUN", "");
        std::string name = "/tmp/fir_design_test." + (run.empty() ? "" : run + ".") + "XXXXXX";
        path = mkdtemp(name.data());
    }
    ~Folder() { std::system(("chmod -R u+w '" + path + "'; rm -rf '" + path + "'").c_str()); }
    std::string output_file() const
    {
        return with_lf_line_ends(read_file(path + "/filter_coefficients.c"));
    }
    void write_output_file(const std::string& text) const
    {
        std::ofstream(path + "/filter_coefficients.c", std::ios::binary) << with_platform_line_ends(text);
    }
    // Runs shell commands in the folder; their exit status, or true when they succeed.
    int exit_status(const std::string& commands) const
    {
        const int status = std::system(("cd '" + path + "' && (" + commands + ")").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    bool shell(const std::string& commands) const { return commands.empty() || exit_status(commands) == 0; }
};

// The program under test (this build's fir_design, or the one named by
// FIR_DESIGN_PROGRAM), copied once into a folder every user may enter, so
// that a case run as another user can start it wherever the build lies: a
// clone in a private home folder, say.
inline const char* program()
{
    static const Folder shared;
    static const std::string copy = [] {
        const std::string original = setting("FIR_DESIGN_PROGRAM", FIR_DESIGN_BINARY);
        const std::string name = shared.path + "/" + original.substr(original.find_last_of('/') + 1);
        EXPECT_TRUE(shared.shell("chmod 0755 . && cp '" + original + "' '" + name + "' && chmod 0755 '" + name + "'"));
        return name;
    }();
    return copy.c_str();
}

struct Outcome {
    std::string output;      // standard output; at a terminal, the whole screen
    std::string errors;      // standard error (at a terminal it is on the screen)
    bool signal_came_late = false;  // signal_at_temporary never saw the run with a temporary
    int exit_status = -1;    // -1 when a signal ended the run
    int signal = 0;
    termios final_mode{};    // the terminal's mode after the run
};

// Wait for `after` on the screen, then type `keys` one at a time (Enter is
// written "\n" and typed as `enter`, by default the carriage return a
// keyboard sends), or all in one write as a paste sends them, then send
// `signal` to the terminal's foreground process group.
struct Step {
    const char* after;
    std::string keys;
    int signal = 0;
    bool paste = false;  // then `keys` go as they are written, "\n" included
    const char* enter = "\r";
};

// The same steps typed at a terminal whose Enter sends `enter`.
inline std::vector<Step> with_enter(std::vector<Step> steps, const char* enter)
{
    for (Step& step : steps) step.enter = enter;
    return steps;
}

enum class Channel { Pipe, Terminal };

// Changes made in the child just before the program starts, in its folder:
// a dropped privilege, an ignored signal, a resource limit, another stream.
using Preparation = void (*)();

// Fills in how a run ended from its wait status.
inline void record_ending(int status, Outcome& outcome)
{
    outcome.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

// Ends this process when the test's process ends, however it ends (a
// crash, a time-out), so that no program a test starts outlives it. Linux
// only; a change of user clears it.
inline void end_with_parent()
{
#if defined(__linux__)
    prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
}

// Starts the program in the folder; with `in_a_script`, as the one command
// of `sh -c 'fir_design; true'`, which shares its job as make does.
[[noreturn]] inline void start_program(const Folder& folder, Preparation prepare, bool in_a_script = false)
{
    end_with_parent();
    // As a terminal's job starts, whatever started the tests (a background
    // job of a shell without job control ignores these two).
    signal(SIGINT, SIG_DFL);
    signal(SIGQUIT, SIG_DFL);
    const rlimit no_core_files{0, 0};
    setrlimit(RLIMIT_CORE, &no_core_files);
    if (chdir(folder.path.c_str()) == 0) {
        if (prepare != nullptr) prepare();
        end_with_parent();
        if (emulator() != nullptr) {
            execlp(emulator(), emulator(), program(), nullptr);
        } else if (in_a_script) {
            execl("/bin/sh", "sh", "-c", "\"$0\"; true", program(), nullptr);
        } else {
            execl(program(), "fir_design", nullptr);
        }
    }
    _exit(127);
}

// Whether the folder holds more than the output file: a temporary.
inline bool holds_temporary(const Folder& folder)
{
    DIR* entries = opendir(folder.path.c_str());
    int count = 0;
    for (const dirent* entry; entries != nullptr && (entry = readdir(entries)) != nullptr;) {
        count += std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0;
    }
    if (entries != nullptr) closedir(entries);
    return count > 1;
}

// With `signal_at_temporary`, that signal is sent as soon as the folder
// holds a temporary: while the file is being replaced.
inline Outcome run_through_pipe_once(const Folder& folder, const std::vector<Step>& steps,
                              Preparation prepare, int signal_at_temporary)
{
    program();  // the copy is made here, once, never in a child that would leave it behind
    std::string input;
    for (const Step& step : steps) input += step.keys;
    Outcome outcome;
    const Folder streams;
    const std::string out = streams.path + "/out", err = streams.path + "/err";
    // The answers wait in the pipe before the program starts, so that a run
    // that ends before reading them all cannot break the writer's pipe.
    int to_child[2];
    EXPECT_EQ(pipe(to_child), 0);
    EXPECT_EQ(write(to_child[1], input.data(), input.size()), static_cast<ssize_t>(input.size()));
    close(to_child[1]);
    const pid_t child = fork();
    if (child == 0) {
        dup2(to_child[0], 0);
        dup2(open(out.c_str(), O_WRONLY | O_CREAT, 0600), 1);
        dup2(open(err.c_str(), O_WRONLY | O_CREAT, 0600), 2);
        start_program(folder, prepare);
    }
    close(to_child[0]);
    int status = 0;
    bool ended = false;
    outcome.signal_came_late = signal_at_temporary != 0;
    while (signal_at_temporary != 0 && !(ended = waitpid(child, &status, WNOHANG) == child)) {
        if (holds_temporary(folder)) {
            // Under load the run may have ended since the temporary was seen:
            // then the signal comes too late to test anything.
            siginfo_t ending{};
            waitid(P_PID, static_cast<id_t>(child), &ending, WEXITED | WNOHANG | WNOWAIT);
            outcome.signal_came_late = ending.si_pid == child;
            kill(child, signal_at_temporary);
            break;
        }
    }
    if (!ended) waitpid(child, &status, 0);
    record_ending(status, outcome);
    outcome.output = with_lf_line_ends(read_file(out));
    outcome.errors = with_lf_line_ends(read_file(err));
    return outcome;
}

// Every run the program fails says why on standard error. Under wine, once
// in a great many runs, a run ends with status 1 and nothing on standard
// error; such a run is tried again, at most twice, so that the stand-in's
// rare failure is not read as the program's. A program that always says
// nothing still fails.
inline Outcome run_through_pipe(const Folder& folder, const std::vector<Step>& steps,
                         Preparation prepare = nullptr, int signal_at_temporary = 0)
{
    Outcome outcome = run_through_pipe_once(folder, steps, prepare, signal_at_temporary);
    for (int retry = 0; emulator() != nullptr && outcome.exit_status > 0 && outcome.errors.empty()
                        && retry < 2; ++retry) {
        std::cerr << "wine ended a run with status " << outcome.exit_status
                  << " and no message; standard output was:\n" << outcome.output << "\n";
        outcome = run_through_pipe_once(folder, steps, prepare, signal_at_temporary);
    }
    return outcome;
}

// The Windows build's console as wine draws it on a terminal, as plain
// text: wine wraps each character in cursor hide and show (ESC [ ? 25 l,
// ESC [ ? 25 h), draws a run of spaces as a cursor move (ESC [ K ESC [ n C)
// and ends lines in CR CR LF.
inline std::string visible(const std::string& screen)
{
    if (!windows_program()) return screen;
    std::string text;
    for (size_t at = 0, end = 0; at < screen.size();) {
        if (screen.compare(at, 5, "\x1b[?25") == 0) {
            at += 6;
        } else if (screen.compare(at, 5, "\x1b[K\x1b[") == 0
                   && (end = screen.find_first_not_of("0123456789", at + 5)) != std::string::npos
                   && end > at + 5 && screen[end] == 'C') {
            text.append(std::stoul(screen.substr(at + 5, end - at - 5)), ' ');
            at = end + 1;
        } else if (screen.compare(at, 3, "\r\r\n") == 0) {
            text += '\n';
            at += 3;
        } else {
            text += screen[at++];
        }
    }
    return text;
}

// Reads what the program writes until `text` shows after position `from` of
// the visible screen, for up to `seconds`. Returns where `text` ends, or npos.
inline size_t read_screen(int master, std::string& screen, size_t from, const std::string& text,
                   double seconds)
{
    if (text.empty()) return from;  // nothing to wait for
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        const size_t found = visible(screen).find(text, from);
        if (found != std::string::npos) return found + text.size();
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now()).count();
        pollfd ready{master, POLLIN, 0};
        if (left <= 0 || poll(&ready, 1, static_cast<int>(left)) <= 0) return std::string::npos;
        char buffer[4096];
        const ssize_t count = read(master, buffer, sizeof buffer);
        if (count <= 0) return std::string::npos;
        screen.append(buffer, static_cast<size_t>(count));
    }
}

inline bool in_line_mode(const termios& mode)
{
    return (mode.c_lflag & ICANON) && (mode.c_lflag & ECHO) && (mode.c_iflag & ICRNL);
}

// What a job-control shell does for one foreground job: start it in a
// process group of its own that owns the terminal; when it stops, take the
// terminal back, note "[stopped]" (", raw" when the job left the terminal
// out of line mode) and set the shell's own mode, without line mode
// or echo, as a line editor does; then take SIGUSR1 as `fg` (line mode, the
// terminal given to the job, the job continued) and SIGUSR2 as `bg` (the job
// continued where it is), and SIGURG as Ctrl-Z seen by the shell before the
// program (as when a script in the job stops first): the terminal taken back,
// then the job stopped; end as the job ends. Without this the program would
// be alone in an orphaned process group, where the kernel discards Ctrl-Z.
constexpr int FG = SIGUSR1, BG = SIGUSR2, SHELL_FIRST = SIGURG;
// The line mode the shell gives back with `fg` differs from the one at start
// in its erase-line key, so that a test can tell which one a run restores.
constexpr cc_t GIVEN_BACK_KILL_KEY = 0x18;  // Ctrl-X

[[noreturn]] inline void run_as_job(const Folder& folder, bool in_a_script)
{
    signal(SIGTTOU, SIG_IGN);  // the shell sets the terminal from the background too
    sigset_t commands;
    sigemptyset(&commands);
    sigaddset(&commands, FG);
    sigaddset(&commands, BG);
    sigaddset(&commands, SHELL_FIRST);
    sigprocmask(SIG_BLOCK, &commands, nullptr);
    termios line_mode{};
    tcgetattr(STDIN_FILENO, &line_mode);
    const pid_t job = fork();
    if (job == 0) {
        sigprocmask(SIG_UNBLOCK, &commands, nullptr);
        setpgid(0, 0);
        tcsetpgrp(STDIN_FILENO, getpid());
        signal(SIGTTOU, SIG_DFL);
        start_program(folder, nullptr, in_a_script);
    }
    setpgid(job, job);
    for (;;) {
        int status = 0;
        const pid_t changed = waitpid(job, &status, WUNTRACED | WNOHANG);
        if (changed == job && WIFSTOPPED(status)) {
            tcsetpgrp(STDIN_FILENO, getpgrp());
            termios shell_mode{};
            tcgetattr(STDIN_FILENO, &shell_mode);
            std::printf("[stopped%s]\n", in_line_mode(shell_mode) ? "" : ", raw");
            std::fflush(stdout);
            shell_mode.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
            tcsetattr(STDIN_FILENO, TCSANOW, &shell_mode);
        } else if (changed == job && WIFSIGNALED(status)) {
            signal(WTERMSIG(status), SIG_DFL);
            kill(getpid(), WTERMSIG(status));
        } else if (changed == job) {
            _exit(WEXITSTATUS(status));
        }
        // A command: the job may have stopped where the shell cannot see it
        // (a script's command), and is continued all the same.
        sigset_t pending;
        sigpending(&pending);
        int command = 0;
        if ((sigismember(&pending, FG) || sigismember(&pending, BG) || sigismember(&pending, SHELL_FIRST))
            && sigwait(&commands, &command) == 0) {
            if (command == SHELL_FIRST) {
                tcsetpgrp(STDIN_FILENO, getpgrp());
                kill(-job, SIGTSTP);
                continue;
            }
            if (command == FG) {
                termios given_back = line_mode;
                given_back.c_cc[VKILL] = GIVEN_BACK_KILL_KEY;
                tcsetattr(STDIN_FILENO, TCSANOW, &given_back);
                tcsetpgrp(STDIN_FILENO, job);
            }
            kill(-job, SIGCONT);
        }
        usleep(1000);
    }
}

// Ends every process the terminal's session holds: the program, and the
// shell and job of run_as_job.
inline void end_session(int master, pid_t child)
{
    const pid_t foreground = tcgetpgrp(master);
    if (foreground > 0) kill(-foreground, SIGKILL);
    kill(-child, SIGKILL);
    kill(child, SIGKILL);
}

// Whether `key` makes the terminal send a signal (Ctrl-C, Ctrl-\, Ctrl-Z),
// which also throws away every key typed but not yet read.
inline bool is_signal_key(int terminal, char key)
{
    termios mode{};
    tcgetattr(terminal, &mode);
    return (mode.c_lflag & ISIG) && key != static_cast<char>(_POSIX_VDISABLE)
           && (key == static_cast<char>(mode.c_cc[VINTR]) || key == static_cast<char>(mode.c_cc[VQUIT])
               || key == static_cast<char>(mode.c_cc[VSUSP]));
}

// Waits, up to five seconds, until the program has read every key typed.
inline void wait_until_read(int terminal)
{
    int unread = 1;
    for (int tries = 0; tries < 5000 && ioctl(terminal, FIONREAD, &unread) == 0 && unread > 0; ++tries) {
        usleep(1000);
    }
}

// Reads what the program writes for `seconds`.
inline void drain(int master, std::string& screen, double seconds)
{
    read_screen(master, screen, 0, "\x7f never written", seconds);
}

// Whether the process `pid` has ended (a zombie too), and whether `signal`
// waits, undelivered, for it (Linux's /proc; elsewhere never).
inline bool process_ended(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line) && line.rfind("State:", 0) != 0) {
    }
    return kill(pid, 0) != 0 || line.find_first_of("ZX", 6) != std::string::npos;
}
inline bool signal_pending(pid_t pid, int signal)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    bool pending = false;
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("SigPnd:", 0) == 0 || line.rfind("ShdPnd:", 0) == 0) {
            pending = pending || ((std::stoull(line.substr(7), nullptr, 16) >> (signal - 1)) & 1) != 0;
        }
    }
    return pending;
}

// After a signal to the program: waits, for up to a minute, until it has
// taken the signal and the terminal is out of line mode again (the program's
// key mode, or the job shell's own after a stop), or the program is gone,
// so that the next key reaches the program as a key.
inline void wait_until_taken(pid_t pid, int signal, int terminal)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (termios mode{}; std::chrono::steady_clock::now() < deadline; usleep(1000)) {
        tcgetattr(terminal, &mode);
        if (process_ended(pid) || (!signal_pending(pid, signal) && !(mode.c_lflag & ECHO))) return;
    }
}

enum class Job { None, Alone, InAScript };

inline Outcome run_at_terminal(const Folder& folder, const std::vector<Step>& steps, Job job = Job::None,
                        Preparation prepare = nullptr)
{
    program();
    int master = -1;
    winsize wide{40, 200, 0, 0};  // no line of the dialogue wraps
    const pid_t child = forkpty(&master, nullptr, nullptr, &wide);
    if (child == 0) {
        end_with_parent();
        job != Job::None ? run_as_job(folder, job == Job::InAScript) : start_program(folder, prepare);
    }
    // Hold the terminal open so its mode can still be read after the run.
    const int terminal = open(ptsname(master), O_RDWR | O_NOCTTY);
    Outcome outcome;
    std::string screen;
    size_t seen = 0;
    for (const Step& step : steps) {
        seen = read_screen(master, screen, seen, step.after, 60);
        if (seen == std::string::npos) {
            ADD_FAILURE() << "never saw \"" << step.after << "\" on the screen:\n" << screen;
            end_session(master, child);
            break;
        }
        termios mode{};
        tcgetattr(terminal, &mode);
        // Wine's console takes the terminal out of line mode when it reads;
        // a key typed before that would be echoed by the terminal itself.
        for (int tries = 0; windows_program() && (mode.c_lflag & ECHO) && tries < 500; ++tries) {
            usleep(10000);
            tcgetattr(terminal, &mode);
        }
        // A signal key throws away every key the program has not read yet,
        // and a key may still sit between the terminal's two sides, where
        // FIONREAD does not count it: in a step that holds a signal key,
        // each other key waits until it shows on the screen (for up to half
        // a minute, for a key that shows nothing).
        const bool each_key_shown = !step.paste && std::any_of(step.keys.begin(), step.keys.end(),
            [terminal](char key) { return is_signal_key(terminal, key); });
        for (size_t at = 0; at < step.keys.size();) {
            // An escape sequence goes in one write, as a terminal sends an arrow key.
            const size_t length = step.paste ? step.keys.size() : step.keys[at] != '\x1b' ? 1
                : std::min(step.keys.size() - at, std::strspn(step.keys.c_str() + at + 1, "[O0123456789;") + 2);
            std::string typed = step.keys.substr(at, length);
            if (!step.paste && typed == "\n") typed = step.enter;
            const bool signal_key = !step.paste && is_signal_key(terminal, typed[0]);
            if (signal_key) wait_until_read(terminal);
            const size_t shown = visible(screen).size();
            EXPECT_EQ(write(master, typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));
            at += length;
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
            while (each_key_shown && !signal_key && visible(screen).size() == shown
                   && std::chrono::steady_clock::now() < deadline) {
                drain(master, screen, 0.01);
            }
            usleep(2000);
        }
        if (step.signal != 0) {
            const bool to_the_shell = job != Job::None && (step.signal == FG || step.signal == BG
                                                           || step.signal == SHELL_FIRST);
            const pid_t group = tcgetpgrp(master);
            kill(to_the_shell ? child : -group, step.signal);
            if (!to_the_shell) wait_until_taken(group, step.signal, terminal);
        }
    }
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (waitpid(child, &status, WNOHANG) == 0) {
        drain(master, screen, 0.05);
        if (std::chrono::steady_clock::now() > deadline) {
            ADD_FAILURE() << "the program did not end:\n" << screen;
            end_session(master, child);
        }
    }
    drain(master, screen, 0.05);
    record_ending(status, outcome);
    tcgetattr(terminal, &outcome.final_mode);
    close(terminal);
    close(master);
    // The terminal writes every line end as "\r\n".
    outcome.output = visible(screen);
    for (size_t at = outcome.output.find("\r\n"); at != std::string::npos;
         at = outcome.output.find("\r\n", at)) {
        outcome.output.replace(at, 2, "\n");
    }
    return outcome;
}

inline Outcome run(Channel channel, const Folder& folder, const std::vector<Step>& steps)
{
    return channel == Channel::Pipe ? run_through_pipe(folder, steps)
                                    : run_at_terminal(folder, steps);
}

inline const std::vector<Step> LOW_PASS_101 = {{"frequency? ", "48000\n"}, {"filter type ", "L\n"},
                                        {"cutoff frequency? ", "12000\n"},
                                        {"attenuation? ", "60\n"}, {"2049) ", "101\n"}};

#endif
