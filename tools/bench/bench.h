/*
 * What the parts of the benchmark share: timing one case against its
 * baseline, reporting the results, and the cases themselves.
 */
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

/* One timed operation, called many times in a row: a callable (a lambda)
 * that lives as long as the call it is handed to, called through one
 * pointer as a plain function would be. */
class Operation {
public:
    template <class F, class = std::enable_if_t<!std::is_same_v<std::decay_t<F>, Operation>>>
    Operation(F &&callable)
        : call_([](void *f) { (*static_cast<std::remove_reference_t<F> *>(f))(); }),
          callable_(const_cast<void *>(static_cast<const void *>(&callable)))
    {
    }
    void operator()() const { call_(callable_); }

private:
    void (*call_)(void *);
    void *callable_;
};

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
Comparison Compare(const char *name, const Operation &operation, const Operation &baseline);
/* The median and the minimum of each side's samples, one repetition each. */
Comparison Summarize(const char *name, const std::vector<double> &measured, const std::vector<double> &baseline,
                     DWORD iterations);
/* Nanoseconds one call of operation takes, timed once: for what happens
 * only once in a process. */
double TimeOnce(const Operation &operation);

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
    void Goals(const std::vector<Goal> &goals);

private:
    FILE *csv_ = nullptr;
    std::vector<std::pair<std::string, double>> ratios_;
};

/* The cases, in the order they run. Each returns false only when it could
 * not be set up at all. */
bool RunFootprint(Report &report);        /* disk bytes, memory, the first attach */
bool RunAttachCases(Report &report);      /* repeated attach and detach */
bool RunFirstAttachCases(Report &report); /* the first attach, each in a new process */
bool RunThunkCases(Report &report);       /* TORVEKThunk, each opcode */
bool RunProviderCases(Report &report);    /* DomainLogon, NPGetPolicyPath */
bool RunRegistryCases(Report &report);    /* ReadRegistry items 7 and 1 */
bool RunCallUpCases(Report &report);      /* the 16-bit side's calls up through the thunk */
bool RunNoticeCases(Report &report);      /* a notice's round trip to the 16-bit program */

/* bench.exe --first-attach LIBRARY: the first attach here, as the exit code
 * in tenths of a microsecond (0: the library did not load). */
int FirstAttachHere(const char *library);

/* Opens a key for reading and writing, counts its values, enumerates each
 * with a 128-byte name and a 1024-byte data buffer, and closes it: the
 * registry calls that a walk for a value by its name cannot avoid. */
void WalkValues(HKEY root, const char *path);
/* The key of a connection's position in the table (A to Z, LPT1 to LPT9)
 * under HKEY_CURRENT_USER, and the walk of all 35 of them. */
const char *ConnectionKey(int position);
void WalkConnectionKeys();

/* Warns about a result that makes a case measure something else; never fatal. */
void Warn(const char *format, ...);
/* present, with a warning that what is missing when it is false. */
bool Have(bool present, const char *what);
