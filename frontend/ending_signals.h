// The asynchronous signals whose default action ends the run: Ctrl-C, kill,
// a closed terminal, Ctrl-backslash, a closed output pipe, timers, user
// signals and the CPU-time limit. The key reader restores the terminal on
// them; the file writer holds them off while it replaces the file. POSIX
// systems only.
#ifndef FIR_DESIGN_ENDING_SIGNALS_H
#define FIR_DESIGN_ENDING_SIGNALS_H

#include <csignal>
#include <cstddef>

constexpr int ENDING_SIGNALS[] = {
    SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGPIPE, SIGALRM, SIGUSR1, SIGUSR2,
    SIGVTALRM, SIGPROF, SIGXCPU,
#ifdef SIGPOLL  // not on macOS and the BSDs
    SIGPOLL,
#endif
};
constexpr std::size_t ENDING_SIGNAL_COUNT = sizeof ENDING_SIGNALS / sizeof ENDING_SIGNALS[0];

#endif
