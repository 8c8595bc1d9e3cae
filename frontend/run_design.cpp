#include "frontend/run_design.h"

#include "design/filter_stages.h"
#include "frontend/coefficient_file.h"
#include "frontend/design_derivation.h"
#include "frontend/dialogue.h"
#include "frontend/fixed_point.h"

namespace {

// The run's arrays, for the whole run; nothing else is allocated. Static
// storage starts zeroed at no cost, where arrays on the stack would be
// cleared on every run. Each stage writes every entry it later reads, so
// what an earlier run left here is never used.
DesignArrays run_arrays;

}  // namespace

void design_filter(const FilterDesign& design, DesignArrays& arrays)
{
    compute_ideal_response(design, arrays.half_response);
    apply_kaiser_window(design, arrays.half_response, arrays.kaiser_window);
    expand_symmetric_response(design, arrays.half_response, arrays.impulse_response);
    quantize_coefficients(design, arrays.impulse_response, arrays.coefficients);
}

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
        std::fprintf(console.errors, "fir_design: cannot write %s: %s\n", COEFFICIENT_FILE_NAME,
                     describe_file_error(error));
        return 1;
    }
    return 0;
}

int run_design()
{
    return run_design(standard_console());
}
