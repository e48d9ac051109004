/*
 * fuzz.exe: what callers and the machine can hand the DLLs, at random, with
 * every buffer handed in ending right before a no-access page (and filled
 * with a canary first), so that a byte written or read past a declared
 * buffer faults at once. Batches run in child processes: a fault is counted
 * with the batch's seed, which replays it.
 *
 *   fuzz.exe [--seconds S] [--inputs N] [--seed X]   run batches until S seconds or N inputs
 *   fuzz.exe --batch SEED COUNT                      one batch, as a child does (replay)
 *
 * Inputs: ReadRegistry of every item number from -2 to 12 into a buffer of
 * the item's documented room (4 bytes for the yes/no items); the values it
 * reads, set at random (every registry type, 0 to 64 KiB, odd names, a key
 * where a value is expected); WriteRegistry with every operation and item
 * and names and texts up to their bounds; NPGetHomeDirectory and
 * NPGetPolicyPath with buffers and sizes at and around their bounds; and the
 * shared block filled with bytes and no terminators before
 * QENGetUseridPassword. The parent saves NETWORK\LOGON first and puts it back
 * at the end.
 */
#include "child_process.h"
#include "loaded_library.h"
#include "scratch_key.h"
#include "shared_block_view.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr DWORD kBatchInputs = 2000;
constexpr DWORD kBatchMs = 600000;

/* A small, fixed generator: a seed replays a batch exactly. */
class Random {
public:
    explicit Random(unsigned seed) : state_(seed * 2654435761u + 1u) {}
    unsigned Next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    unsigned Below(unsigned bound) { return bound == 0 ? 0 : Next() % bound; }
    /* Mostly small, now and then up to the bound. */
    unsigned Length(unsigned bound) { return Below(4) == 0 ? Below(bound + 1) : Below(bound < 64 ? bound + 1 : 64); }

private:
    unsigned state_;
};

/* A buffer of size bytes whose last byte sits right before a no-access page. */
class Guarded {
public:
    explicit Guarded(DWORD size)
    {
        const DWORD pages = (size + 4095) / 4096 + 1;
        base_ = static_cast<BYTE *>(VirtualAlloc(nullptr, pages * 4096, MEM_COMMIT, PAGE_READWRITE));
        DWORD old;
        VirtualProtect(base_ + (pages - 1) * 4096, 4096, PAGE_NOACCESS, &old);
        data_ = reinterpret_cast<char *>(base_ + (pages - 1) * 4096 - size);
        std::memset(data_, 0xCD, size);
    }
    ~Guarded() { VirtualFree(base_, 0, MEM_RELEASE); }
    Guarded(const Guarded &) = delete;
    Guarded &operator=(const Guarded &) = delete;
    char *Data() const { return data_; }

private:
    BYTE *base_ = nullptr;
    char *data_ = nullptr;
};

DWORD ItemRoom(int item)
{
    if (item >= ItemPasswordCaching && item <= ItemLmLogon)
        return kYesNoRoom;
    return item == ItemPersistentConnections ? kConnectionsRoom : kTextRoom;
}

const char *const kValueNames[] = {"USERNAME", "username", "DOMAINS", "PASSWORDCACHING", "FMSHARE",
                                   "LMLOGON", "COMPUTERNAME", "X", "USERNAMEX", ""};

void SetRandomValue(Random &random)
{
    HKEY key;
    if (RegCreateKeyA(HKEY_LOCAL_MACHINE, kLogonKey, &key) != ERROR_SUCCESS)
        return;
    const char *name = kValueNames[random.Below(sizeof(kValueNames) / sizeof(kValueNames[0]))];
    if (random.Below(16) == 0) { /* a key where a value is expected */
        HKEY sub;
        if (RegCreateKeyA(key, name[0] ? name : "K", &sub) == ERROR_SUCCESS)
            RegCloseKey(sub);
    } else {
        static BYTE data[65536];
        const DWORD length = random.Length(sizeof(data));
        for (DWORD i = 0; i < length; ++i)
            data[i] = static_cast<BYTE>(random.Below(3) == 0 ? 0 : 'A' + random.Below(60));
        const DWORD types[] = {REG_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ, REG_EXPAND_SZ, REG_NONE, 77};
        RegSetValueExA(key, name, 0, types[random.Below(7)], data, length);
    }
    RegCloseKey(key);
}

/* A text of length characters and its terminator, in a guarded buffer. */
void FillText(Random &random, char *text, DWORD length)
{
    for (DWORD i = 0; i < length; ++i)
        text[i] = static_cast<char>(" :ABCDEFGHIJKLMNOPQRSTUVWXYZ\\\\"[random.Below(30)]);
    text[length] = '\0';
}

void DeleteSubkeys(const char *path)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    char name[MAX_PATH];
    while (RegEnumKeyA(key, 0, name, sizeof(name)) == ERROR_SUCCESS)
        if (RegDeleteKeyA(key, name) != ERROR_SUCCESS)
            break;
    RegCloseKey(key);
}

