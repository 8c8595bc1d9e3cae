// The signals by which a person or the session ends a run: Ctrl-C, kill,
// a closed terminal and Ctrl-backslash. The key reader restores the terminal
// on them; the file writer holds them off while it replaces the file.
#ifndef FIR_DESIGN_ENDING_SIGNALS_H
#define FIR_DESIGN_ENDING_SIGNALS_H

#include <csignal>
#include <cstddef>

constexpr int ENDING_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
constexpr std::size_t ENDING_SIGNAL_COUNT = sizeof ENDING_SIGNALS / sizeof ENDING_SIGNALS[0];

#endif
