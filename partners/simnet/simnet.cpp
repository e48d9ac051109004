/*
 * The simulated network: its configuration from simnet.ini, its state (who is
 * logged on, passwords changed), forced results and the journal of calls, all
 * in one named block that every process shares. Calls are not locked: the
 * tests run one at a time.
 */
#define SIMNET_BUILD
#include "simnet.h"

#include <algorithm>
#include <cstring>

namespace {

enum UserState : DWORD { UserActive = 0, UserExpired = 1, UserDenied = 2 };

struct SimUser {
    char  domain[32];
    char  name[32];
    char  password[32];
    DWORD state;
};

constexpr DWORD kMaxUsers = 16;
constexpr DWORD kMaxJournal = 128;

struct SimState {
    DWORD   initialised;
    char    validatingServer[1024];
    BOOL    validatorNamesNoServer;
    char    logonServer[64];
    char    homeDirectory[MAX_PATH];
    DWORD   userCount;
    SimUser users[kMaxUsers];
    BOOL    forcedSet[SimForcedCount];
    LONG    forcedValue[SimForcedCount];
    char    loggedOnUser[32];
    DWORD   journalCount;
    SimCall journal[kMaxJournal];
};

HINSTANCE module;
HANDLE mapping;
SimState *state;

void Copy(char *dest, size_t size, const char *text)
{
    lstrcpynA(dest, text, static_cast<int>(size));
}

void ConfigPath(char (&path)[MAX_PATH])
{
    DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    while (length > 0 && path[length - 1] != '\\' && path[length - 1] != '/')
        --length;
    path[length] = '\0';
    lstrcatA(path, "simnet.ini");
}

void ParseUser(const char *line)
{
    /* DOMAIN\USER=PASSWORD[,expired|,denied] */
    const char *slash = std::strchr(line, '\\');
    const char *equals = std::strchr(line, '=');
    if (slash == nullptr || equals == nullptr || slash > equals || state->userCount == kMaxUsers)
        return;
    SimUser &user = state->users[state->userCount++];
    ZeroMemory(&user, sizeof(user));
    Copy(user.domain, std::min<size_t>(sizeof(user.domain), slash - line + 1), line);
    Copy(user.name, std::min<size_t>(sizeof(user.name), equals - slash), slash + 1);
    const char *password = equals + 1;
    const char *comma = std::strchr(password, ',');
    if (comma == nullptr) {
        Copy(user.password, sizeof(user.password), password);
        return;
    }
    Copy(user.password, std::min<size_t>(sizeof(user.password), comma - password + 1), password);
    if (lstrcmpiA(comma + 1, "expired") == 0)
        user.state = UserExpired;
    else if (lstrcmpiA(comma + 1, "denied") == 0)
        user.state = UserDenied;
}

void LoadConfiguration()
{
    char path[MAX_PATH];
    ConfigPath(path);
    ZeroMemory(state, sizeof(*state));
    GetPrivateProfileStringA("network", "ValidatingServer", "", state->validatingServer,
                             sizeof(state->validatingServer), path);
    GetPrivateProfileStringA("network", "LogonServer", "", state->logonServer,
                             sizeof(state->logonServer), path);
    GetPrivateProfileStringA("network", "HomeDirectory", "", state->homeDirectory,
                             sizeof(state->homeDirectory), path);
    static char section[4096];
    DWORD length = GetPrivateProfileSectionA("users", section, sizeof(section), path);
    for (const char *line = section; line < section + length && *line; line += lstrlenA(line) + 1)
        ParseUser(line);
    state->initialised = 1;
}

SimUser *FindUser(LPCSTR domain, LPCSTR name)
{
    for (DWORD i = 0; i < state->userCount; ++i) {
        SimUser &user = state->users[i];
        if (lstrcmpiA(user.domain, domain ? domain : "") == 0 &&
            lstrcmpiA(user.name, name ? name : "") == 0)
            return &user;
    }
    return nullptr;
}

bool DomainKnown(LPCSTR domain)
{
    for (DWORD i = 0; i < state->userCount; ++i)
        if (lstrcmpiA(state->users[i].domain, domain ? domain : "") == 0)
            return true;
    return false;
}

bool SamePassword(const SimUser &user, LPCSTR password)
{
    return password != nullptr && std::strcmp(user.password, password) == 0;
}

} // namespace

