#include "console/keyboard_answers.h"

#include <cstdio>
#include <cstring>

#include "console/terminal_keys.h"

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
        if (status != AnswerStatus::Accepted || key->role == KeyRole::Resumed || key->role == KeyRole::Resized) {
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

// What the reader knows of the screen the keys are echoed on. Every
// question starts at column 0, so the cursor's place follows from the
// prompt's length and the answer's; a character written into the last
// column leaves the cursor past it, on the same row, until the next one.
struct AnswerScreen {
    std::FILE* echo;      // where keys are echoed (console.output, or the terminal)
    std::FILE* output;    // console.output, where the prompts go
    bool prompt_shown;    // the prompts stand on this screen too
    bool moves_cursor;    // it takes cursor movements (see terminal_moves_cursor)
    bool place_known;     // where the cursor stands follows from what was written
    int columns;          // its width; 0 when unknown
    bool past_margin;     // the cursor stands past the last column
};

AnswerScreen screen;

bool show(const Console& console, const char* text, std::size_t length)
{
    std::fwrite(text, 1, length, screen.echo);
    if (screen.echo == console.output) {
        return flush_output(console);
    }
    if (std::fflush(screen.echo) == 0 && std::ferror(screen.echo) == 0) {
        return true;
    }
    report_stream_failure(console, "write to the terminal");
    return false;
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

// The columns before the answer: the prompt's, where it is on this screen.
int answer_start(const char* prompt)
{
    return screen.prompt_shown ? static_cast<int>(std::strlen(prompt)) : 0;
}

// Notes where the cursor stands after the prompt and `length` characters.
void note_cursor(const char* prompt, int length)
{
    const int end = answer_start(prompt) + length;
    screen.past_margin = screen.columns > 0 && end > 0 && end % screen.columns == 0;
}

// Shows the prompt (where it belongs on this screen) and the line again,
// on a fresh line when `fresh_line`.
bool show_question_again(const Console& console, const char* prompt, const TypedLine& line, bool fresh_line)
{
    note_cursor(prompt, line.length);
    return (!fresh_line || show(console, "\n"))
           && (!screen.prompt_shown || show(console, prompt))
           && show(console, line.text, static_cast<std::size_t>(line.length));
}

// Takes the line back to `length` characters, on the screen too. Within the
// cursor's row each character is backed over and blanked; across the start
// of a row the cursor is moved up to where the line now ends and everything
// after it is erased, or, on a terminal that cannot move its cursor, the
// question is shown again on a fresh line, as it is wherever the cursor's
// place or the width is unknown.
bool erase_to(const Console& console, const char* prompt, int length, TypedLine& line)
{
    const int columns = screen.columns;
    const int from = answer_start(prompt) + line.length;
    const int to = answer_start(prompt) + length;
    const int count = line.length - length;
    line.length = length;
    if (count <= 0) {
        return true;
    }
    // Where the cursor's place or the width is not known, no erase is sure
    // to take back what it should: the question again on a fresh line.
    if (!screen.place_known || columns == 0) {
        return show_question_again(console, prompt, line, true);
    }
    if (!screen.past_margin && from / columns == to / columns) {
        bool shown = true;
        for (int i = 0; i < count && shown; ++i) {
            shown = show(console, "\b \b");
        }
        return shown;
    }
    if (!screen.moves_cursor) {
        return show_question_again(console, prompt, line, true);
    }
    // A carriage return first: past the margin the cursor is still on the
    // row of the last character, and from column 0 every move is certain.
    const int cursor_row = from / columns - (screen.past_margin ? 1 : 0);
    char moves[40] = "\r";
    std::size_t used = 1;
    if (cursor_row > to / columns) {
        used += static_cast<std::size_t>(std::snprintf(moves + used, sizeof moves - used, "\x1b[%dA", cursor_row - to / columns));
    }
    if (to % columns > 0) {
        used += static_cast<std::size_t>(std::snprintf(moves + used, sizeof moves - used, "\x1b[%dC", to % columns));
    }
    std::snprintf(moves + used, sizeof moves - used, "\x1b[J");
    screen.past_margin = false;
    return show(console, moves);
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

// After a change of width: a question that filled a row at the old width or
// fills one at the new may have been redrawn by the terminal in other rows,
// so it is shown again on a fresh line.
bool follow_resize(const Console& console, const char* prompt, const TypedLine& line)
{
    const int old_columns = screen.columns;
    screen.columns = terminal_columns();
    const int narrower = old_columns < screen.columns ? old_columns : screen.columns;
    if (screen.columns == old_columns || answer_start(prompt) + line.length < narrower) {
        note_cursor(prompt, line.length);
        return true;
    }
    return show_question_again(console, prompt, line, true);
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
            note_cursor(prompt, line.length);
            shown = show(console, &c, 1);
        }
        break;
    }
    case KeyRole::Erase:
        shown = erase_to(console, prompt, line.length > 0 ? line.length - 1 : 0, line);
        break;
    case KeyRole::EraseWord:
        shown = erase_to(console, prompt, line.length - last_word(line), line);
        break;
    case KeyRole::EraseLine:
        shown = erase_to(console, prompt, 0, line);
        break;
    case KeyRole::EndOfInput:
        // As at a terminal's own prompt, only on an empty line.
        return line.length == 0 ? AnswerStatus::EndOfInput : AnswerStatus::Accepted;
    case KeyRole::Sequence:
        break;
    case KeyRole::Resumed:
        // Where a shell or another program wrote while the run was away, or
        // SIGCONT came alone, the cursor may stand anywhere: a fresh line.
        screen.columns = terminal_columns();
        shown = show_question_again(console, prompt, line, true);
        break;
    case KeyRole::Resized:
        shown = follow_resize(console, prompt, line);
        break;
    }
    return shown ? AnswerStatus::Accepted : AnswerStatus::StreamFailed;
}

