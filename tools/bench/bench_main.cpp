/*
 * bench.exe: what the product costs a process, each case against what the
 * platform alone would cost for the same job, measured in the same run.
 * Usage: bench.exe [CSV-PATH]   (default: bench.csv in the working folder)
 *
 * The figures are reported, never judged: the exit code is 0 whatever they
 * are, and 1 only when a case could not be set up at all (a DLL or an entry
 * missing, a registry key that cannot be made).
 */
#include "bench.h"

void BinDirectory(char (&path)[MAX_PATH])
{
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length >= MAX_PATH)
        length = 0;
    while (length > 0 && path[length - 1] != '\\' && path[length - 1] != '/')
        --length;
    path[length] = '\0';
}

int main(int argc, char **argv)
{
    const char *csvPath = argc > 1 ? argv[1] : "bench.csv";
    Report report;
    if (!report.OpenCsv(csvPath))
        Warn("cannot write %s; the results are only printed", csvPath);

    /* The footprint first: it needs a process that has not loaded the product yet. */
    bool complete = RunFootprint(report);
    complete = RunAttachCases(report) && complete;
    complete = RunThunkCases(report) && complete;
    complete = RunProviderCases(report) && complete;
    complete = RunRegistryCases(report) && complete;
    complete = RunCallUpCases(report) && complete;
    complete = RunNoticeCases(report) && complete;
    return complete ? 0 : 1;
}
