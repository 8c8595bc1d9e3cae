#include "frontend/keyboard_answers.h"

#include <cstring>

#include "frontend/terminal_keys.h"

namespace {

constexpr char CARRIAGE_RETURN = 13;
constexpr char LINE_FEED = 10;

// Whether the last key read was a CR, whose LF, if one follows, is part of
// the same Enter.
bool after_carriage_return = false;

// The next key, with the LF of a CR LF Enter left out. A read failure is
// reported here.
AnswerStatus next_key(const Console& console, TerminalKey* key)
{
    for (;;) {
        const AnswerStatus status = read_terminal_key(key);
        if (status == AnswerStatus::StreamFailed) {
            report_stream_failure(console, "read standard input");
        }
        if (status != AnswerStatus::Accepted || key->role == KeyRole::Resumed) {
            return status;
        }
        const bool character = key->role == KeyRole::Character;
        const bool second_half_of_enter = after_carriage_return && character && key->code == LINE_FEED;
        after_carriage_return = character && key->code == CARRIAGE_RETURN;
        if (!second_half_of_enter) {
            return status;
        }
    }
}

bool is_enter(const TerminalKey& key)
{
    return key.role == KeyRole::Character && (key.code == CARRIAGE_RETURN || key.code == LINE_FEED);
}

bool show(const Console& console, const char* text, std::size_t length)
{
    std::fwrite(text, 1, length, console.output);
    return flush_output(console);
}

bool show(const Console& console, const char* text)
{
    return show(console, text, std::strlen(text));
}

// The answer line as typed so far.
struct TypedLine {
    char text[MAX_TYPED_ANSWER];
    int length;
};

// Takes back the last `count` characters of the line, on the screen too.
bool erase(const Console& console, int count, TypedLine& line)
{
    bool shown = true;
    for (; count > 0 && shown; --count) {
        --line.length;
        shown = show(console, "\b \b");
    }
    return shown;
}

// How many characters Ctrl-W takes back: the blanks at the end of the
// line, then the word before them.
int last_word(const TypedLine& line)
{
    int count = 0;
    while (count < line.length && line.text[line.length - 1 - count] == ' ') {
        ++count;
    }
    while (count < line.length && line.text[line.length - 1 - count] != ' ') {
        ++count;
    }
    return count;
}

// Applies a key other than Enter to the line, on the screen too. EndOfInput
// for the end-of-input key on an empty line.
AnswerStatus edit_line(const Console& console, const char* prompt, const TerminalKey& key, TypedLine& line)
{
    bool shown = true;
    switch (key.role) {
    case KeyRole::Character: {
        const char c = key.code == '\t' ? ' ' : key.code;
        if (c >= ' ' && c <= '~' && line.length < MAX_TYPED_ANSWER) {
            line.text[line.length++] = c;
            shown = show(console, &c, 1);
        }
        break;
    }
    case KeyRole::Erase:
        shown = erase(console, line.length > 0 ? 1 : 0, line);
        break;
    case KeyRole::EraseWord:
        shown = erase(console, last_word(line), line);
        break;
    case KeyRole::EraseLine:
        shown = erase(console, line.length, line);
        break;
    case KeyRole::EndOfInput:
        // As at a terminal's own prompt, only on an empty line.
        return line.length == 0 ? AnswerStatus::EndOfInput : AnswerStatus::Accepted;
    case KeyRole::Sequence:
        break;
    case KeyRole::Resumed:
        shown = show(console, prompt) && show(console, line.text, static_cast<std::size_t>(line.length));
        break;
    }
    return shown ? AnswerStatus::Accepted : AnswerStatus::StreamFailed;
}

}  // namespace

bool begin_keyboard_answers(const Console& console)
{
    after_carriage_return = false;
    return begin_key_reading(console.terminal_fd);
}

void end_keyboard_answers()
{
    end_key_reading();
}

AnswerStatus read_keyboard_integer(const Console& console, const char* prompt, std::int32_t* value)
{
    TypedLine line{};
    for (;;) {
        TerminalKey key{};
        AnswerStatus status = next_key(console, &key);
        if (status == AnswerStatus::Accepted && !is_enter(key)) {
            status = edit_line(console, prompt, key, line);
            if (status == AnswerStatus::Accepted) {
                continue;
            }
        }
        if (status != AnswerStatus::Accepted) {
            return status;
        }
        if (!show(console, "\n")) {
            return AnswerStatus::StreamFailed;
        }
        status = parse_answer(line.text, static_cast<std::size_t>(line.length), value);
        if (status != AnswerStatus::EndOfInput) {
            return status;
        }
        line.length = 0;
        if (!show(console, prompt)) {
            return AnswerStatus::StreamFailed;
        }
    }
}

AnswerStatus read_keyboard_menu_key(const Console& console, const char* prompt, char* key)
{
    bool chosen = false;
    for (;;) {
        TerminalKey typed{};
        const AnswerStatus status = next_key(console, &typed);
        if (status != AnswerStatus::Accepted || typed.role == KeyRole::EndOfInput) {
            return status == AnswerStatus::Accepted ? AnswerStatus::EndOfInput : status;
        }
        bool shown = true;
        if (typed.role == KeyRole::Resumed) {
            shown = show(console, prompt) && (!chosen || echo_menu_key(console, *key));
        } else if (!chosen) {
            *key = is_enter(typed) ? CARRIAGE_RETURN : typed.code;
            chosen = true;
            shown = echo_menu_key(console, *key);
        } else if (is_enter(typed)) {
            return AnswerStatus::Accepted;
        }
        if (!shown) {
            return AnswerStatus::StreamFailed;
        }
    }
}
