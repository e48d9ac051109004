/*
 * Timing: QueryPerformanceCounter around batches of calls. A batch is long
 * enough (about kTargetNs) that the counter's resolution and the cost of
 * reading it do not matter; the operation and its baseline run the same
 * number of times and alternate which goes first, so that a slow phase of
 * the machine (the other engineer's build, the emulator translating code)
 * falls on both alike. The median over the repetitions is the figure; the
 * minimum shows how much of it is noise.
 */
#include "bench.h"

#include <algorithm>

namespace {

constexpr DWORD  kRepetitions = 7;
constexpr double kCalibrationNs = 20e6;  /* a batch this long gives a usable rate */
constexpr double kTargetNs = 150e6;      /* each side of each repetition */
constexpr DWORD  kMaxIterations = 1u << 22;

double Frequency()
{
    static LARGE_INTEGER frequency;
    if (frequency.QuadPart == 0)
        QueryPerformanceFrequency(&frequency);
    return static_cast<double>(frequency.QuadPart);
}

/* Total nanoseconds of iterations calls. */
double RunBatch(Operation operation, void *context, DWORD iterations)
{
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    for (DWORD i = 0; i < iterations; ++i)
        operation(context);
    QueryPerformanceCounter(&end);
    return static_cast<double>(end.QuadPart - start.QuadPart) * 1e9 / Frequency();
}

/* Doubles the batch until it takes long enough to be timed, then scales
 * it to the target length. */
DWORD Calibrate(Operation operation, void *context)
{
    DWORD iterations = 1;
    double elapsed = RunBatch(operation, context, iterations);
    while (elapsed < kCalibrationNs && iterations < kMaxIterations) {
        iterations *= 2;
        elapsed = RunBatch(operation, context, iterations);
    }
    const double perOperation = std::max(elapsed / iterations, 1.0);
    const double scaled = kTargetNs / perOperation;
    return static_cast<DWORD>(std::min(std::max(scaled, 1.0), static_cast<double>(kMaxIterations)));
}

double Median(double (&values)[kRepetitions])
{
    double sorted[kRepetitions];
    std::copy(values, values + kRepetitions, sorted);
    std::sort(sorted, sorted + kRepetitions);
    return sorted[kRepetitions / 2];
}

double Minimum(double (&values)[kRepetitions])
{
    return *std::min_element(values, values + kRepetitions);
}

} // namespace

Comparison Compare(const char *name, Operation operation, Operation baseline, void *context)
{
    /* The first calls fault in pages and code translation; they are not timed. */
    operation(context);
    baseline(context);

    const DWORD iterations = Calibrate(operation, context);
    double measured[kRepetitions], base[kRepetitions];
    for (DWORD r = 0; r < kRepetitions; ++r) {
        if (r % 2 == 0) {
            measured[r] = RunBatch(operation, context, iterations) / iterations;
            base[r] = RunBatch(baseline, context, iterations) / iterations;
        } else {
            base[r] = RunBatch(baseline, context, iterations) / iterations;
            measured[r] = RunBatch(operation, context, iterations) / iterations;
        }
    }

    Comparison comparison = {};
    comparison.name = name;
    comparison.medianNs = Median(measured);
    comparison.minNs = Minimum(measured);
    comparison.baselineMedianNs = Median(base);
    comparison.baselineMinNs = Minimum(base);
    comparison.iterations = iterations;
    comparison.repetitions = kRepetitions;
    return comparison;
}

double TimeOnce(Operation operation, void *context)
{
    return RunBatch(operation, context, 1);
}
