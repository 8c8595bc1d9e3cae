#include "frontend/terminal_keys.h"

#include "frontend/ending_signals.h"

#include <cerrno>
#include <csignal>

#include <termios.h>
#include <unistd.h>

namespace {

// Shared with the signal handlers, which is why they live at file scope.
termios saved_mode;
volatile sig_atomic_t key_fd = -1;  // the terminal while it is in key mode, else -1

struct sigaction previous_ending_actions[ENDING_SIGNAL_COUNT];
struct sigaction previous_suspend_action;

termios key_mode_of(const termios& mode)
{
    termios key_mode = mode;
    key_mode.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);  // ISIG stays on
    key_mode.c_iflag &= ~static_cast<tcflag_t>(ICRNL);          // Enter arrives as 13
    key_mode.c_cc[VMIN] = 1;
    key_mode.c_cc[VTIME] = 0;
    return key_mode;
}

// Every call below is async-signal-safe.
void restore_terminal()
{
    if (key_fd >= 0) {
        tcsetattr(key_fd, TCSANOW, &saved_mode);
    }
}

void raise_with_default_action(int signal_number)
{
    signal(signal_number, SIG_DFL);
    sigset_t just_this;
    sigemptyset(&just_this);
    sigaddset(&just_this, signal_number);
    sigprocmask(SIG_UNBLOCK, &just_this, nullptr);
    raise(signal_number);
}

void end_run_by_signal(int signal_number)
{
    restore_terminal();
    // Die by the same signal, so that the parent sees how the run ended.
    raise_with_default_action(signal_number);
}

// Installs `handler` for the signal unless the signal is ignored: whoever
// started the program chose that (a script's `trap "" INT`, nohup), and it
// holds for the whole run. *previous receives the action found.
void install_handler(int signal_number, void (*handler)(int), struct sigaction* previous)
{
    struct sigaction action {};
    sigaction(signal_number, nullptr, &action);
    if (previous != nullptr) {
        *previous = action;
    }
    if (action.sa_handler == SIG_IGN) {
        return;
    }
    action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: the key read sees EINTR and reads again
    sigaction(signal_number, &action, nullptr);
}

void suspend_with_terminal_restored(int /*signal_number*/)
{
    const int saved_errno = errno;
    restore_terminal();
    raise_with_default_action(SIGTSTP);
    // Continued. The shell may have changed the mode while the run was
    // stopped, so take it afresh before leaving canonical mode again.
    install_handler(SIGTSTP, suspend_with_terminal_restored, nullptr);
    if (key_fd >= 0 && tcgetattr(key_fd, &saved_mode) == 0) {
        const termios key_mode = key_mode_of(saved_mode);
        tcsetattr(key_fd, TCSANOW, &key_mode);
    }
    errno = saved_errno;
}

}  // namespace

int keyboard_on_standard_input()
{
    return isatty(STDIN_FILENO) != 0 ? STDIN_FILENO : -1;
}

bool begin_key_reading(int terminal_fd)
{
    termios mode;
    if (tcgetattr(terminal_fd, &mode) != 0) {
        return false;
    }
    saved_mode = mode;
    for (std::size_t i = 0; i < ENDING_SIGNAL_COUNT; ++i) {
        install_handler(ENDING_SIGNALS[i], end_run_by_signal, &previous_ending_actions[i]);
    }
    install_handler(SIGTSTP, suspend_with_terminal_restored, &previous_suspend_action);
    key_fd = terminal_fd;
    const termios key_mode = key_mode_of(mode);
    // TCSANOW, not TCSAFLUSH: keys typed ahead must not be thrown away.
    if (tcsetattr(terminal_fd, TCSANOW, &key_mode) != 0) {
        end_key_reading();
        return false;
    }
    return true;
}

AnswerStatus read_terminal_key(char* key)
{
    for (;;) {
        unsigned char byte = 0;
        const ssize_t count = read(key_fd, &byte, 1);
        if (count == 1) {
            // Without canonical mode Ctrl-D is an ordinary byte; keep its meaning.
            if (byte == saved_mode.c_cc[VEOF]) {
                return AnswerStatus::EndOfInput;
            }
            *key = static_cast<char>(byte);
            return AnswerStatus::Accepted;
        }
        if (count < 0 && errno == EINTR) {
            continue;
        }
        return AnswerStatus::EndOfInput;
    }
}

void end_key_reading()
{
    restore_terminal();
    key_fd = -1;
    for (std::size_t i = 0; i < ENDING_SIGNAL_COUNT; ++i) {
        sigaction(ENDING_SIGNALS[i], &previous_ending_actions[i], nullptr);
    }
    sigaction(SIGTSTP, &previous_suspend_action, nullptr);
}