int Batch(unsigned seed, DWORD count)
{
    /* Every batch starts from an empty NETWORK\LOGON and leaves it as it was:
     * what one batch wrote would otherwise pile up and slow every later one,
     * and a batch replayed alone would not see what it saw in the run. */
    ScratchKey logon;
    if (!logon.Prepare(HKEY_LOCAL_MACHINE, kLogonKey)) {
        std::printf("cannot save %s\n", kLogonKey);
        return 3;
    }
    const RegistryServiceEntries service(LoadLibraryA("QENREGIO.DLL"));
    const ProviderEntries provider(LoadLibraryA("ZORNET32.DLL"));
    const SharedBlockView block;
    SharedLogonRecord *record = block.Record();
    if (!service.found || !provider.found || record == nullptr) {
        std::printf("the registry service, the provider or one of their entries is missing\n");
        return 3;
    }

    Random random(seed);
    for (DWORD input = 0; input < count; ++input) {
        switch (random.Below(6)) {
        case 0:
            SetRandomValue(random);
            break;
        case 1:
        case 2: {
            const int item = static_cast<int>(random.Below(15)) - 2;
            Guarded data(ItemRoom(item));
            service.ReadRegistry(item, data.Data(), static_cast<int>(random.Next()));
            break;
        }
        case 3: { /* writes into NETWORK\LOGON only: items 1, 3 to 6 */
            const int items[] = {ItemUserName, ItemDomains, ItemPasswordCaching, ItemFmShare, ItemLmLogon, -1, 0,
                                 ItemMsnp32Provider};
            const int ops[] = {SetItem, DeleteItem, ReadItem, 3, -1};
            const DWORD nameLength = random.Length(20), textLength = random.Length(259);
            Guarded name(nameLength + 1), text(textLength + 1), data(16);
            FillText(random, name.Data(), nameLength);
            FillText(random, text.Data(), textLength);
            service.WriteRegistry(ops[random.Below(5)], items[random.Below(8)], data.Data(), name.Data(),
                                  text.Data());
            break;
        }
        case 4: {
            const DWORD size = random.Length(300);
            Guarded buffer(size ? size : 1);
            DWORD declared = size;
            if (random.Below(2) == 0)
                provider.NPGetHomeDirectory(buffer.Data(), &declared);
            else
                provider.NPGetPolicyPath(buffer.Data(), &declared, random.Below(2));
            break;
        }
        default: {
            BYTE *bytes = reinterpret_cast<BYTE *>(record);
            for (DWORD i = 0; i < offsetof(SharedLogonRecord, notifyWindow); ++i)
                bytes[i] = static_cast<BYTE>(random.Below(2) ? 'A' + random.Below(26) : random.Next());
            Guarded user(100), password(20), newPassword(20);
            provider.QENGetUseridPassword(user.Data(), password.Data(), newPassword.Data());
            break;
        }
        }
    }
    std::memset(record, 0, offsetof(SharedLogonRecord, notifyWindow));
    DeleteSubkeys(kLogonKey);
    logon.Restore();
    return 0;
}

/* Runs one batch in a child process; returns its exit code (an exception code when it faulted). */
DWORD RunBatch(unsigned seed, DWORD count)
{
    char arguments[64];
    wsprintfA(arguments, "--batch %u %lu", seed, count);
    return RunProgram(ProgramCommand("fuzz.exe", arguments), "", nullptr, kBatchMs, 1);
}

int Parent(DWORD seconds, DWORD inputs, unsigned seed)
{
    std::printf("fuzz: seed %u, %s %lu\n", seed, inputs ? "inputs" : "seconds", inputs ? inputs : seconds);
    std::fflush(stdout);
    ScratchKey logon;
    if (!logon.Prepare(HKEY_LOCAL_MACHINE, kLogonKey)) {
        std::printf("fuzz: cannot save %s\n", kLogonKey);
        return 1;
    }
    /* The shared block lives while this process maps it: the batches share it. */
    LoadedLibrary keep("ZORNET32.DLL");
    unsigned long done = 0, crashes = 0;
    const DWORD start = GetTickCount();
    DWORD lastReport = start;
    for (unsigned batch = seed;; ++batch) {
        if (inputs ? done >= inputs : GetTickCount() - start >= seconds * 1000)
            break;
        if (GetTickCount() - lastReport >= 60000) { /* a long run says how far it got */
            lastReport = GetTickCount();
            std::printf("fuzz: %lu inputs after %lu s, %lu crashes\n", done, (lastReport - start) / 1000, crashes);
            std::fflush(stdout);
        }
        const DWORD exitCode = RunBatch(batch, kBatchInputs);
        done += kBatchInputs; /* a batch that crashed counts as run: a run of N inputs ends */
        if (exitCode != 0) {
            ++crashes;
            std::printf("fuzz: batch %u ended with %08lX: replay with fuzz.exe --batch %u %lu\n", batch, exitCode, batch,
                        kBatchInputs);
        }
    }
    const double elapsed = (GetTickCount() - start) / 1000.0;
    DeleteSubkeys(kLogonKey);
    logon.Restore();
    std::printf("fuzz: seed %u: %lu inputs in %.0f s (%.0f per second), %lu crashes\n", seed, done, elapsed,
                elapsed > 0 ? done / elapsed : 0.0, crashes);
    return crashes == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--batch") == 0)
        return Batch(static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)),
                     static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10)));
    DWORD seconds = 60, inputs = 0;
    unsigned seed = GetTickCount();
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--seconds") == 0)
            seconds = static_cast<DWORD>(std::strtoul(argv[i + 1], nullptr, 10));
        else if (std::strcmp(argv[i], "--inputs") == 0)
            inputs = static_cast<DWORD>(std::strtoul(argv[i + 1], nullptr, 10));
        else if (std::strcmp(argv[i], "--seed") == 0)
            seed = static_cast<unsigned>(std::strtoul(argv[i + 1], nullptr, 10));
        else {
            std::fprintf(stderr, "usage: fuzz.exe [--seconds S] [--inputs N] [--seed X] | --batch SEED COUNT\n");
            return 2;
        }
    }
    return Parent(seconds, inputs, seed);
}
