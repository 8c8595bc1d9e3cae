#include "console/run_design.h"

#include "console/coefficient_file.h"
#include "core/design_derivation.h"
#include "console/dialogue.h"

namespace {

// The run's arrays, for the whole run; nothing else is allocated. Static
// storage starts zeroed at no cost, where arrays on the stack would be
// cleared on every run. Each stage writes every entry it later reads, so
// what an earlier run left here is never used.
DesignArrays run_arrays;

}  // namespace

int run_design(const Console& console)
{
    FilterDesign design{};
    FilterType type{};
    if (run_dialogue(console, design, type) != AnswerStatus::Accepted) {
        return 1;
    }
    derive_design_values(design, type);
    design_filter(design, run_arrays);

    const int error = write_coefficient_file(design, run_arrays.coefficients);
    if (error != 0) {
        const char* kept = earlier_text_kept_in();
        std::fprintf(console.errors, "fir_design: cannot write %s: %s%s%s\n", COEFFICIENT_FILE_NAME,
                     describe_file_error(error), *kept != '\0' ? "; its earlier text is kept in " : "", kept);
        return 1;
    }
    return 0;
}

int run_design()
{
    return run_design(standard_console());
}
