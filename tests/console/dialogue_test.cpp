// The dialogue as a person or a script meets it: the same questions and
// file through a pipe and at a terminal, the menu's one key, every editing
// key as the screen shows it, and answers out of their ranges.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/console/program_driver.h"

namespace {

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

}  // namespace
