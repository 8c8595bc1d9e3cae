#include "frontend/terminal_keys.h"

#include "frontend/ending_signals.h"

#include <cerrno>
#include <csignal>

#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Shared with the signal handlers, which is why they live at file scope.
termios saved_mode;
volatile sig_atomic_t key_fd = -1;  // the terminal while it is in key mode, else -1
volatile sig_atomic_t resumed = 0;  // set when the run goes on after Ctrl-Z

constexpr unsigned char ESCAPE = 27;
constexpr unsigned char DELETE = 127;
constexpr unsigned char BACKSPACE = 8;
// How long the rest of an escape sequence may take after its ESC, in
// milliseconds: a terminal sends the sequence in one write, a person
// pressing Esc alone sends nothing after it.
constexpr int ESCAPE_SEQUENCE_WAIT = 50;

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

// Blocks the ending signals and Ctrl-Z while a handler runs, so that one
// handler never interrupts another.
void block_handled_signals(sigset_t* mask)
{
    sigemptyset(mask);
    for (const int signal_number : ENDING_SIGNALS) {
        sigaddset(mask, signal_number);
    }
    sigaddset(mask, SIGTSTP);
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
    block_handled_signals(&action.sa_mask);
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
    resumed = 1;
    errno = saved_errno;
}

// How a read that gave no byte ends the answers: a read of 0 bytes, or EIO
// on a terminal whose other side is gone, is a hang-up and so the end of
// the input; any other error is a failure.
AnswerStatus end_or_failure(ssize_t count)
{
    pollfd terminal{key_fd, POLLIN, 0};
    if (count == 0 || (errno == EIO && poll(&terminal, 1, 0) == 1 && (terminal.revents & POLLHUP) != 0)) {
        return AnswerStatus::EndOfInput;
    }
    return AnswerStatus::StreamFailed;
}

// Whether the terminal's special character `name` is set to `byte`; an
// unset one (_POSIX_VDISABLE) matches no key.
bool is_special(unsigned char byte, int name)
{
    return saved_mode.c_cc[name] != _POSIX_VDISABLE && byte == saved_mode.c_cc[name];
}

// The key's role by the terminal's settings. DEL and Backspace both erase,
// whichever of them the settings name: terminals differ in which they send.
KeyRole role_of(unsigned char byte)
{
    if (is_special(byte, VEOF)) {
        return KeyRole::EndOfInput;
    }
    if (is_special(byte, VERASE) || byte == DELETE || byte == BACKSPACE) {
        return KeyRole::Erase;
    }
    if (is_special(byte, VWERASE)) {
        return KeyRole::EraseWord;
    }
    if (is_special(byte, VKILL)) {
        return KeyRole::EraseLine;
    }
    return KeyRole::Character;
}

bool rest_of_sequence_follows()
{
    pollfd terminal{key_fd, POLLIN, 0};
    return poll(&terminal, 1, ESCAPE_SEQUENCE_WAIT) == 1 && (terminal.revents & POLLIN) != 0;
}

// Reads the rest of an escape sequence after its ESC: ESC [ or ESC O, any
// parameter bytes, and the final byte from @ to ~; or ESC and one key.
void skip_escape_sequence()
{
    unsigned char byte = 0;
    if (read(key_fd, &byte, 1) != 1 || (byte != '[' && byte != 'O')) {
        return;
    }
    while (rest_of_sequence_follows() && read(key_fd, &byte, 1) == 1 && (byte < '@' || byte > '~')) {
    }
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
    resumed = 0;
    const termios key_mode = key_mode_of(mode);
    // TCSANOW, not TCSAFLUSH: keys typed ahead must not be thrown away.
    if (tcsetattr(terminal_fd, TCSANOW, &key_mode) != 0) {
        end_key_reading();
        return false;
    }
    return true;
}

AnswerStatus read_terminal_key(TerminalKey* key)
{
    for (;;) {
        if (resumed != 0) {
            resumed = 0;
            *key = {KeyRole::Resumed, 0};
            return AnswerStatus::Accepted;
        }
        unsigned char byte = 0;
        const ssize_t count = read(key_fd, &byte, 1);
        if (count < 0 && errno == EINTR) {
            continue;  // a signal came first: perhaps the run was suspended
        }
        if (count != 1) {
            return end_or_failure(count);
        }
        *key = {role_of(byte), static_cast<char>(byte)};
        if (byte == ESCAPE && rest_of_sequence_follows()) {
            skip_escape_sequence();
            key->role = KeyRole::Sequence;
        }
        return AnswerStatus::Accepted;
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
