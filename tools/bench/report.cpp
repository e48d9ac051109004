/*
 * The results, one line per case, in a form that grep and a spreadsheet both
 * take:
 *   case: median_ns=N min_ns=N baseline_ns=N ratio=R
 *   case: bytes=N
 * and the same in CSV, one row per line printed.
 */
#include "bench.h"

#include <shlwapi.h>

#include <cstdarg>

namespace {

constexpr char kCsvHeader[] =
    "case,median_ns,min_ns,baseline_ns,ratio,baseline_min_ns,iterations,repetitions,bytes\n";

double Ratio(const Comparison &comparison)
{
    return comparison.baselineMedianNs > 0 ? comparison.medianNs / comparison.baselineMedianNs : 0;
}

} // namespace

Report::~Report()
{
    if (csv_ != nullptr)
        std::fclose(csv_);
}

bool Report::OpenCsv(const char *path)
{
    csv_ = std::fopen(path, "w");
    if (csv_ == nullptr)
        return false;
    std::fputs(kCsvHeader, csv_);
    return true;
}

void Report::Timing(const Comparison &c)
{
    std::printf("%s: median_ns=%.0f min_ns=%.0f baseline_ns=%.0f ratio=%.2f\n", c.name, c.medianNs,
                c.minNs, c.baselineMedianNs, Ratio(c));
    std::fflush(stdout);
    ratios_.emplace_back(c.name, Ratio(c));
    if (csv_ != nullptr)
        std::fprintf(csv_, "%s,%.0f,%.0f,%.0f,%.3f,%.0f,%lu,%lu,\n", c.name, c.medianNs, c.minNs,
                     c.baselineMedianNs, Ratio(c), c.baselineMinNs, c.iterations, c.repetitions);
}

void Report::Goals(const std::vector<Goal> &goals)
{
    int met = 0, over = 0;
    for (const Goal &goal : goals) {
        for (const auto &[name, ratio] : ratios_) {
            if (!PathMatchSpecA(name.c_str(), goal.name)) /* one "*" stands for any part */
                continue;
            const bool ok = ratio <= goal.ratio;
            std::printf("goal %s ratio=%.2f goal=%.2f %s\n", name.c_str(), ratio, goal.ratio, ok ? "met" : "over");
            (ok ? met : over) += 1;
        }
    }
    std::printf("goals: %d met, %d over (a report, not a test: a slow or noisy machine fails nothing)\n", met, over);
    std::fflush(stdout);
}

void Report::Bytes(const char *name, ULONGLONG bytes)
{
    std::printf("%s: bytes=%llu\n", name, bytes);
    std::fflush(stdout);
    if (csv_ != nullptr)
        std::fprintf(csv_, "%s,,,,,,,,%llu\n", name, bytes);
}

void Warn(const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    std::fputs("bench: warning: ", stderr);
    std::vfprintf(stderr, format, arguments);
    std::fputs("\n", stderr);
    va_end(arguments);
}

bool Have(bool present, const char *what)
{
    if (!present)
        Warn("%s is missing", what);
    return present;
}
