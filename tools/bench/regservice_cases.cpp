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
#include "registry_service.h"
#include "scratch_key.h"

namespace {

constexpr int  kLogonValues = 100;

struct ReadCase {
    decltype(&ReadRegistry) read;
    int       item;
    char      paths[kConnectionKeys][32];
    char      data[2048];
};

void CallRead(void *context)
{
    ReadCase *c = static_cast<ReadCase *>(context);
    c->read(c->item, c->data, sizeof(c->data));
}

void WalkConnections(void *context)
{
    ReadCase *c = static_cast<ReadCase *>(context);
    for (int i = 0; i < kConnectionKeys; ++i)
        WalkValues(HKEY_CURRENT_USER, c->paths[i]);
}

void WalkLogon(void * /*context*/)
{
    WalkValues(HKEY_LOCAL_MACHINE, kLogonKey);
}

/* The local name of a connection key's position, without its ":". */
void DeviceName(int position, char (&name)[8])
{
    if (position < kDriveKeys)
        wsprintfA(name, "%c", 'A' + position);
    else
        wsprintfA(name, "LPT%d", 1 + position - kDriveKeys);
}

bool RunConnections(Report &report, ReadCase &c)
{
    ScratchKey keys[kConnectionKeys];
    bool prepared = true;
    for (int i = 0; i < kConnectionKeys && prepared; ++i) {
        char device[8], remote[32];
        DeviceName(i, device);
        wsprintfA(c.paths[i], "NETWORK\\PERSISTENT\\%s", device);
        wsprintfA(remote, "\\\\ZORSRV1\\SHARE%s", device);
        prepared = keys[i].Prepare(HKEY_CURRENT_USER, c.paths[i]) && keys[i].SetText("RemotePath", remote);
    }
    if (prepared) {
        c.item = 7;
        ZeroMemory(c.data, sizeof(c.data));
        const LONG result = c.read(c.item, c.data, sizeof(c.data));
        if (result != 0 || lstrcmpA(c.data + (kConnectionKeys - 1) * kConnectionEntrySize, "LPT9:") != 0)
            Warn("ReadRegistry item 7 did not list all 35 connections (result %ld)", result);
        report.Timing(Compare("readregistry_item7_35_connections", CallRead, WalkConnections, &c));
    } else {
        Warn("cannot set up the 35 connection keys");
    }
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
    const bool last = RegEnumValueA(key, kLogonValues - 1, name, &nameSize, nullptr, nullptr, nullptr,
                                    nullptr) == ERROR_SUCCESS &&
                      lstrcmpA(name, "USERNAME") == 0;
    RegCloseKey(key);
    return last;
}

bool RunUserName(Report &report, ReadCase &c)
{
    ScratchKey logon;
    bool prepared = logon.Prepare(HKEY_LOCAL_MACHINE, kLogonKey);
    for (int i = 0; i < kLogonValues - 1 && prepared; ++i) {
        char name[16];
        wsprintfA(name, "BENCH%02d", i);
        prepared = logon.SetText(name, "x");
    }
    prepared = prepared && logon.SetText("USERNAME", "ALICE");
    if (!prepared) {
        Warn("cannot set up the 100 logon values");
        return false;
    }
    if (!UserNameIsLast())
        Warn("the registry does not list USERNAME last");
    c.item = 1;
    ZeroMemory(c.data, sizeof(c.data));
    if (c.read(c.item, c.data, sizeof(c.data)) != 0 || lstrcmpA(c.data, "ALICE") != 0)
        Warn("ReadRegistry item 1 did not find USERNAME");
    report.Timing(Compare("readregistry_item1_100_values_last", CallRead, WalkLogon, &c));
    logon.Restore();
    return true;
}

} // namespace

bool RunRegistryCases(Report &report)
{
    HMODULE service = LoadLibraryA("QENREGIO.DLL");
    if (service == nullptr) {
        Warn("cannot load QENREGIO.DLL (error %lu)", GetLastError());
        return false;
    }
    static ReadCase c;
    c.read = RegistryServiceEntries(service).ReadRegistry;
    bool complete = c.read != nullptr;
    if (!complete)
        Warn("ReadRegistry is missing");
    complete = complete && RunConnections(report, c) && RunUserName(report, c);
    FreeLibrary(service);
    return complete;
}
