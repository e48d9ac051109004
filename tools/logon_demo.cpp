/*
 * The provider's main job, shown against the simulated network: load the
 * provider as the router does, let the 16-bit side register its window, log
 * users on silently, and print what reached the network and the 16-bit side.
 */
#include "shared_logon_record.h"
#include "simnet.h"
#include "zorn1632.h"

#include <cstdio>

namespace {

struct RouterLogonInfo {
    LPSTR userName;
    LPSTR password;
};
typedef DWORD (WINAPI *NPLogonEntry)(HWND owner, RouterLogonInfo *logon, RouterLogonInfo *previous,
                                     LPSTR script, DWORD scriptSize, DWORD flags);
constexpr DWORD kSilentLogon = 4;

/* The domain a previous interactive logon left in the registry. */
void RememberDomain(const char *domain)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\ZORNET32\\NetworkProvider", 0,
                      KEY_WRITE, &key) != ERROR_SUCCESS) {
        std::printf("the provider is not installed (apply provider/zornet32.reg)\n");
        return;
    }
    RegSetValueExA(key, "AuthenticatingAgent", 0, REG_SZ, reinterpret_cast<const BYTE *>(domain),
                   lstrlenA(domain) + 1);
    RegCloseKey(key);
}

const char *Describe(DWORD status)
{
    switch (status) {
    case 0:    return "logged on";
    case 5:    return "wrong password";
    case 520:  return "not logged on to the network";
    case 2202: return "no such user";
    case 2215: return "no domain server available";
    case 2241: return "access denied at this time";
    case 2242: return "password expired";
    default:   return "error";
    }
}

void PrintJournal(DWORD from)
{
    SimCall call;
    for (DWORD i = from; SimJournalEntry(i, &call); ++i) {
        if (call.source == SimMsnet32)
            std::printf("    MSNET32 #58  validate domain=\"%s\" user=\"%s\" password=\"%s\"%s\n",
                        call.text[0], call.text[1], call.text[2],
                        call.waitCursor ? "  (wait cursor shown)" : "");
        else if (call.source == SimTorvek && call.entry == SimLogon)
            std::printf("    TORVEK  Logon user=\"%s\" server=\"%s\" domain=\"%s\" value=%lu\n",
                        call.text[0], call.text[1], call.text[2], call.args[3]);
        else
            std::printf("    source %lu entry %ld\n", call.source, call.entry);
    }
}

/* Lets the 16-bit side's window handle what was posted to it. */
void DispatchPending()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
}

void Logon(NPLogonEntry logon, const char *user, const char *password, const char *domain)
{
    char userBuffer[100], passwordBuffer[20];
    lstrcpynA(userBuffer, user, sizeof(userBuffer));
    lstrcpynA(passwordBuffer, password, sizeof(passwordBuffer));
    RouterLogonInfo info = {userBuffer, passwordBuffer};
    RememberDomain(domain);

    std::printf("\nuser %s, password \"%s\", remembered domain %s:\n", user, password, domain);
    const DWORD from = SimJournalCount();
    const DWORD before = Zorn1632Notifications(nullptr, nullptr, nullptr);
    const DWORD status = logon(nullptr, &info, nullptr, nullptr, 0, kSilentLogon);
    PrintJournal(from);
    DispatchPending();
    char fetchedUser[100], fetchedPassword[20], fetchedNew[20];
    const DWORD notified = Zorn1632Notifications(fetchedUser, fetchedPassword, fetchedNew) - before;
    std::printf("  NPLogon returned %lu (%s)\n", status, Describe(status));
    if (notified != 0)
        std::printf("  the 16-bit side was told and fetched user \"%s\", password \"%s\"\n", fetchedUser,
                    fetchedPassword);
    else
        std::printf("  the 16-bit side was not told\n");
}

} // namespace

int main()
{
    SimReset();

    HMODULE provider = LoadLibraryA("ZORNET32.DLL");
    if (provider == nullptr) {
        std::printf("ZORNET32.DLL did not load (error %lu)\n", GetLastError());
        return 1;
    }
    auto logon = reinterpret_cast<NPLogonEntry>(GetProcAddress(provider, MAKEINTRESOURCEA(43)));
    std::printf("ZORNET32.DLL loaded as the router loads it; silent logons through NPLogon (ordinal 43)\n");

    /* The 16-bit side registers the window that hears of logons. */
    HWND window = Zorn1632Listen();
    std::printf("the 16-bit side registered window %04X through ZORN1632\n",
                LOWORD(reinterpret_cast<ULONG_PTR>(window)));

    Logon(logon, "alice", "secret", "zordom");
    Logon(logon, "alice", "guess", "zordom");
    Logon(logon, "bob", "oldpass", "zordom");
    Logon(logon, "alice", "secret", "nodom");

    char loggedOn[32] = "(nobody)";
    SimLoggedOnUser(loggedOn, sizeof(loggedOn));
    std::printf("\nlogged on at the client: %s\n", loggedOn);

    Zorn1632StopListening();
    FreeLibrary(provider);
    return 0;
}
