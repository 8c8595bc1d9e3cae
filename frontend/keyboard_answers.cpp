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

// Takes back the last `count` characters of the line, on the screen too.
bool erase(const Console& console, int count, int& length)
{
    bool shown = true;
    for (; count > 0 && shown; --count) {
        --length;
        shown = show(console, "\b \b");
    }
    return shown;
}

// How many characters Ctrl-W takes back: the blanks at the end of the
// line, then the word before them.
int last_word(const char* typed, int length)
{
    int count = 0;
    while (count < length && typed[length - 1 - count] == ' ') {
        ++count;
    }
    while (count < length && typed[length - 1 - count] != ' ') {
        ++count;
    }
    return count;
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
    char typed[MAX_TYPED_ANSWER];
    int length = 0;
    for (;;) {
        TerminalKey key{};
        const AnswerStatus status = next_key(console, &key);
        if (status != AnswerStatus::Accepted) {
            return status;
        }
        if (is_enter(key)) {
            AnswerLine line;
            for (int i = 0; i < length; ++i) {
                add_to_answer(line, typed[i]);
            }
            if (!show(console, "\n") || (answer_is_blank(line) && !show(console, prompt))) {
                return AnswerStatus::StreamFailed;
            }
            if (!answer_is_blank(line)) {
                return finish_answer(line, value);
            }
            length = 0;
            continue;
        }
        bool shown = true;
        switch (key.role) {
        case KeyRole::Character: {
            const char c = key.code == '\t' ? ' ' : key.code;
            if (c >= ' ' && c <= '~' && length < MAX_TYPED_ANSWER) {
                typed[length++] = c;
                shown = show(console, &c, 1);
            }
            break;
        }
        case KeyRole::Erase:
            shown = erase(console, length > 0 ? 1 : 0, length);
            break;
        case KeyRole::EraseWord:
            shown = erase(console, last_word(typed, length), length);
            break;
        case KeyRole::EraseLine:
            shown = erase(console, length, length);
            break;
        case KeyRole::EndOfInput:
            if (length == 0) {
                return AnswerStatus::EndOfInput;
            }
            break;  // as a terminal's own prompt does, only on an empty line
        case KeyRole::Sequence:
            break;
        case KeyRole::Resumed:
            shown = show(console, prompt) && show(console, typed, static_cast<std::size_t>(length));
            break;
        }
        if (!shown) {
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
