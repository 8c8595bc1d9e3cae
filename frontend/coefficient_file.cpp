#include "frontend/coefficient_file.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>

#include <sys/stat.h>
#include <unistd.h>

#include "frontend/ending_signals.h"

bool write_coefficient_text(std::FILE* file, const FilterDesign& design,
                            const Coefficients& coefficients)
{
    const int count = design.number_of_coefficients;
    bool written = std::fprintf(file, "int number_of_coefficients = %d;\n", count) > 0
                && std::fprintf(file, "long sample_rate = %d;\n", design.sample_rate) > 0
                && std::fprintf(file, "int delay_buffer[%d];\n", count + 2) > 0
                && std::fprintf(file, "int coefficients[%d] = {\n", count) > 0;
    for (int i = 0; written && i < count - 1; ++i) {
        written = std::fprintf(file, "          %d,\n", coefficients[i]) > 0;
    }
    return written && std::fprintf(file, "          %d };\n", coefficients[count - 1]) > 0;
}

namespace {

// The permission bits the output should carry: those of the file it
// replaces, or what a plain create would give.
mode_t output_file_mode()
{
    struct stat existing {};
    if (stat(COEFFICIENT_FILE_NAME, &existing) == 0 && S_ISREG(existing.st_mode)) {
        return existing.st_mode & 07777;
    }
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// errno after a failed call, never 0, so that a failure is never reported
// as success.
int last_error()
{
    return errno != 0 ? errno : EIO;
}

}  // namespace

int write_coefficient_file(const FilterDesign& design, const Coefficients& coefficients)
{
    // Hold back the signals that end a run until the temporary is either
    // renamed or removed, so that none is left behind.
    sigset_t ending_signals;
    sigset_t previous_mask;
    sigemptyset(&ending_signals);
    for (const int signal_number : ENDING_SIGNALS) {
        sigaddset(&ending_signals, signal_number);
    }
    sigprocmask(SIG_BLOCK, &ending_signals, &previous_mask);

    const mode_t mode = output_file_mode();
    char temporary_name[] = ".filter_coefficients.c.XXXXXX";
    int error = 0;
    const int descriptor = mkstemp(temporary_name);
    if (descriptor < 0) {
        error = last_error();
    } else {
        std::FILE* file = fdopen(descriptor, "w");
        if (file == nullptr) {
            error = last_error();
            close(descriptor);
        } else {
            errno = 0;
            if (fchmod(descriptor, mode) != 0
                || !write_coefficient_text(file, design, coefficients)
                || std::fflush(file) != 0 || fsync(descriptor) != 0) {
                error = last_error();
            }
            if (std::fclose(file) != 0 && error == 0) {
                error = last_error();
            }
        }
        if (error == 0 && std::rename(temporary_name, COEFFICIENT_FILE_NAME) != 0) {
            error = last_error();
        }
        if (error != 0) {
            unlink(temporary_name);
        }
    }

    sigprocmask(SIG_SETMASK, &previous_mask, nullptr);
    return error;
}
