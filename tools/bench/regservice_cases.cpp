/*
 * ReadRegistry, as the 16-bit side asks for its two heaviest items:
 *
 * item 7 with all 35 connection keys present (A: to Z:, LPT1: to LPT9:),
 * each holding only its RemotePath; against opening, counting, enumerating
 * and closing the same 35 keys;
 *
 * item 1 in a NETWORK\LOGON of 100 values with USERNAME made last, so that
 * the walk finds it at the end; against the same walk of that key.
 *
 * The keys are made for the case and put back as they were afterwards.
 */
#include "bench.h"
#include "loaded_library.h"
#include "scratch_key.h"

namespace {

constexpr int kLogonValues = 100;

/* Reads the item once, warns unless its answer has expected at offset, and
 * times it against walk. */
void TimeItem(Report &report, const char *caseName, decltype(&ReadRegistry) read, int item, const Operation &walk,
              size_t offset, const char *expected)
{
    static char data[2048];
    ZeroMemory(data, sizeof(data));
    const LONG result = read(item, data, sizeof(data));
    if (result != 0 || lstrcmpA(data + offset, expected) != 0)
        Warn("ReadRegistry item %d did not answer \"%s\" at %u (result %ld)", item, expected,
             static_cast<unsigned>(offset), result);
    report.Timing(Compare(caseName, [&] { read(item, data, sizeof(data)); }, walk));
}

bool RunConnections(Report &report, decltype(&ReadRegistry) read)
{
    ScratchKey keys[kConnectionKeys];
    bool prepared = true;
    for (int i = 0; i < kConnectionKeys && prepared; ++i) {
        const char *device = ConnectionKey(i) + lstrlenA(kPersistentKey);
        const std::string remote = std::string("\\\\ZORSRV1\\SHARE") + device;
        prepared = keys[i].Prepare(HKEY_CURRENT_USER, ConnectionKey(i)) &&
                   keys[i].SetText("RemotePath", remote.c_str());
    }
    if (prepared)
        TimeItem(report, "readregistry_item7_35_connections", read, ItemPersistentConnections,
                 [] { WalkConnectionKeys(); }, (kConnectionKeys - 1) * kConnectionEntrySize, "LPT9:");
    else
        Warn("cannot set up the 35 connection keys");
    /* Last made, first put back: a parent key goes once its children have. */
    for (int i = kConnectionKeys - 1; i >= 0; --i)
        keys[i].Restore();
    return prepared;
}

/* Whether the registry lists USERNAME last, as the case needs. */
bool UserNameIsLast()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kLogonKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    char name[128];
    DWORD nameSize = sizeof(name);
    const bool last = RegEnumValueA(key, kLogonValues - 1, name, &nameSize, nullptr, nullptr, nullptr, nullptr) ==
                          ERROR_SUCCESS &&
                      lstrcmpA(name, "USERNAME") == 0;
    RegCloseKey(key);
    return last;
}

bool RunUserName(Report &report, decltype(&ReadRegistry) read)
{
    ScratchKey logon;
    bool prepared = logon.Prepare(HKEY_LOCAL_MACHINE, kLogonKey);
    for (int i = 0; i < kLogonValues - 1 && prepared; ++i) {
        char name[16];
        wsprintfA(name, "BENCH%02d", i);
        prepared = logon.SetText(name, "x");
    }
    if (!prepared || !logon.SetText("USERNAME", "ALICE")) {
        Warn("cannot set up the 100 logon values");
        return false;
    }
    if (!UserNameIsLast())
        Warn("the registry does not list USERNAME last");
    TimeItem(report, "readregistry_item1_100_values_last", read, ItemUserName,
             [] { WalkValues(HKEY_LOCAL_MACHINE, kLogonKey); }, 0, "ALICE");
    return true;
}

} // namespace

bool RunRegistryCases(Report &report)
{
    LoadedLibrary service("QENREGIO.DLL");
    const auto read = RegistryServiceEntries(service).ReadRegistry;
    return Have(read != nullptr, "QENREGIO.DLL's ReadRegistry") && RunConnections(report, read) &&
           RunUserName(report, read);
}
