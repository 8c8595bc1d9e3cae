// The real program, driven as a person or a script drives it: answers
// through a pipe, or keys typed one at a time into a pseudo-terminal after
// each prompt appears.
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

namespace {

const char* const BANNER =
    "All numbers must be integers!\n"
    "Select from 8000, 16000, 24000, 48000, 96000, 192000\n"
    "What is the sample frequency? ";
const char* const MENU =
    "\nChoices are 'L' for Low Pass, 'H' for High Pass, or 'B' for Band Pass\n"
    "Choose a filter type ";
const char* const LAST_PROMPTS =
    "What is the stop band attenuation? "
    "How many coefficients do you want? (less than or equal to 2049) ";

// An environment variable's value, or `otherwise` when it is unset or empty.
const char* setting(const char* name, const char* otherwise)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : otherwise;
}

// The program under test: this build's fir_design, or the one named by
// FIR_DESIGN_PROGRAM, started through FIR_DESIGN_EMULATOR when that is set
// (the Windows build under wine).
const char* program();
const char* emulator() { return setting("FIR_DESIGN_EMULATOR", nullptr); }

// Whether the program under test is a Windows build, whose text ends lines
// in CR LF and whose console is not a POSIX terminal.
bool windows_program()
{
    const std::string name = program();
    return name.size() > 4 && name.compare(name.size() - 4, 4, ".exe") == 0;
}

// The Windows build ends every line it writes with CR LF. Its text is
// compared in the LF form after checking that every line end is CR LF;
// text with any other line end is marked so that the comparison fails.
std::string with_lf_line_ends(std::string text)
{
    if (!windows_program()) return text;
    for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at)) {
        if (at == 0 || text[at - 1] != '\r') return "(not CR LF) " + text;
        text.erase(at - 1, 1);
    }
    return text;
}

std::string with_platform_line_ends(const std::string& text)
{
    std::string platform;
    for (const char c : text) platform += c == '\n' && windows_program() ? std::string("\r\n") : std::string(1, c);
    return platform;
}

std::string read_file(const std::string& path)
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
const char* program()
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
std::vector<Step> with_enter(std::vector<Step> steps, const char* enter)
{
    for (Step& step : steps) step.enter = enter;
    return steps;
}

enum class Channel { Pipe, Terminal };

// Changes made in the child just before the program starts, in its folder:
// a dropped privilege, an ignored signal, a resource limit, another stream.
using Preparation = void (*)();