extern "C" {

void SimReset(void)
{
    LoadConfiguration();
}

void SimForce(int what, LONG value)
{
    if (what < 0 || what >= SimForcedCount)
        return;
    state->forcedSet[what] = TRUE;
    state->forcedValue[what] = value;
}

BOOL SimForced(int what, LONG *value)
{
    if (what < 0 || what >= SimForcedCount || !state->forcedSet[what])
        return FALSE;
    *value = state->forcedValue[what];
    return TRUE;
}

void SimSetValidatingServer(LPCSTR name)
{
    state->validatorNamesNoServer = name == nullptr;
    Copy(state->validatingServer, sizeof(state->validatingServer), name ? name : "");
}

void SimSetLogonServer(LPCSTR name)
{
    Copy(state->logonServer, sizeof(state->logonServer), name ? name : "");
}

void SimRecord(const SimCall *call)
{
    if (state->journalCount < kMaxJournal)
        state->journal[state->journalCount++] = *call;
}

DWORD SimJournalCount(void)
{
    return state->journalCount;
}

BOOL SimJournalEntry(DWORD index, SimCall *call)
{
    if (index >= state->journalCount)
        return FALSE;
    *call = state->journal[index];
    return TRUE;
}

BOOL SimLoggedOnUser(LPSTR user, DWORD size)
{
    if (state->loggedOnUser[0] == '\0')
        return FALSE;
    Copy(user, size, state->loggedOnUser);
    return TRUE;
}

LPCSTR SimValidatingServer(void)
{
    return state->validatorNamesNoServer ? nullptr : state->validatingServer;
}

/* Status values a validation answers with. */
DWORD SimValidate(LPCSTR domain, LPCSTR user, LPCSTR password, LPCSTR *server)
{
    *server = nullptr;
    if (!DomainKnown(domain))
        return 2215;  /* no domain server answers for this domain */
    SimUser *account = FindUser(domain, user);
    if (account == nullptr)
        return 2202;  /* no such user */
    if (!SamePassword(*account, password))
        return 5;     /* wrong password */
    if (account->state == UserDenied)
        return 2241;  /* not allowed to log on now */
    if (account->state == UserExpired)
        return 2242;  /* password expired */
    *server = SimValidatingServer();
    return 0;
}

DWORD SimClientLogon(LPCSTR user, LPCSTR /*domain*/)
{
    Copy(state->loggedOnUser, sizeof(state->loggedOnUser), user ? user : "");
    return 0;
}

DWORD SimClientLogoff(void)
{
    if (state->loggedOnUser[0] == '\0')
        return 2201;  /* nobody is logged on */
    state->loggedOnUser[0] = '\0';
    return 0;
}

DWORD SimClientChangePassword(LPCSTR user, LPCSTR oldPassword, LPCSTR newPassword, LPCSTR domain)
{
    if (!DomainKnown(domain))
        return 53;    /* the domain's server cannot be found */
    SimUser *account = FindUser(domain, user);
    if (account == nullptr)
        return 2221;  /* no such user */
    if (!SamePassword(*account, oldPassword))
        return 86;    /* the old password is wrong */
    if (newPassword == nullptr || lstrlenA(newPassword) < 3)
        return 2245;  /* too short */
    if (std::strcmp(account->password, newPassword) == 0)
        return 2244;  /* used before */
    Copy(account->password, sizeof(account->password), newPassword);
    account->state = UserActive;
    return 0;
}

DWORD SimClientLogonServer(LPSTR buffer, DWORD size)
{
    Copy(buffer, size, state->logonServer);
    return 0;
}

DWORD SimClientHomeDirectory(LPSTR buffer)
{
    lstrcpyA(buffer, state->homeDirectory);
    return 0;
}

} // extern "C"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/)
{
    if (reason == DLL_PROCESS_ATTACH) {
        module = instance;
        mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                     sizeof(SimState), "ZorSimulatedNetwork");
        if (mapping == nullptr)
            return FALSE;
        const bool created = GetLastError() != ERROR_ALREADY_EXISTS;
        state = static_cast<SimState *>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
        if (state == nullptr)
            return FALSE;
        if (created || !state->initialised)
            LoadConfiguration();
    } else if (reason == DLL_PROCESS_DETACH) {
        UnmapViewOfFile(state);
        CloseHandle(mapping);
    }
    return TRUE;
}
