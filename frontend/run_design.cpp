#include "frontend/run_design.h"

#include <cstring>

#include "design/filter_stages.h"
#include "frontend/coefficient_file.h"
#include "frontend/design_derivation.h"
#include "frontend/dialogue.h"
#include "frontend/fixed_point.h"

namespace {

// Every array of the run, at its fixed capacity, for the whole run; nothing
// else is allocated. Static storage starts zeroed at no cost, where arrays on
// the stack would be cleared on every run. Each stage writes every entry it
// later reads, so what an earlier run left here is never used.
HalfResponse half_response;
HalfResponse kaiser_window;
ImpulseResponse impulse_response;
Coefficients coefficients;

}  // namespace

int run_design(const Console& console)
{
    FilterDesign design{};
    if (run_dialogue(console, design) != AnswerStatus::Accepted) {
        return 1;
    }
    derive_design_values(design);

    compute_ideal_response(design, half_response);
    apply_kaiser_window(design, half_response, kaiser_window);
    expand_symmetric_response(design, half_response, impulse_response);
    quantize_coefficients(design, impulse_response, coefficients);

    const int error = write_coefficient_file(design, coefficients);
    if (error != 0) {
        std::fprintf(console.errors, "fir_design: cannot write %s: %s\n", COEFFICIENT_FILE_NAME,
                     std::strerror(error));
        return 1;
    }
    return 0;
}

int run_design()
{
    return run_design(standard_console());
}
