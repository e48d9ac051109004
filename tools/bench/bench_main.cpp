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

int main(int argc, char **argv)
{
    if (argc == 3 && lstrcmpA(argv[1], "--first-attach") == 0)
        return FirstAttachHere(argv[2]);
    const char *csvPath = argc > 1 ? argv[1] : "bench.csv";
    Report report;
    if (!report.OpenCsv(csvPath))
        Warn("cannot write %s; the results are only printed", csvPath);

    /* The footprint first: it needs a process that has not loaded the product yet. */
    bool complete = true;
    for (auto run : {RunFootprint, RunAttachCases, RunFirstAttachCases, RunThunkCases, RunProviderCases,
                     RunRegistryCases, RunCallUpCases, RunNoticeCases})
        complete = run(report) && complete;

    /* What each case should come to against what it cannot avoid. */
    report.Goals({
        {"provider_attach_detach_first_vs_platform", 1.15},
        {"provider_attach_detach_vs_platform", 1.15},
        {"torvekthunk_*_vs_maps", 1.1},
        {"registryrequest_item7_callup_vs_walk", 1.1},
        {"qengetuseridpassword_callup", 1.2},
        {"notice_roundtrip_zoragent", 1.2},
    });
    return complete ? 0 : 1;
}
