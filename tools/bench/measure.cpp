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
#include "median.h"

#include <algorithm>

namespace {

constexpr DWORD  kRepetitions = 7;
constexpr double kCalibrationNs = 20e6;  /* a batch this long gives a usable rate */
constexpr double kTargetNs = 150e6;      /* each side of each repetition */
constexpr DWORD  kMaxIterations = 1u << 22;

/* Total nanoseconds of iterations calls. */
double RunBatch(const Operation &operation, DWORD iterations)
{
    LARGE_INTEGER start, end, frequency;
    QueryPerformanceCounter(&start);
    for (DWORD i = 0; i < iterations; ++i)
        operation();
    QueryPerformanceCounter(&end);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(end.QuadPart - start.QuadPart) * 1e9 / static_cast<double>(frequency.QuadPart);
}

/* Doubles the batch until it takes long enough to be timed, then scales
 * it to the target length. */
DWORD Calibrate(const Operation &operation)
{
    DWORD iterations = 1;
    double elapsed = RunBatch(operation, iterations);
    while (elapsed < kCalibrationNs && iterations < kMaxIterations) {
        iterations *= 2;
        elapsed = RunBatch(operation, iterations);
    }
    const double perOperation = std::max(elapsed / iterations, 1.0);
    const double scaled = kTargetNs / perOperation;
    return static_cast<DWORD>(std::min(std::max(scaled, 1.0), static_cast<double>(kMaxIterations)));
}

} // namespace

Comparison Compare(const char *name, const Operation &operation, const Operation &baseline)
{
    /* The first calls fault in pages and code translation; they are not timed. */
    operation();
    baseline();

    const DWORD iterations = Calibrate(operation);
    std::vector<double> measured, base;
    for (DWORD r = 0; r < kRepetitions; ++r) {
        if (r % 2 == 1)
            base.push_back(RunBatch(baseline, iterations) / iterations);
        measured.push_back(RunBatch(operation, iterations) / iterations);
        if (r % 2 == 0)
            base.push_back(RunBatch(baseline, iterations) / iterations);
    }
    return Summarize(name, measured, base, iterations);
}

Comparison Summarize(const char *name, const std::vector<double> &measured, const std::vector<double> &baseline,
                     DWORD iterations)
{
    return {name, Median(measured), *std::min_element(measured.begin(), measured.end()), Median(baseline),
            *std::min_element(baseline.begin(), baseline.end()), iterations, static_cast<DWORD>(measured.size())};
}

double TimeOnce(const Operation &operation)
{
    return RunBatch(operation, 1);
}
