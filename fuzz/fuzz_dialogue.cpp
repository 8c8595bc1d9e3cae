// Runs the whole program in-process on each fuzz input, given as piped
// standard input, in a scratch folder, and checks the only two outcomes
// allowed: exit status 0 with a well-formed file of N symmetric integers
// whose header carries the typed sample rate, or status 1 and no file.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

#include "console/coefficient_file.h"
#include "console/run_design.h"

namespace {

std::FILE* discard = nullptr;  // the prompts and refusals go nowhere

void require(bool holds, const char* invariant)
{
    if (!holds) {
        std::fprintf(stderr, "fuzz_dialogue: broken: %s\n", invariant);
        std::abort();
    }
}

std::string read_whole(std::FILE* file)
{
    std::string text;
    char buffer[4096];
    for (size_t count; (count = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
        text.append(buffer, count);
    }
    return text;
}

// Parses the file's numbers, prints them again in the file's format and
// compares: any deviation from the format shows as a difference.
void check_file(const std::string& text, long typed_sample_rate)
{
    int count = 0;
    int sample_rate = 0;
    int consumed = 0;
    require(std::sscanf(text.c_str(), "int number_of_coefficients = %d;\nlong sample_rate = %d;%n",
                        &count, &sample_rate, &consumed) == 2, "header lines");
    require(count >= 2 && count <= 2049, "coefficient count in range");
    require(sample_rate == typed_sample_rate, "sample rate as typed");

    std::string expected;
    char line[160];
    std::snprintf(line, sizeof line, "int number_of_coefficients = %d;\nlong sample_rate = %d;\n"
                  "int delay_buffer[%d];\nint coefficients[%d] = {\n",
                  count, sample_rate, count + 2, count);
    expected += line;
    const char* cursor = std::strstr(text.c_str(), "= {\n");
    require(cursor != nullptr, "table head");
    cursor += 4;
    int taps[2049];
    for (int i = 0; i < count; ++i) {
        char* end = nullptr;
        taps[i] = static_cast<int>(std::strtol(cursor, &end, 10));
        require(end != cursor, "a coefficient on every line");
        cursor = std::strchr(end, '\n');
        require(cursor != nullptr, "line ends");
        ++cursor;
        std::snprintf(line, sizeof line, i + 1 < count ? "          %d,\n" : "          %d };\n", taps[i]);
        expected += line;
    }
    require(text == expected, "file format");
    for (int i = 0; i < count; ++i) {
        require(taps[i] == taps[count - 1 - i], "symmetric coefficients");
    }
}

// The first answer, as the dialogue reads it: after white space and
// byte-order marks.
long typed_sample_rate(const std::string& input)
{
    std::size_t start = 0;
    for (;;) {
        start = input.find_first_not_of(" \t\n\v\f\r", start);
        if (start == std::string::npos || input.compare(start, 3, "\xEF\xBB\xBF") != 0) {
            break;
        }
        start += 3;
    }
    return start == std::string::npos ? 0 : std::strtol(input.c_str() + start, nullptr, 10);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    char folder[] = "/tmp/fuzz_dialogue.XXXXXX";
    require(mkdtemp(folder) != nullptr && chdir(folder) == 0, "scratch folder");
    discard = std::fopen("/dev/null", "w");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    unlink(COEFFICIENT_FILE_NAME);
    // fmemopen refuses an empty buffer, so an empty input reads /dev/null.
    std::string copy(reinterpret_cast<const char*>(data), size);
    std::FILE* input = size > 0 ? fmemopen(copy.data(), size, "r") : std::fopen("/dev/null", "r");
    require(input != nullptr, "input stream");

    const int status = run_design(Console{input, discard, discard, -1, false});
    std::fclose(input);

    std::FILE* file = std::fopen(COEFFICIENT_FILE_NAME, "r");
    if (status == 1) {
        require(file == nullptr, "no file after a refused run");
        return 0;
    }
    require(status == 0 && file != nullptr, "status 0 and a file, or status 1");
    const std::string text = read_whole(file);
    std::fclose(file);
    check_file(text, typed_sample_rate(copy));
    return 0;
}
