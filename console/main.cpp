// fir_design: asks for a filter on the console, designs it and writes
// "filter_coefficients.c". Command-line arguments are ignored.
#include "console/run_design.h"

int main()
{
    return run_design();
}
