// Writing the coefficient file: its text, put in place by the platform's
// writer.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "console/coefficient_file.h"

int write_coefficient_file(const FilterDesign& design, const Coefficients& coefficients)
{
    static CoefficientText text;  // 47 KiB, off the stack
    if (!format_coefficient_text(design, coefficients, text)) {
        return EOVERFLOW;
    }
    return put_coefficient_text(text);
}

const char* describe_file_error(int error)
{
    if (error == NO_COPY_KEPT) {
        static char reason[512];
        std::snprintf(reason, sizeof reason, "cannot keep a copy of the earlier text: %s", copy_place_failure());
        return reason;
    }
    return error == NOT_A_REGULAR_FILE ? "not a regular file" : std::strerror(error);
}
