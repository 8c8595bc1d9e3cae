// Single keys from the Windows console, through the runtime library's own
// key read, _getch: no echo, no wait for a line, Enter as carriage return.
// The console needs no mode switched for it, and Ctrl-C ends the run
// through the console's own handling.
#include "frontend/terminal_keys.h"

#include <conio.h>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace {

// Ctrl-Z, the console's end-of-input key.
constexpr int END_OF_INPUT_KEY = 26;

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

bool begin_key_reading(int /*terminal_fd*/)
{
    return true;
}

AnswerStatus read_terminal_key(char* key)
{
    const int code = _getch();
    if (code == END_OF_INPUT_KEY || code == EOF) {
        return AnswerStatus::EndOfInput;
    }
    if (code == EXTENDED_KEY || code == EXTENDED_KEY_E0) {
        _getch();  // the second code belongs to the same key
    }
    *key = static_cast<char>(code);
    return AnswerStatus::Accepted;
}

void end_key_reading()
{
}
