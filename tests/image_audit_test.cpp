/*
 * The three shipped DLLs as the Windows 95 loader and their callers see them:
 * imports only from the modules each may use and only functions Windows 95
 * has, no TLS directory, subsystem version 4.0 at most, and exactly the
 * exports and ordinals of the contract. Two deliberately bad DLLs show that
 * the audit refuses what it must.
 */
#include "image_audit.h"
#include "test_support.h"

#include <algorithm>

namespace {

const LibraryContract kProvider = {
    "ZORNET32.DLL",
    {"KERNEL32.DLL", "USER32.DLL", "ADVAPI32.DLL"},
    {{"NPGetCaps", 13}, {"NPAddConnection", 17}, {"NPLogon", 43}, {"NPLogoff", 44},
     {"NPGetHomeDirectory", 45}, {"PPChangePassword", 47}, {"NPGetPolicyPath", 50},
     {"PPGetPasswordStatus", 51}, {"QENMirevola", 70}, {"QENGetUseridPassword", 97},
     {"zorn1632_ThunkData32", 98}, {"zorn3216_ThunkData32", 99}, {"DomainLogon", 100}}};

const LibraryContract kBridge = {
    "ZORN3216.DLL",
    {"KERNEL32.DLL", "ADVAPI32.DLL"},
    {{"DllMain", 1}, {"LibMain", 2}, {"WEP", 3}, {"TORVEKThunk", 4}, {"zorn3216_ThunkData32", 5}}};

const LibraryContract kRegistryService = {
    "QENREGIO.DLL",
    {"KERNEL32.DLL", "ADVAPI32.DLL"},
    {{"THK1632_ThunkData32", 1}, {"ReadRegistry", 2}, {"WriteRegistry", 3}}};

/* Shipped beside the INF; the setup API calls it on NT-style systems only,
 * but it is held to the same rules. */
const LibraryContract kSetupHelper = {
    "ZORSETUP.DLL",
    {"KERNEL32.DLL", "ADVAPI32.DLL"},
    {{"DllRegisterServer", 1}, {"DllUnregisterServer", 2}}};

FunctionList Windows95Functions()
{
    return ReadFunctionList(ProgramFolder() + "win95_functions.txt");
}

std::string Joined(const std::vector<std::string> &findings)
{
    std::string text;
    for (const std::string &finding : findings)
        text += finding + "\n";
    return text;
}

bool Has(const std::vector<std::string> &findings, const std::string &expected)
{
    return std::find(findings.begin(), findings.end(), expected) != findings.end();
}

} // namespace

TEST(ImageAudit, TheShippedLibrariesLoadOnWindows95AndKeepTheirContract)
{
    const FunctionList windows95 = Windows95Functions();
    ASSERT_FALSE(windows95.empty()) << "win95_functions.txt is missing beside the tests";
    for (const LibraryContract *contract : {&kProvider, &kBridge, &kRegistryService, &kSetupHelper}) {
        const std::vector<std::string> findings =
            AuditLibrary(ProgramFolder() + contract->library, *contract, windows95);
        EXPECT_TRUE(findings.empty()) << Joined(findings);
    }
}

TEST(ImageAudit, TheListHoldsNoFunctionWindows95Lacks)
{
    const FunctionList windows95 = Windows95Functions();
    for (const char *missing :
         {"KERNEL32.DLL!IsDebuggerPresent", "KERNEL32.DLL!InterlockedCompareExchange",
          "KERNEL32.DLL!IsProcessorFeaturePresent", "KERNEL32.DLL!GetFileAttributesExA",
          "KERNEL32.DLL!CreateWaitableTimerA", "KERNEL32.DLL!TryEnterCriticalSection",
          "KERNEL32.DLL!SignalObjectAndWait", "KERNEL32.DLL!InitializeCriticalSectionAndSpinCount",
          "KERNEL32.DLL!GetLongPathNameA"})
        EXPECT_EQ(windows95.count(missing), 0u) << missing;
    for (const std::string &function : windows95)
        EXPECT_NE(function.back(), 'W') << function << ": Windows 95 has the W functions only as stubs";
}

TEST(ImageAudit, RefusesADllLinkedWithTheCRuntime)
{
    const std::vector<std::string> findings = AuditLibrary(
        ProgramFolder() + "variants\\runtime-linked-bridge\\ZORN3216.DLL", kBridge, Windows95Functions());
    EXPECT_TRUE(Has(findings, "ZORN3216.DLL has a TLS directory (data directory 9): Windows 95's LoadLibrary "
                              "refuses it"))
        << Joined(findings);
    EXPECT_TRUE(Has(findings, "ZORN3216.DLL imports from MSVCRT.DLL, which it may not")) << Joined(findings);
}

TEST(ImageAudit, RefusesNewerFunctionsSubsystemsAndExportsOffTheContract)
{
    const std::vector<std::string> findings =
        AuditLibrary(ProgramFolder() + "variants\\newer-habits-regservice\\QENREGIO.DLL", kRegistryService,
                     Windows95Functions());
    EXPECT_EQ(Joined(findings),
              "QENREGIO.DLL asks for subsystem version 5.1: Windows 95 refuses anything above 4.0\n"
              "QENREGIO.DLL imports KERNEL32.DLL!IsDebuggerPresent, which is not on the list of Windows 95 "
              "functions\n"
              "QENREGIO.DLL lacks the export WriteRegistry at ordinal 3\n"
              "QENREGIO.DLL exports RegistryStatistics at ordinal 4, which the contract does not list\n");
}

/* The provider, version resource and all, stays within 22 KB: every process
 * that uses the network maps it. */
TEST(ImageAudit, TheProviderStaysWithin22KB)
{
    WIN32_FILE_ATTRIBUTE_DATA file = {};
    ASSERT_TRUE(GetFileAttributesExA((ProgramFolder() + "ZORNET32.DLL").c_str(), GetFileExInfoStandard, &file));
    EXPECT_EQ(file.nFileSizeHigh, 0u);
    EXPECT_LE(file.nFileSizeLow, 22u * 1024) << "ZORNET32.DLL has grown past 22 KB";
}

/* The router console is a diagnostic tool for NT-style systems and Wine: the
 * same rules show what keeps Windows 95's loader from starting it. */
TEST(ImageAudit, SaysWhyTheRouterConsoleDoesNotStartOnWindows95)
{
    const LibraryContract console = {"router_console.exe", {"KERNEL32.DLL", "USER32.DLL", "ADVAPI32.DLL"}, {}};
    const std::vector<std::string> findings =
        AuditLibrary(ProgramFolder() + "router_console.exe", console, Windows95Functions());
    /* The list holds only what the product uses, so most of its findings
     * name functions Windows 95 has; these it lacks, and its loader refuses a
     * program that imports them (GetTickCount64 is Windows Vista's, the
     * vectored handlers Windows XP's, TryEnterCriticalSection NT's). */
    for (const char *refused : {"imports from SETUPAPI.DLL, which it may not", "imports from MSVCRT.DLL, which it may not",
                                "imports KERNEL32.DLL!GetTickCount64, which is not on the list of Windows 95 functions",
                                "imports KERNEL32.DLL!AddVectoredExceptionHandler, which is not on the list of Windows 95 "
                                "functions",
                                "imports KERNEL32.DLL!TryEnterCriticalSection, which is not on the list of Windows 95 "
                                "functions"})
        EXPECT_TRUE(Has(findings, std::string("router_console.exe ") + refused)) << refused;
}
