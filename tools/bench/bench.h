/*
 * What the parts of the benchmark share: timing one case against its
 * baseline, reporting the results, and the cases themselves.
 */
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

/* One timed operation: called many times in a row with the same context. */
typedef void (*Operation)(void *context);

/* A case timed against its baseline; times are nanoseconds per operation. */
struct Comparison {
    const char *name;
    double      medianNs;
    double      minNs;
    double      baselineMedianNs;
    double      baselineMinNs;
    DWORD       iterations;  /* operations per repetition, the same on both sides */
    DWORD       repetitions;
};

/* Times operation and baseline over the same number of iterations,
 * repetition after repetition, and keeps the median and the minimum. */
Comparison Compare(const char *name, Operation operation, Operation baseline, void *context);

/* Nanoseconds one call of operation takes, timed once: for what happens
 * only once in a process. */
double TimeOnce(Operation operation, void *context);

/* A case's goal: its ratio at most this. One "*" in the name stands for any part. */
struct Goal {
    const char *name;
    double      ratio;
};

/* Prints every result as a line and writes it to the CSV file. */
class Report {
public:
    Report() = default;
    Report(const Report &) = delete;
    Report &operator=(const Report &) = delete;
    ~Report();

    /* Opens the CSV file; without it the results are only printed. */
    bool OpenCsv(const char *path);
    void Timing(const Comparison &comparison);
    void Bytes(const char *name, ULONGLONG bytes);
    /* One line per timed case that has a goal, "goal CASE ratio=R goal=G met"
     * (or "over"), then a summary line. */
    void Goals(const Goal *goals, size_t count);

private:
    FILE *csv_ = nullptr;
    std::vector<std::pair<std::string, double>> ratios_;
};

/* The folder of bench.exe, where the build put every DLL, with its final backslash. */
void BinDirectory(char (&path)[MAX_PATH]);

/* The cases. Each returns false only when it could not be set up at all. */
bool RunFootprint(Report &report);       /* disk bytes, memory, first attach */
bool RunAttachCases(Report &report);     /* repeated attach and detach */
bool RunFirstAttachCases(Report &report); /* the first attach, each in a new process */
/* bench.exe --first-attach LIBRARY: the first attach here, as the exit code
 * in tenths of a microsecond (0: the library did not load). */
int FirstAttachHere(const char *library);
bool RunThunkCases(Report &report);      /* TORVEKThunk, each opcode */
bool RunProviderCases(Report &report);   /* DomainLogon, NPGetPolicyPath */
bool RunRegistryCases(Report &report);   /* ReadRegistry items 7 and 1 */
bool RunCallUpCases(Report &report);     /* the 16-bit side's calls up through the thunk */
bool RunNoticeCases(Report &report);     /* a notice's round trip to the 16-bit program */

/* Opens a key for reading and writing, counts its values, enumerates each
 * with a 128-byte name and a 1024-byte data buffer, and closes it: the
 * registry calls that a walk for a value by its name cannot avoid. */
void WalkValues(HKEY root, const char *path);

/* Warns about a result that makes a case measure something else; never fatal. */
void Warn(const char *format, ...);
