// Answers typed at a keyboard. The keyboard stays in key mode for the whole
// dialogue and the tool echoes each key as it uses it, so that the screen
// shows exactly the keys each answer is made of, after its own question,
// whether they were typed one by one or arrived together (a paste, a slow
// link): keys that come early wait, unseen and unused, until their question
// is shown. Enter is CR, LF or CR LF; a LF that directly follows a CR belongs
// to the same Enter. Shared by every platform, over terminal_keys.h.
#ifndef FIR_DESIGN_KEYBOARD_ANSWERS_H
#define FIR_DESIGN_KEYBOARD_ANSWERS_H

#include <cstdint>

#include "console/console.h"

// Puts console.terminal_fd in key mode for the answers (begin_key_reading).
// False, with errno set, when it cannot.
bool begin_keyboard_answers(const Console& console);

// Puts the keyboard back as begin_keyboard_answers found it.
void end_keyboard_answers();

// Reads one answer line after `prompt`, which the caller has shown. The
// line is edited as at a terminal's own prompt: Backspace, Ctrl-W and
// Ctrl-U erase (as the terminal's settings name them), printable keys are
// shown and kept (a tab as a space, at most MAX_TYPED_ANSWER of them), and
// any other key is neither shown nor kept. A blank line shows the prompt
// again. After a suspension the prompt and the line are shown again.
// Accepted or Refused as parse_answer judges the line; EndOfInput for the
// end-of-input key on an empty line or a hang-up; StreamFailed, reported on
// console.errors, when a stream fails.
AnswerStatus read_keyboard_integer(const Console& console, const char* prompt, std::int32_t* value);

// Reads the menu's key after `prompt`, which the caller has shown: one key,
// echoed as echo_menu_key shows it, then every key up to Enter, dropped;
// the key itself never counts as that Enter (Enter as the key is stored as
// 13). EndOfInput for the end-of-input key or a hang-up; StreamFailed as
// above.
AnswerStatus read_keyboard_menu_key(const Console& console, const char* prompt, char* key);

// Longest answer line kept at the keyboard: room for a sign, ten digits and
// a few blanks, and short enough to stay on the line of the longest prompt
// on an 80-column screen, where Backspace can still take it back.
constexpr int MAX_TYPED_ANSWER = 15;

#endif