// Starts an answer after its prompt, which the caller has shown.
void start_answer(const char* prompt)
{
    screen.columns = terminal_columns();
    note_cursor(prompt, 0);
}

}  // namespace

bool begin_keyboard_answers(const Console& console)
{
    after_carriage_return = false;
    if (!begin_key_reading(console.terminal_fd)) {
        return false;
    }
    screen.output = console.output;
    const EchoScreen echo_screen = terminal_echo_screen(console.output);
    screen.echo = echo_screen.stream;
    screen.prompt_shown = echo_screen.prompts_shown;
    screen.place_known = echo_screen.place_known;
    screen.moves_cursor = terminal_moves_cursor();
    return true;
}

void end_keyboard_answers()
{
    end_key_reading();
    if (screen.echo != screen.output) {
        std::fclose(screen.echo);
    }
    screen.echo = screen.output;
}

AnswerStatus read_keyboard_integer(const Console& console, const char* prompt, std::int32_t* value)
{
    TypedLine line{};
    start_answer(prompt);
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
        // A blank line: the question again, where the dialogue shows it.
        line.length = 0;
        std::fputs(prompt, console.output);
        if (!flush_output(console)) {
            return AnswerStatus::StreamFailed;
        }
        note_cursor(prompt, 0);
    }
}

AnswerStatus read_keyboard_menu_key(const Console& console, const char* prompt, char* key)
{
    // The key is echoed where the keys are.
    Console echo = console;
    echo.output = screen.echo;
    bool chosen = false;
    for (;;) {
        TerminalKey typed{};
        const AnswerStatus status = next_key(console, &typed);
        if (status != AnswerStatus::Accepted || typed.role == KeyRole::EndOfInput) {
            return status == AnswerStatus::Accepted ? AnswerStatus::EndOfInput : status;
        }
        bool shown = true;
        if (typed.role == KeyRole::Resumed) {
            shown = show(console, "\n") && (!screen.prompt_shown || show(console, prompt))
                    && (!chosen || echo_menu_key(echo, *key));
        } else if (typed.role == KeyRole::Resized) {
            // Nothing to take back at the menu.
        } else if (!chosen) {
            *key = is_enter(typed) ? CARRIAGE_RETURN : typed.code;
            chosen = true;
            shown = echo_menu_key(echo, *key);
        } else if (is_enter(typed)) {
            // The dialogue ends the menu's line where it writes; the screen
            // needs its own line end when that is elsewhere.
            return screen.prompt_shown || show(console, "\n") ? AnswerStatus::Accepted
                                                               : AnswerStatus::StreamFailed;
        }
        if (!shown) {
            return AnswerStatus::StreamFailed;
        }
    }
}
