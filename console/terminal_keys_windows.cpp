// Single keys from the Windows console, through the runtime library's own
// key read, _getch: no echo, no wait for a line, Enter as carriage return.
// The console needs no mode switched for it. Backspace erases, Esc erases
// the line, as in the console's own line editing, and Ctrl-Z ends the input.
#include "console/terminal_keys.h"

#include <conio.h>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace {

// Ctrl-Z, the console's end-of-input key.
constexpr int END_OF_INPUT_KEY = 26;
constexpr int BACKSPACE = 8;
constexpr int ESCAPE = 27;
// Ctrl-C, which _getch may deliver as a key rather than as the console's
// interrupt.
constexpr int INTERRUPT_KEY = 3;

// The first code of a key that sends two (arrows, function keys and the
// keys around the arrows); _getch gives the key's own code next.
constexpr int EXTENDED_KEY = 0;
constexpr int EXTENDED_KEY_E0 = 0xE0;

}  // namespace

int keyboard_on_standard_input()
{
    // A console, not merely a character device: NUL is one too.
    DWORD mode = 0;
    if (GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0) {
        return _fileno(stdin);
    }
    // Answers from a pipe or a file are read byte for byte, as on POSIX
    // systems: in text mode a Ctrl-Z byte would end them. CR LF line ends
    // are accepted either way.
    _setmode(_fileno(stdin), _O_BINARY);
    return -1;
}

bool standard_input_is_a_keyboard()
{
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

bool begin_key_reading(int /*terminal_fd*/)
{
    return true;
}

AnswerStatus read_terminal_key(TerminalKey* key)
{
    const int code = _getch();
    if (code == EOF) {
        return AnswerStatus::EndOfInput;
    }
    if (code == INTERRUPT_KEY) {
        ExitProcess(STATUS_CONTROL_C_EXIT);  // as the console's own Ctrl-C ends a program
    }
    *key = {KeyRole::Character, static_cast<char>(code)};
    if (code == EXTENDED_KEY || code == EXTENDED_KEY_E0) {
        _getch();  // the second code belongs to the same key
        key->role = KeyRole::Sequence;
    } else if (code == END_OF_INPUT_KEY) {
        key->role = KeyRole::EndOfInput;
    } else if (code == BACKSPACE) {
        key->role = KeyRole::Erase;
    } else if (code == ESCAPE) {
        key->role = KeyRole::EraseLine;
    }
    return AnswerStatus::Accepted;
}

void end_key_reading()
{
}

int terminal_columns()
{
    CONSOLE_SCREEN_BUFFER_INFO screen{};
    if (GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &screen) == 0) {
        return 0;
    }
    return screen.srWindow.Right - screen.srWindow.Left + 1;
}

bool terminal_moves_cursor()
{
    return false;  // Backspace at the start of a row does not climb back, and nothing else is used
}

EchoScreen terminal_echo_screen(std::FILE* output)
{
    if (_isatty(_fileno(output)) != 0) {
        return {output, true, true};
    }
    std::FILE* console = std::fopen("CONOUT$", "w");
    return console != nullptr ? EchoScreen{console, false, true} : EchoScreen{output, true, true};
}
