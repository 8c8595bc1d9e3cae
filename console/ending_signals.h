// The signals a handler may catch whose default action ends the run: Ctrl-C,
// kill, a closed terminal, Ctrl-backslash, a closed output pipe, timers,
// user signals, resource limits, abort(), faults, power failure and the
// real-time signals. The key reader restores the terminal on them; the file
// writer holds them off while it replaces the file. POSIX systems only.
#ifndef FIR_DESIGN_ENDING_SIGNALS_H
#define FIR_DESIGN_ENDING_SIGNALS_H

#include <csignal>
#include <cstddef>

// The ending signals every POSIX system has, and those only some have.
constexpr int FIXED_ENDING_SIGNALS[] = {
    SIGHUP, SIGINT, SIGQUIT, SIGILL, SIGTRAP, SIGABRT, SIGBUS, SIGFPE, SIGUSR1, SIGSEGV,
    SIGUSR2, SIGPIPE, SIGALRM, SIGTERM, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF, SIGSYS,
#ifdef SIGPOLL  // not on macOS and the BSDs
    SIGPOLL,
#endif
#ifdef SIGPWR
    SIGPWR,
#endif
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
#ifdef SIGEMT
    SIGEMT,
#endif
#ifdef SIGLOST
    SIGLOST,
#endif
};
constexpr std::size_t FIXED_ENDING_SIGNAL_COUNT = sizeof FIXED_ENDING_SIGNALS / sizeof FIXED_ENDING_SIGNALS[0];

// Room for the fixed ones and every real-time signal a system may have.
constexpr std::size_t MAX_ENDING_SIGNALS = FIXED_ENDING_SIGNAL_COUNT + 64;

struct EndingSignals {
    int numbers[MAX_ENDING_SIGNALS];
    std::size_t count;
};

// Every ending signal of this system: the fixed ones, then SIGRTMIN to
// SIGRTMAX where the system has real-time signals (their numbers are known
// only when the program runs).
inline EndingSignals ending_signals()
{
    EndingSignals signals{};
    for (const int number : FIXED_ENDING_SIGNALS) {
        signals.numbers[signals.count++] = number;
    }
#ifdef SIGRTMIN
    for (int number = SIGRTMIN; number <= SIGRTMAX && signals.count < MAX_ENDING_SIGNALS; ++number) {
        signals.numbers[signals.count++] = number;
    }
#endif
    return signals;
}

#endif
