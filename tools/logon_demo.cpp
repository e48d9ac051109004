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

typedef DWORD (WINAPI *DomainLogonEntry)(LPSTR userName, LPSTR password, LPSTR domain, DWORD flag);

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

int CountNotifications(HWND window)
{
    int count = 0;
    MSG message;
    while (PeekMessageA(&message, window, kLogonNotifyMessage, kLogonNotifyMessage, PM_REMOVE))
        ++count;
    return count;
}

void Logon(DomainLogonEntry domainLogon, HWND window, const char *user, const char *password,
           const char *domain)
{
    char userBuffer[100], passwordBuffer[20], domainBuffer[64];
    lstrcpynA(userBuffer, user, sizeof(userBuffer));
    lstrcpynA(passwordBuffer, password, sizeof(passwordBuffer));
    lstrcpynA(domainBuffer, domain, sizeof(domainBuffer));

    std::printf("\n%s\\%s, password \"%s\":\n", domain, user, password);
    const DWORD from = SimJournalCount();
    const DWORD status = domainLogon(userBuffer, passwordBuffer, domainBuffer, 1);
    PrintJournal(from);
    std::printf("  DomainLogon returned %lu (%s); the 16-bit side was notified %d time(s)\n", status,
                Describe(status), CountNotifications(window));
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
    auto domainLogon = reinterpret_cast<DomainLogonEntry>(GetProcAddress(provider, MAKEINTRESOURCEA(100)));
    std::printf("ZORNET32.DLL loaded; DomainLogon is ordinal 100\n");

    /* The 16-bit side registers the window that hears of logons. */
    HWND window = CreateWindowA("STATIC", "16-bit side", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    Zorn1632RegisterWindow(LOWORD(reinterpret_cast<ULONG_PTR>(window)));
    std::printf("the 16-bit side registered window %04X through ZORN1632\n",
                LOWORD(reinterpret_cast<ULONG_PTR>(window)));

    Logon(domainLogon, window, "alice", "secret", "zordom");
    Logon(domainLogon, window, "alice", "guess", "zordom");
    Logon(domainLogon, window, "bob", "oldpass", "zordom");
    Logon(domainLogon, window, "alice", "secret", "nodom");

    char user[100] = "", password[20] = "", newPassword[20] = "";
    Zorn1632FetchCredentials(user, password, newPassword);
    char loggedOn[32] = "(nobody)";
    SimLoggedOnUser(loggedOn, sizeof(loggedOn));
    std::printf("\nlogged on at the client: %s\n", loggedOn);

    DestroyWindow(window);
    FreeLibrary(provider);
    return 0;
}
