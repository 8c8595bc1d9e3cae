/* Runs a filter designed by fir_design the way a fixed-point target would.
 *
 * Build it together with a generated coefficient file:
 *     cc -std=c99 -O2 -o fixed_point_filter fixed_point_filter.c filter_coefficients.c
 * then give it one 16-bit sample a line on standard input; it writes one
 * filtered sample a line on standard output:
 *     printf '32767\n0\n0\n' | ./fixed_point_filter
 *
 * The coefficients are Q15 values (32767 stands for almost 1.0). Each output
 * is the sum of the products of the last N inputs with the coefficients, in a
 * 64-bit accumulator, shifted back by 15 bits (rounding toward minus
 * infinity, as an arithmetic shift does) and saturated to 16 bits. The
 * declared delay_buffer holds the last N inputs, newest first. */
#include <errno.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* Declared by the generated filter_coefficients.c. */
extern int number_of_coefficients;
extern long sample_rate;
extern int delay_buffer[];
extern int coefficients[];

/* acc / 2^15 rounded toward minus infinity, without relying on how the
 * compiler shifts negative numbers. */
static int64_t shift_right_15(int64_t acc)
{
    const int64_t scale = 32768;
    return acc >= 0 ? acc / scale : -((-acc + scale - 1) / scale);
}

static int16_t saturate_to_16_bits(int64_t value)
{
    if (value > INT16_MAX) {
        return INT16_MAX;
    }
    if (value < INT16_MIN) {
        return INT16_MIN;
    }
    return (int16_t)value;
}

/* Shifts `sample` into the delay line and returns the filter's output. */
static int16_t filter_sample(int16_t sample)
{
    int64_t acc = 0;
    for (int k = number_of_coefficients - 1; k > 0; --k) {
        delay_buffer[k] = delay_buffer[k - 1];
    }
    delay_buffer[0] = sample;
    for (int k = 0; k < number_of_coefficients; ++k) {
        acc += (int64_t)coefficients[k] * delay_buffer[k];
    }
    return saturate_to_16_bits(shift_right_15(acc));
}

/* Reads one sample from a line: an integer from -32768 to 32767, with
 * nothing but white space around it. Returns 0 when the line is not one. */
static int parse_sample(const char* line, int16_t* sample)
{
    char* end = NULL;
    errno = 0;
    const long value = strtol(line, &end, 10);
    if (end == line || errno != 0 || value < INT16_MIN || value > INT16_MAX) {
        return 0;
    }
    while (*end == ' ' || *end == '\t' || *end == '\r' || *end == '\n') {
        ++end;
    }
    if (*end != '\0') {
        return 0;
    }
    *sample = (int16_t)value;
    return 1;
}

int main(void)
{
    char line[256];
    long line_number = 0;
    while (fgets(line, sizeof line, stdin) != NULL) {
        ++line_number;
        int16_t sample = 0;
        if (strchr(line, '\n') == NULL && !feof(stdin)) {
            fprintf(stderr, "fixed_point_filter: line %ld is too long\n", line_number);
            return 1;
        }
        if (!parse_sample(line, &sample)) {
            fprintf(stderr, "fixed_point_filter: line %ld: expected one integer sample "
                            "from -32768 to 32767\n", line_number);
            return 1;
        }
        if (printf("%d\n", filter_sample(sample)) < 0) {
            perror("fixed_point_filter: standard output");
            return 1;
        }
    }
    if (ferror(stdin) || fflush(stdout) != 0) {
        perror("fixed_point_filter");
        return 1;
    }
    return 0;
}
