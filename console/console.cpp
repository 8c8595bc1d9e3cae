#include "console/console.h"

#include <cctype>
#include <cerrno>
#include <cstring>

#include "console/terminal_keys.h"

Console standard_console()
{
    return Console{stdin, stdout, stderr, keyboard_on_standard_input(), standard_input_is_a_keyboard()};
}

void report_stream_failure(const Console& console, const char* action)
{
    std::fprintf(console.errors, "fir_design: cannot %s: %s\n", action,
                 std::strerror(errno != 0 ? errno : EIO));
}

bool flush_output(const Console& console)
{
    if (std::fflush(console.output) == 0 && std::ferror(console.output) == 0) {
        return true;
    }
    report_stream_failure(console, "write to standard output");
    return false;
}

bool echo_menu_key(const Console& console, char key)
{
    const int code = static_cast<unsigned char>(key);
    if (std::isprint(code) != 0 || code == '\r') {
        std::fprintf(console.output, "%c", std::toupper(code));
    }
    return flush_output(console);
}

namespace {

// The UTF-8 encoding of U+FEFF, the byte-order mark.
constexpr int BYTE_ORDER_MARK[] = {0xEF, 0xBB, 0xBF};

// The first character of the next line that is not blank, skipping blank
// lines and byte-order marks; EOF when none is left. A first byte of the
// mark that the rest of the mark does not follow is returned as it is, for
// the caller to refuse, and what followed it stays unread.
int first_character_of_answer(std::FILE* input)
{
    int c = std::getc(input);
    for (;;) {
        while (c != EOF && std::isspace(c) != 0) {
            c = std::getc(input);
        }
        if (c != BYTE_ORDER_MARK[0]) {
            return c;
        }
        for (int i = 1; i < 3; ++i) {
            c = std::getc(input);
            if (c != BYTE_ORDER_MARK[i]) {
                std::ungetc(c, input);
                return BYTE_ORDER_MARK[0];
            }
        }
        c = std::getc(input);
    }
}

// Consumes the rest of the line from c on and says whether it held nothing
// but blanks.
bool rest_of_line_is_blank(std::FILE* input, int c)
{
    bool blank = true;
    while (c != EOF && c != '\n') {
        blank = blank && is_trailing_blank(static_cast<char>(c));
        c = std::getc(input);
    }
    return blank;
}

AnswerStatus end_of_input_or_failure(std::FILE* input)
{
    return std::ferror(input) != 0 ? AnswerStatus::StreamFailed : AnswerStatus::EndOfInput;
}

}  // namespace

AnswerStatus read_integer(std::FILE* input, std::int32_t* value)
{
    int c = first_character_of_answer(input);
    if (c == EOF) {
        return end_of_input_or_failure(input);
    }
    AnswerLine line;
    for (; c != EOF && c != '\n'; c = std::getc(input)) {
        add_to_answer(line, static_cast<char>(c));
    }
    if (std::ferror(input) != 0) {
        return AnswerStatus::StreamFailed;
    }
    return finish_answer(line, value);
}

AnswerStatus read_line_key(std::FILE* input, char* key)
{
    const int c = first_character_of_answer(input);
    if (c == EOF) {
        return end_of_input_or_failure(input);
    }
    *key = static_cast<char>(c);
    const bool one_key = rest_of_line_is_blank(input, std::getc(input));
    if (std::ferror(input) != 0) {
        return AnswerStatus::StreamFailed;
    }
    return one_key ? AnswerStatus::Accepted : AnswerStatus::Refused;
}