// Fills in how a run ended from its wait status.
void record_ending(int status, Outcome& outcome)
{
    outcome.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

// Ends this process when the test's process ends, however it ends (a
// crash, a time-out), so that no program a test starts outlives it. Linux
// only; a change of user clears it.
void end_with_parent()
{
#if defined(__linux__)
    prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
}

// Starts the program in the folder; with `in_a_script`, as the one command
// of `sh -c 'fir_design; true'`, which shares its job as make does.
[[noreturn]] void start_program(const Folder& folder, Preparation prepare, bool in_a_script = false)
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
bool holds_temporary(const Folder& folder)
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
Outcome run_through_pipe_once(const Folder& folder, const std::vector<Step>& steps,
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
Outcome run_through_pipe(const Folder& folder, const std::vector<Step>& steps,
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
std::string visible(const std::string& screen)
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
size_t read_screen(int master, std::string& screen, size_t from, const std::string& text,
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

bool in_line_mode(const termios& mode)
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

[[noreturn]] void run_as_job(const Folder& folder, bool in_a_script)
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
void end_session(int master, pid_t child)
{
    const pid_t foreground = tcgetpgrp(master);
    if (foreground > 0) kill(-foreground, SIGKILL);
    kill(-child, SIGKILL);
    kill(child, SIGKILL);
}

// Whether `key` makes the terminal send a signal (Ctrl-C, Ctrl-\, Ctrl-Z),
// which also throws away every key typed but not yet read.
bool is_signal_key(int terminal, char key)
{
    termios mode{};
    tcgetattr(terminal, &mode);
    return (mode.c_lflag & ISIG) && key != static_cast<char>(_POSIX_VDISABLE)
           && (key == static_cast<char>(mode.c_cc[VINTR]) || key == static_cast<char>(mode.c_cc[VQUIT])
               || key == static_cast<char>(mode.c_cc[VSUSP]));
}

// Waits, up to five seconds, until the program has read every key typed.
void wait_until_read(int terminal)
{
    int unread = 1;
    for (int tries = 0; tries < 5000 && ioctl(terminal, FIONREAD, &unread) == 0 && unread > 0; ++tries) {
        usleep(1000);
    }
}

// Reads what the program writes for `seconds`.
void drain(int master, std::string& screen, double seconds)
{
    read_screen(master, screen, 0, "\x7f never written", seconds);
}

enum class Job { None, Alone, InAScript };

Outcome run_at_terminal(const Folder& folder, const std::vector<Step>& steps, Job job = Job::None,
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
        seen = read_screen(master, screen, seen, step.after, 10);
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
        for (size_t at = 0; at < step.keys.size();) {
            // An escape sequence goes in one write, as a terminal sends an arrow key.
            const size_t length = step.paste ? step.keys.size() : step.keys[at] != '\x1b' ? 1
                : std::min(step.keys.size() - at, std::strspn(step.keys.c_str() + at + 1, "[O0123456789;") + 2);
            std::string typed = step.keys.substr(at, length);
            if (!step.paste && typed == "\n") typed = step.enter;
            // A signal key would throw away the keys before it that the
            // program has not read yet, so it waits until they are read.
            if (!step.paste && is_signal_key(terminal, typed[0])) wait_until_read(terminal);
            EXPECT_EQ(write(master, typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));
            at += length;
            usleep(2000);
        }
        if (step.signal != 0) {
            const bool to_the_shell = job != Job::None && (step.signal == FG || step.signal == BG
                                                           || step.signal == SHELL_FIRST);
            kill(to_the_shell ? child : -tcgetpgrp(master), step.signal);
            usleep(200000);  // let the program act on it before the next key
        }
    }
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
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

Outcome run(Channel channel, const Folder& folder, const std::vector<Step>& steps)
{
    return channel == Channel::Pipe ? run_through_pipe(folder, steps)
                                    : run_at_terminal(folder, steps);
}

const std::vector<Step> LOW_PASS_101 = {{"frequency? ", "48000\n"}, {"filter type ", "L\n"},
                                        {"cutoff frequency? ", "12000\n"},
                                        {"attenuation? ", "60\n"}, {"2049) ", "101\n"}};

TEST(EndToEnd, PipeAndTerminalGiveTheSameDialogueAndFile)
{
    const Folder piped;
    const Outcome pipe_run = run(Channel::Pipe, piped, LOW_PASS_101);
    EXPECT_EQ(pipe_run.exit_status, 0);
    EXPECT_EQ(pipe_run.errors, "");
    EXPECT_EQ(pipe_run.output, std::string(BANNER) + MENU + "L\nWhat is the cutoff frequency? "
                                   + LAST_PROMPTS);
    const std::string file = piped.output_file();
    const std::string head = "int number_of_coefficients = 101;\nlong sample_rate = 48000;\n"
                             "int delay_buffer[103];\nint coefficients[101] = {\n";
    const std::string tail = "          0 };\n";
    EXPECT_EQ(file.compare(0, head.size(), head), 0);
    EXPECT_NE(file.find("\n          16383,\n"), std::string::npos);  // the centre, 0.5
    EXPECT_EQ(file.compare(file.size() - tail.size(), tail.size(), tail), 0);

    // Typed key by key with each kind of Enter, pasted at the menu, or
    // bunched with the Enter before them: the same screen and the same file.
    const Step rate = {"frequency? ", "48000\n"};
    const auto pasted = [&](const char* keys) { return std::vector<Step>{rate, {"filter type ", keys, 0, true}}; };
    const std::vector<Step> ways[] = {
        LOW_PASS_101, with_enter(LOW_PASS_101, "\r\n"), with_enter(LOW_PASS_101, "\n"),
        pasted("L\r12000\r60\r101\r"), pasted("L\n12000\n60\n101\n"), pasted("L\r\n12000\r\n60\r\n101\r\n"),
        {rate, {"filter type ", "L\r1", 0, true}, {"frequency? 1", "2000\n"}, {"attenuation? ", "60\n"},
         {"2049) ", "101\n"}},
        with_enter({rate, {"filter type ", "L\n"}, {"cutoff frequency? ", "12000\r\n6", 0, true},
                    {"attenuation? 6", "0\n"}, {"2049) ", "101\n"}}, "\r\n"),
    };
    for (const std::vector<Step>& steps : ways) {
        SCOPED_TRACE(steps[1].keys + " after " + steps[1].enter);
        const Folder typed;
        const Outcome terminal_run = run(Channel::Terminal, typed, steps);
        EXPECT_EQ(terminal_run.exit_status, 0);
        EXPECT_EQ(terminal_run.output,
                  std::string(BANNER) + "48000\n" + MENU + "L\nWhat is the cutoff frequency? 12000\n"
                      "What is the stop band attenuation? 60\n"
                      "How many coefficients do you want? (less than or equal to 2049) 101\n");
        EXPECT_EQ(typed.output_file(), file);
        EXPECT_TRUE(in_line_mode(terminal_run.final_mode));
    }
}

TEST(EndToEnd, TheMenuAtATerminalTakesOneKeyAndWaitsForEnter)
{
    const Folder folder;
    const Outcome outcome = run(Channel::Terminal, folder,
        {{"frequency? ", "8000 Hz\n"},                  // one number a line: asked again
         {"frequency? ", "8000\n"},
         {"filter type ", "x"}, {"X", "\n"},           // a wrong key: the menu again
         {"filter type ", "\x1b[A\n"},                 // an arrow: one wrong key, not echoed
         {"filter type ", "\n"}, {"\r", "\n"},         // Enter as the key: echoed, Enter again
         {"filter type ", "b"}, {"B", "qh\n"},         // keys before Enter are dropped
         {"lower cutoff frequency? ", "3000\n"},
         {"upper cutoff frequency? ", "3000\n"},       // an empty band: asked again
         {"upper cutoff frequency? ", "1000\n"},       // swapped edges are fine
         {"attenuation? ", "12.5\n"}, {"attenuation? ", "20\n"},
         {"2049) ", "2\n"}});
    EXPECT_EQ(outcome.exit_status, 0);
    EXPECT_EQ(outcome.output,
              std::string(BANNER) + "8000 Hz\n"
                  "fir_design: sample rate: enter a whole number of Hz from 2 to 2147483647\n"
                  "What is the sample frequency? 8000\n" + MENU + "X\n" + MENU + "\n" + MENU
                  + (windows_program() ? "\n" : "\r\n")  // the console shows the echoed CR as a move
                  + MENU + "B\n"
                  "What is the lower cutoff frequency? 3000\n"
                  "What is the upper cutoff frequency? 3000\n"
                  "fir_design: upper cutoff frequency: enter a whole number of Hz from 0 to 4000"
                  " other than the lower cutoff frequency, 3000\n"
                  "What is the upper cutoff frequency? 1000\n"
                  "What is the stop band attenuation? 12.5\n"
                  "fir_design: stop band attenuation: enter a whole number of dB from 0 to 6449\n"
                  "What is the stop band attenuation? 20\n"
                  "How many coefficients do you want? (less than or equal to 2049) 2\n");
    // Two taps of the band 3000..1000 Hz, unwindowed: 2 sin(-pi/8) cos(pi/4) / (pi/2) = -0.3445.
    EXPECT_EQ(folder.output_file(), "int number_of_coefficients = 2;\nlong sample_rate = 8000;\n"
                                    "int delay_buffer[4];\nint coefficients[2] = {\n"
                                    "          -11289,\n          -11289 };\n");
    EXPECT_TRUE(in_line_mode(outcome.final_mode));
}

// Each editing key as the line editor takes it, byte for byte on the screen:
// ^H where the erase key is DEL, keys of ESC O and ESC [ sequences, a blank
// line, a tab, Ctrl-D within an answer, keys past the fifteenth, Backspace
// and Ctrl-W on an empty answer.
TEST(EndToEnd, TheLineEditorShowsEveryEditAsItTakesIt)
{
    if (windows_program()) GTEST_SKIP() << "a POSIX terminal only";
    const Folder folder;
    const Outcome outcome = run_at_terminal(folder,
        {{"frequency? ", "\x7f\x17" "80009\b\n"}, {"filter type ", "b\n"},
         {"lower cutoff frequency? ", "30\x1bOP00\n"}, {"upper cutoff frequency? ", "1\x1b[C000\n"},
         {"attenuation? ", "\n"}, {"attenuation? ", "\t2\x04" "0\n"},
         {"2049) ", "2" + std::string(14, ' ') + "9\n"}});
    EXPECT_EQ(outcome.exit_status, 0);
    EXPECT_EQ(outcome.output, std::string(BANNER) + "80009\b \b\n" + MENU + "B\n"
                                  "What is the lower cutoff frequency? 3000\n"
                                  "What is the upper cutoff frequency? 1000\n"
                                  "What is the stop band attenuation? \nWhat is the stop band attenuation?  20\n"
                                  "How many coefficients do you want? (less than or equal to 2049) 2"
                                  + std::string(14, ' ') + "\n");
    EXPECT_EQ(folder.output_file().substr(0, 57),
              "int number_of_coefficients = 2;\nlong sample_rate = 8000;\n");
}

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
    const Step rate = {"frequency? ", "8000\n"};
    const struct { std::vector<Step> steps; int exit_status; int signal; Preparation prepare; const char* error; } endings[] = {
        {{rate, {"filter type ", "\x03"}}, -1, SIGINT, nullptr, ""},  // Ctrl-C
        {{rate, {"filter type ", "\x1c"}}, -1, SIGQUIT, nullptr, ""}, // Ctrl-backslash
        {{rate, {"filter type ", "\x04"}}, 1, 0, nullptr, "input ended"},  // Ctrl-D
        {{{"frequency? ", "80\x04"}, {"80", "\x7f" "0\x04\x15\x04"}}, 1, 0, nullptr, "input ended"},
        {{rate, {"filter type ", "", SIGTERM}}, -1, SIGTERM, nullptr, ""},
        {{rate, {"filter type ", "", SIGHUP}}, -1, SIGHUP, nullptr, ""},
        {{rate, {"filter type ", "", SIGPIPE}}, -1, SIGPIPE, nullptr, ""},
        {{rate, {"filter type ", "", SIGALRM}}, -1, SIGALRM, nullptr, ""},
        {{rate, {"filter type ", "", SIGUSR1}}, -1, SIGUSR1, nullptr, ""},
        {{rate, {"filter type ", "l", SIGXCPU}}, -1, SIGXCPU, nullptr, ""},
        {{rate, {"filter type ", "", SIGABRT}}, -1, SIGABRT, nullptr, ""},
        {{rate, {"filter type ", "", SIGSYS}}, -1, SIGSYS, nullptr, ""},
        {{rate, {"filter type ", "", SIGTRAP}}, -1, SIGTRAP, nullptr, ""},
#ifdef SIGPWR
        {{rate, {"filter type ", "", SIGPWR}}, -1, SIGPWR, nullptr, ""},
#endif
#ifdef SIGRTMIN
        {{rate, {"filter type ", "", SIGRTMIN}}, -1, SIGRTMIN, nullptr, ""},
        {{rate, {"filter type ", "", SIGRTMAX}}, -1, SIGRTMAX, nullptr, ""},
#endif
        // Ignored by whoever started it: stays ignored.
        {{rate, {"filter type ", "\x03\x04"}}, 1, 0, ignore_interrupt, "input ended"},
        // A NUL equals no special key when the end-of-input key is unset.
        {{rate, {"filter type ", std::string("\0\n", 2)}, {"filter type ", "", SIGTERM}}, -1, SIGTERM,
         no_end_of_input_key, ""},
        {{{"frequency? ", ""}}, 1, 0, non_blocking, "cannot read standard input: Resource temporarily unavailable"},
        {{{"frequency? ", ""}}, 1, 0, in_the_background, "cannot read standard input: Input/output error"},
    };
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
         "Choose a filter type [stopped]\nChoose a filter type L[stopped]\nChoose a filter type L\n"
         "What is the cutoff frequency? 10[stopped]\nWhat is the cutoff frequency? 1000\n"},
        {Job::Alone, {rate, {"type ", "l\x1a"}, {"[stopped]", "", BG}, {"", "", FG}, {"type L", "\n"}, cutoff}, chosen},
        {Job::InAScript, {rate, {"type ", "l\x1a"}, {"[stopped", "", FG}, {"type L", "\n"}, cutoff}, chosen},
        {Job::InAScript, {rate, {"type ", "l"}, {"L", "", SHELL_FIRST}, {"[stopped", "", FG}, {"type L", "\n"},
                          cutoff}, chosen},
        {Job::InAScript, {rate, {"type ", "l\x1a"}, {"[stopped", "", BG}, {"", "", FG}, {"type L", "\n"}, cutoff},
         chosen},
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
        EXPECT_EQ(outcome.final_mode.c_cc[VKILL], GIVEN_BACK_KILL_KEY);  // the mode fg gave back
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

TEST(EndToEnd, PipedAnswersOutsideTheirRangesEndTheRunAndKeepTheFile)
{
    const struct { const char* input; const char* message; } cases[] = {
        {"abc\n", "sample rate: enter a whole number of Hz from 2 to 2147483647"},
        {"1\n", "sample rate: enter a whole number of Hz from 2 to 2147483647"},
        {"99999999999\n", "sample rate: enter a whole number of Hz from 2 to 2147483647"},
        {"48000\nx\n12000\n", "filter type: enter L, H or B"},
        {"48000\nL\n0\n", "cutoff frequency: enter a whole number of Hz from 1 to 24000"},
        {"48000\nl\n24001\n", "cutoff frequency: enter a whole number of Hz from 1 to 24000"},
        {"48001\nH\n24000\n", "cutoff frequency: enter a whole number of Hz from 0 to 23999"},
        {"48000\nB\n-1\n", "lower cutoff frequency: enter a whole number of Hz from 0 to 24000"},
        {"48000\nb\n500\n500\n", "upper cutoff frequency: enter a whole number of Hz from 0 to "
                                 "24000 other than the lower cutoff frequency, 500"},
        {"48000\nL\n12000\n6450\n", "stop band attenuation: enter a whole number of dB from 0 to 6449"},
        {"48000\nL\n12000\n60dB\n101\n", "stop band attenuation: enter a whole number of dB from 0 to 6449"},
        {"48000\nL\n12000\n60 dB\n101\n", "stop band attenuation: enter a whole number of dB from 0 to 6449"},
        {"48000 Hz\nL\n12000\n60\n101\n", "sample rate: enter a whole number of Hz from 2 to 2147483647"},
        {"48000\nL x\n12000\n60\n101\n", "filter type: enter L, H or B"},
        {"48000\nL\n12000\n60\n1\n", "number of coefficients: enter a whole number from 2 to 2049"},
        {"48000\nL\n12000\n60\n2050\n", "number of coefficients: enter a whole number from 2 to 2049"},
        {"48000\n\x1a\n", "filter type: enter L, H or B"},  // a Ctrl-Z byte is no end of input
        {"", "input ended before the last answer; no file written"},
        {"48000\n\n  \n", "input ended before the last answer; no file written"},
        {"48000\nL\n12000\n60\n", "input ended before the last answer; no file written"},
    };
    for (const auto& c : cases) {
        const Folder folder;
        folder.write_output_file("earlier\n");
        const Outcome outcome = run(Channel::Pipe, folder, {{"", c.input}});
        EXPECT_EQ(outcome.exit_status, 1) << c.input;
        EXPECT_EQ(outcome.errors, std::string("fir_design: ") + c.message + "\n") << c.input;
        EXPECT_EQ(folder.output_file(), "earlier\n") << c.input;
    }
}

TEST(EndToEnd, TheOutputIsReplacedWholeOrNotAtAll)
{
    const Folder folder;
    // The extremes of every range are accepted.
    ASSERT_EQ(run(Channel::Pipe, folder, {{"", "2\nL\n1\n6449\n2049\n"}}).exit_status, 0);
    ASSERT_EQ(chmod((folder.path + "/filter_coefficients.c").c_str(), 0640), 0);
    // A byte-order mark and CR LF line ends, as a Windows editor saves answers.
    EXPECT_EQ(run(Channel::Pipe, folder, {{"", "\xEF\xBB\xBF" "8000\r\nh\r\n1000\r\n0\r\n3"}}).exit_status, 0);
    EXPECT_EQ(folder.output_file(), "int number_of_coefficients = 3;\nlong sample_rate = 8000;\n"
                                    "int delay_buffer[5];\nint coefficients[3] = {\n"
                                    "          -7375,\n          24575,\n          -7375 };\n");
    struct stat replaced {};
    stat((folder.path + "/filter_coefficients.c").c_str(), &replaced);
    if (!windows_program()) {
        EXPECT_EQ(replaced.st_mode & 07777, 0640u);
    }

    // A folder in the file's place cannot be replaced: reported, nothing left behind.
    const Folder blocked;
    mkdir((blocked.path + "/filter_coefficients.c").c_str(), 0755);
    const Outcome outcome = run(Channel::Pipe, blocked, LOW_PASS_101);
    EXPECT_EQ(outcome.exit_status, 1);
    EXPECT_EQ(outcome.errors, "fir_design: cannot write filter_coefficients.c: Is a directory\n");
    EXPECT_EQ(std::system(("test $(ls -A '" + blocked.path + "' | wc -l) = 1").c_str()), 0);
}

// The user the permission cases run as when the tests run as root: nobody.
// Run as another user, the tests run them as themselves.
constexpr uid_t UNPRIVILEGED = 65534;
// A group `nobody` is given as well, for the case of a file of that group.
constexpr gid_t SECOND_GROUP = 100;

void run_unprivileged()
{
    const gid_t groups[] = {SECOND_GROUP};
    if (geteuid() == 0
        && (setgroups(1, groups) != 0 || setgid(UNPRIVILEGED) != 0 || setuid(UNPRIVILEGED) != 0)) {
        _exit(126);
    }
}

// Everything in a folder, down to the last byte and nanosecond: what a run
// that writes nothing must leave as it found it.
std::string snapshot(const Folder& folder)
{
    const Folder scratch;
    folder.shell("ls -lAR --full-time . > '" + scratch.path + "/list'; find . -type f | sort | "
                 "xargs cat >> '" + scratch.path + "/list'");
    return read_file(scratch.path + "/list");
}

const std::vector<Step> LONGEST_LOW_PASS = {{"", "48000\nL\n12000\n60\n2049\n"}};

// What the setups below may use: $expected, the file a 2049-tap design must
// leave; `give`, which gives files to the user the program runs as (nobody,
// when the tests run as root); `long_old`, an earlier file longer than the
// new text; and `remember NAME COMMAND`, which keeps COMMAND's output of the
// file in NAME, outside the folder's listing, for a check to compare.
const char* const SETUP_HELPERS =
    "give() { if [ $(id -u) = 0 ]; then chown -R 65534 \"$@\"; fi; }; "
    "long_old() { head -c 60000 /dev/zero | tr '\\0' x > filter_coefficients.c; }; "
    "remember() { n=$1; shift; \"$@\" filter_coefficients.c > ../$n.$$ && mv ../$n.$$ $n; }; ";

// Each case prepares the folder, which holds an earlier file, and runs a
// 2049-tap design. A refusal (`message`) must leave the folder exactly as it
// was; a written file must pass the shell `check`. A setup that exits with
// 77 finds the file system lacking what it needs. `another_user` cases give
// files to another user, and so need root.
TEST(FileSafety, TheOutputBehavesAsOpeningItForWritingWould)
{
    if (windows_program()) GTEST_SKIP() << "POSIX files only";
    const Folder reference;
    ASSERT_EQ(run_through_pipe(reference, LONGEST_LOW_PASS).exit_status, 0);
    const std::string expected = "expected='" + reference.path + "/filter_coefficients.c'; ";
    const std::string written = "cmp filter_coefficients.c \"$expected\" && ";
    const Preparation small_size_limit = [] { const rlimit small{4096, 4096}; setrlimit(RLIMIT_FSIZE, &small); };
    const struct { const char* setup; Preparation prepare; const char* message; std::string check;
                   bool another_user = false; int signal = 0; } cases[] = {
        {"", small_size_limit, "cannot write filter_coefficients.c: File too large", ""},
        // The limit is checked before a byte of an old, longer file is overwritten.
        {"long_old && ln filter_coefficients.c other.c", small_size_limit,
         "cannot write filter_coefficients.c: File too large", ""},
        {"give . && chmod 0444 filter_coefficients.c", run_unprivileged,
         "cannot write filter_coefficients.c: Permission denied", ""},
        {"chown 65534 . && chmod 0644 filter_coefficients.c", run_unprivileged,   // root's file
         "cannot write filter_coefficients.c: Permission denied", "", true},
        {"mkdir into && mv filter_coefficients.c into/ && ln -s into filter_coefficients.c", nullptr,
         "cannot write filter_coefficients.c: Is a directory", ""},
        {"mv filter_coefficients.c a.c && ln -s b.c c.c && ln -s c.c b.c && ln -s b.c filter_coefficients.c",
         nullptr, "cannot write filter_coefficients.c: Too many levels of symbolic links", ""},
        {"rm filter_coefficients.c && mkfifo filter_coefficients.c", nullptr,
         "cannot write filter_coefficients.c: not a regular file", ""},
        {"", [] { dup2(open("/dev/full", O_WRONLY), 1); },
         "cannot write to standard output: No space left on device", ""},
        {"", [] { dup2(open(".", O_RDONLY), 0); }, "cannot read standard input: Is a directory", ""},
        // A folder its user may not write, holding a file it may: rewritten in place.
        {"give filter_coefficients.c && remember inode ls -i && chmod 0555 .", run_unprivileged, nullptr,
         written + "ls -i filter_coefficients.c | cmp - inode"},
        // Another user's writable file in a sticky folder cannot be replaced: rewritten in place.
        {"chmod 1777 . && chmod 0666 filter_coefficients.c && remember inode ls -i", run_unprivileged, nullptr,
         written + "ls -i filter_coefficients.c | cmp - inode && [ $(stat -c %u filter_coefficients.c) = 0 ]", true},
        // A link into another folder, through a relative link there, and through
        // an absolute one: the links stay, the target gets the text beside it
        // and keeps its mode.
        {"mkdir -p a/b && mv filter_coefficients.c a/b/t.c && chmod 0640 a/b/t.c && "
         "ln -s b/t.c a/link && ln -s a/link filter_coefficients.c", nullptr, nullptr,
         "cmp a/b/t.c \"$expected\" && [ -L a/link ] && [ -L filter_coefficients.c ] && "
         "[ $(stat -c %a a/b/t.c) = 640 ] && [ $(ls -A a/b) = t.c ]"},
        {"mkdir -p a/b && mv filter_coefficients.c a/b/t.c && ln -s \"$PWD/a/b/t.c\" a/link && "
         "ln -s a/link filter_coefficients.c", nullptr, nullptr, "cmp a/b/t.c \"$expected\" && [ -L a/link ]"},
        // A dangling link: its target is created. A target of the longest name a file may have.
        {"mkdir a && rm filter_coefficients.c && ln -s a/new.c filter_coefficients.c", nullptr, nullptr,
         "cmp a/new.c \"$expected\" && [ -L filter_coefficients.c ]"},
        {"mv filter_coefficients.c $(printf %0255d 0) && ln -s $(printf %0255d 0) filter_coefficients.c",
         nullptr, nullptr, "cmp $(printf %0255d 0) \"$expected\" && [ $(ls -A | wc -l) = 2 ]"},
        // Other names of the same file see the new text, whether the old one was shorter or longer.
        {"ln filter_coefficients.c other.c", nullptr, nullptr, written + "cmp other.c \"$expected\""},
        {"long_old && ln filter_coefficients.c other.c", nullptr, nullptr, written + "cmp other.c \"$expected\""},
        // Root keeps the owner and group, and never the special bits.
        {"chown 65534:65534 filter_coefficients.c && chmod 6755 filter_coefficients.c", nullptr, nullptr,
         written + "[ $(stat -c %u:%g:%a filter_coefficients.c) = 65534:65534:755 ]", true},
        // Another user's file that the runner may write, through its group in a
        // shared folder or through an access control list, stays theirs.
        {"give . && chmod 2775 . && chown 0:100 filter_coefficients.c && chmod 0664 filter_coefficients.c && "
         "remember inode ls -i", run_unprivileged, nullptr,
         written + "ls -i filter_coefficients.c | cmp - inode && [ $(stat -c %u:%g:%a filter_coefficients.c) = 0:100:664 ]",
         true},
        {"give . && chown 0:0 filter_coefficients.c && (setfacl -m u:65534:rw filter_coefficients.c || exit 77) && "
         "remember inode ls -i", run_unprivileged, nullptr,
         written + "ls -i filter_coefficients.c | cmp - inode && [ $(stat -c %u:%g filter_coefficients.c) = 0:0 ]", true},
        // A new file is created as a plain create would: with the umask, or with
        // the folder's default access control list.
        {"rm filter_coefficients.c", [] { umask(027); }, nullptr,
         written + "[ $(stat -c %a filter_coefficients.c) = 640 ]"},
        {"rm filter_coefficients.c && (setfacl -d -m u::rw,g::rw,o::-,u:65534:rw . || exit 77)", nullptr, nullptr,
         written + "touch by_touch && [ \"$(getfacl -c filter_coefficients.c)\" = \"$(getfacl -c by_touch)\" ]"},
        // A file mounted over the output's name is rewritten in place.
        {"mkdir source && mv filter_coefficients.c source/ && touch filter_coefficients.c && "
         "(mount --bind source/filter_coefficients.c filter_coefficients.c 2>/dev/null || exit 77)", nullptr, nullptr,
         "umount filter_coefficients.c && cmp source/filter_coefficients.c \"$expected\"", true},
        // A folder's default access control list is no part of a replaced file.
        {"(setfacl -d -m u:65534:rw . || exit 77) && remember acl getfacl", nullptr, nullptr,
         written + "getfacl filter_coefficients.c | cmp - acl"},
        // An access control list and a user attribute survive a replacement.
        {"setfacl -m u:65534:rw,g::r filter_coefficients.c && setfattr -n user.origin -v kept "
         "filter_coefficients.c || exit 77; remember inode ls -i && remember acl getfacl && "
         "remember attributes getfattr -d", nullptr, nullptr,
         written + "! ls -i filter_coefficients.c | cmp -s - inode && getfacl filter_coefficients.c | cmp - acl && "
         "getfattr -d filter_coefficients.c | cmp - attributes"},
        // A signal that would end the run waits until the file is in place.
        {"", nullptr, nullptr, written + "[ $(ls -A | wc -l) = 1 ]", false, SIGALRM},
#ifdef SIGRTMIN
        {"", nullptr, nullptr, written + "[ $(ls -A | wc -l) = 1 ]", false, SIGRTMIN + 1},
#endif
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setup);
        if (c.another_user && geteuid() != 0) continue;
        const Folder folder;
        folder.write_output_file("earlier\n");
        const int setup = folder.exit_status(SETUP_HELPERS + expected + c.setup);
        if (setup == 77) continue;
        ASSERT_EQ(setup, 0);
        const std::string before = snapshot(folder);
        // A run may end before the signal can be sent into it: then again.
        Outcome outcome = run_through_pipe(folder, LONGEST_LOW_PASS, c.prepare, c.signal);
        for (int tries = 0; outcome.signal_came_late && tries < 20; ++tries) {
            outcome = run_through_pipe(folder, LONGEST_LOW_PASS, c.prepare, c.signal);
        }
        if (c.message != nullptr) {
            EXPECT_EQ(outcome.exit_status, 1) << c.message;
            EXPECT_EQ(outcome.errors, std::string("fir_design: ") + c.message + "\n");
            EXPECT_EQ(snapshot(folder), before) << c.message;
        } else {
            EXPECT_EQ(outcome.exit_status, c.signal != 0 ? -1 : 0) << outcome.errors;
            EXPECT_EQ(outcome.signal, c.signal);
            EXPECT_TRUE(folder.shell(expected + c.check)) << c.check;
        }
    }
}

// The Windows build on the console, as wine gives it on a terminal, where
// the menu test above also runs. Ctrl-Z is a key there, not job control, so
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
