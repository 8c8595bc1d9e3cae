// Time of each design stage and of the whole design for 3, 101, 1024 and
// 2049 taps. The "per_tap" counter is the time per tap, which stays flat
// when the cost is linear in N. Each stage runs on the real output of the
// stages before it: a stage run again on its own output would soon work on
// subnormal numbers and time those instead.
#include <algorithm>

#include <benchmark/benchmark.h>

#include "core/filter_stages.h"
#include "core/fixed_point.h"
#include "core/design_filter.h"
#include "tests/core/design_record.h"

namespace {

HalfResponse ideal;
HalfResponse half_response;
HalfResponse kaiser_window;
ImpulseResponse impulse_response;
Coefficients coefficients;
DesignArrays arrays;

// The design both benchmark programs measure: a 60 dB low pass at a quarter
// of a 48000 Hz sample rate, of `taps` taps.
FilterDesign low_pass_record(int taps)
{
    return design_record('L', 48000, 12000, 0, taps, 60);
}

// The low pass designed once, so that every array holds what a real
// run puts there.
FilterDesign low_pass(int taps)
{
    const FilterDesign design = low_pass_record(taps);
    compute_ideal_response(design, ideal);
    half_response = ideal;
    apply_kaiser_window(design, half_response, kaiser_window);
    expand_symmetric_response(design, half_response, impulse_response);
    return design;
}

void report_per_tap(benchmark::State& state)
{
    state.counters["per_tap"] = benchmark::Counter(
        static_cast<double>(state.iterations() * state.range(0)),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void ideal_response(benchmark::State& state)
{
    const FilterDesign design = low_pass(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        compute_ideal_response(design, half_response);
        benchmark::DoNotOptimize(half_response);
    }
    report_per_tap(state);
}

void kaiser_window_stage(benchmark::State& state)
{
    const FilterDesign design = low_pass(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        // A fresh input each time; the copy is timed too.
        std::copy_n(ideal.begin(), design.half_length, half_response.begin());
        apply_kaiser_window(design, half_response, kaiser_window);
        benchmark::DoNotOptimize(half_response);
    }
    report_per_tap(state);
}

void symmetric_expansion(benchmark::State& state)
{
    const FilterDesign design = low_pass(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        expand_symmetric_response(design, half_response, impulse_response);
        benchmark::DoNotOptimize(impulse_response);
    }
    report_per_tap(state);
}

void fixed_point_scaling(benchmark::State& state)
{
    const FilterDesign design = low_pass(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        quantize_coefficients(design, impulse_response, coefficients);
        benchmark::DoNotOptimize(coefficients);
    }
    report_per_tap(state);
}

void whole_design(benchmark::State& state)
{
    for (auto _ : state) {
        design_filter(low_pass_record(static_cast<int>(state.range(0))), arrays);
        benchmark::DoNotOptimize(arrays.coefficients);
    }
    report_per_tap(state);
}

}  // namespace

BENCHMARK(ideal_response)->Arg(3)->Arg(101)->Arg(1024)->Arg(2049);
BENCHMARK(kaiser_window_stage)->Arg(3)->Arg(101)->Arg(1024)->Arg(2049);
BENCHMARK(symmetric_expansion)->Arg(3)->Arg(101)->Arg(1024)->Arg(2049);
BENCHMARK(fixed_point_scaling)->Arg(3)->Arg(101)->Arg(1024)->Arg(2049);
BENCHMARK(whole_design)->Arg(3)->Arg(101)->Arg(1024)->Arg(2049);

BENCHMARK_MAIN();
