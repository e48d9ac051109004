/*
 * The subcommands that play the client's 16-bit side: its window that hears
 * of logons, its fetch of the credentials, and its registry service requests.
 * They go through the partner stand-ins, as the 16-bit side's calls do; the
 * stand-ins are loaded only here, so that the router subcommands also run
 * on a machine that has the product alone.
 */
#include "agent_process.h"
#include "child_process.h"
#include "inf_install.h"
#include "provider_settings.h"
#include "registry_values.h"
#include "console.h"
#include "registry_service.h"
#include "sixteen_bit.h"

#include "status_text.h"
#include "zorn1632.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr DWORD kNotifyMessage = 3000;
constexpr DWORD kLongestListen = 7 * 24 * 3600;
constexpr DWORD kNoPeer = 0xFFFFFFFFu; /* what a stand-in answers when its half is not connected */

/* The 16-bit stand-ins' 32-bit halves are in tools/common (zorn1632.h,
 * sixteen_bit.h): they call the 16-bit ZORN1632 and QENTHUNK. */
typedef DWORD (*RegistryRequestEntry)(SHORT op, SHORT item, LPSTR data, SHORT length, LPSTR name, LPSTR text);

/* The provider, which the 16-bit side talks to: its attach connects ZORN1632. */
struct SixteenBitSide {
    ConsoleLibrary provider{"ZORNET32.DLL"};
    bool Loaded() const { return provider.Loaded(); }
};

struct CatalogueName {
    const char *name;
    int item;
};

constexpr CatalogueName kItems[] = {
    {"username", 1}, {"agent", 2},       {"authenticatingagent", 2}, {"domains", 3},
    {"passwordcaching", 4}, {"fmshare", 5}, {"lmlogon", 6},     {"connections", 7},
    {"computername", 8}, {"msnp32", 9},
};

bool ParseItem(const std::string &text, int *item)
{
    for (const CatalogueName &entry : kItems)
        if (lstrcmpiA(entry.name, text.c_str()) == 0) {
            *item = entry.item;
            return true;
        }
    DWORD number = 0;
    /* The 16-bit side passes a 16-bit item number. */
    if (!ParseNumber(text, &number) || number > 0x7FFF)
        return false;
    *item = static_cast<int>(number);
    return true;
}

/* The text after a fixed-size field's start, up to its terminator or its end. */
std::string FieldString(const char *field, size_t size)
{
    size_t length = 0;
    while (length < size && field[length] != '\0')
        ++length;
    return std::string(field, length);
}

int ReadCatalogueItem(RegistryRequestEntry request, int item)
{
    /* Room for the largest answer, the connection table; zeroed so that the
     * end of the table shows (the service writes no count). */
    char data[kConnectionKeys * kConnectionEntrySize + 1] = {};
    const DWORD result = request(0, static_cast<SHORT>(item), data, sizeof(data), nullptr, nullptr);
    if (result == kNoPeer) {
        std::printf("the registry service is not connected\n");
        return ExitNoLibrary;
    }
    if (item == ItemPersistentConnections) {
        /* No connection at all answers the status of the last key looked at. */
        size_t count = 0;
        for (; count < kConnectionKeys && data[count * kConnectionEntrySize] != '\0'; ++count) {
            const char *entry = data + count * kConnectionEntrySize;
            std::printf("connection %-6s %s\n", FieldString(entry, kRemotePathOffset).c_str(),
                        FieldString(entry + kRemotePathOffset,
                                    kConnectionEntrySize - kRemotePathOffset).c_str());
        }
        std::printf("%u persistent connections\n", static_cast<unsigned>(count));
        return ReportStatus(result);
    }
    /* 2 and 3 are the service's own answers NO and YES when it wrote one. */
    if ((result == 2 && std::strcmp(data, "NO") == 0) || (result == 3 && std::strcmp(data, "YES") == 0)) {
        std::printf("result %lu: the answer is %s\n", result, data);
        return ExitSuccess;
    }
    if (result == 5) {
        std::printf("result 5: no such item to read\n");
        return ExitFailed;
    }
    if (result == 0)
        std::printf(data[0] != '\0' ? "value: %s\n" : "no value%s\n", data);
    return ReportStatus(result);
}

/* --count and --seconds of a subcommand that waits for notices; 0 when they
 * are good, otherwise the usage error's status. */
int ParseHowLong(const Arguments &args, const char *command, DWORD *count, DWORD *seconds)
{
    if ((args.Has("count") && !ParseNumber(args.Value("count"), count)) ||
        (args.Has("seconds") && !ParseNumber(args.Value("seconds"), seconds)))
        return UsageError(command, "--count and --seconds take a number");
    /* The wait is counted in milliseconds of a 32-bit tick count. */
    if (*seconds > kLongestListen)
        return UsageError(command, "--seconds takes at most " + std::to_string(kLongestListen));
    return 0;
}

} // namespace

int RunListen(const Arguments &args)
{
    DWORD count = 0, seconds = 0;
    if (const int usage = ParseHowLong(args, "listen", &count, &seconds))
        return usage;

    SixteenBitSide side;
    if (!side.Loaded())
        return ExitNoLibrary;
    const auto stopListening = Zorn1632StopListening;
    const auto notifications = Zorn1632Notifications;
    HWND window = Zorn1632Listen();
    if (window == nullptr) {
        std::printf("the 16-bit side could not register its window\n");
        return ExitFailed;
    }
    std::printf("listening: window %04X registered with the provider; waiting for message %lu\n",
                LOWORD(reinterpret_cast<ULONG_PTR>(window)), kNotifyMessage);
    /* A listener runs long beside other commands: each line leaves whole, at once. */
    std::fflush(stdout);

    const DWORD start = GetTickCount();
    DWORD heard = notifications(nullptr, nullptr, nullptr);
    const DWORD first = heard;
    while ((count == 0 || heard - first < count) && (seconds == 0 || GetTickCount() - start < seconds * 1000)) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 200, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        char user[100] = "", password[20] = "", newPassword[20] = "";
        const DWORD now = notifications(user, password, newPassword);
        if (now != heard) {
            heard = now;
            std::printf("message %lu: fetched user \"%s\", password \"%s\", new password \"%s\"\n",
                        kNotifyMessage, user, password, newPassword);
            std::fflush(stdout);
        }
    }
    stopListening();
    std::printf("%lu messages heard\n", heard - first);
    return ExitSuccess;
}

/* The network client's 16-bit program in a process of its own: its journal,
 * line by line, until it stops, --count notices came or --seconds passed. */
int RunAgent(const Arguments &args)
{
    DWORD count = 0, seconds = 0;
    if (const int usage = ParseHowLong(args, "agent", &count, &seconds))
        return usage;
    const std::string order = args.Has("order") ? args.Value("order") : "16";
    if (order != "16" && order != "32")
        return UsageError("agent", "--order takes 16 or 32");

    AgentProcess agent;
    std::string error;
    const bool registered = agent.Start(ProgramFolder(), order == "32" ? "/32" : "", 90000, &error);
    size_t shown = 0;
    const auto show = [&] {
        const std::vector<std::string> lines = agent.Lines();
        for (; shown < lines.size(); ++shown)
            std::printf("ZORAGENT.EXE: %s\n", lines[shown].c_str());
        std::fflush(stdout);
    };
    show();
    if (!registered) {
        std::printf("%s\n", error.c_str());
        return ExitNoLibrary;
    }
    const DWORD start = GetTickCount();
    while (agent.Running() && (count == 0 || static_cast<DWORD>(agent.Notices()) < count) &&
           (seconds == 0 || GetTickCount() - start < seconds * 1000)) {
        Sleep(50);
        show();
    }
    const bool stopped = agent.Stop(30000);
    show();
    std::printf("%d notices heard\n", agent.Notices());
    return stopped ? ExitSuccess : ExitFailed;
}

int RunCredentials(const Arguments &)
{
    SixteenBitSide side;
    if (!side.Loaded())
        return ExitNoLibrary;
    char user[100] = "", password[20] = "", newPassword[20] = "";
    const DWORD status = Zorn1632FetchCredentials(user, password, newPassword);
    if (status == kNoPeer) {
        std::printf("the provider is not connected to the 16-bit side\n");
        return ExitFailed;
    }
    std::printf("user \"%s\", password \"%s\", new password \"%s\"\n", user, password, newPassword);
    return ReportStatus(status);
}

int RunRegistry(const Arguments &args)
{
    const std::vector<std::string> &words = args.Positional();
    const std::string &operation = words[0];
    int item = 0;
    if (!ParseItem(words[1], &item))
        return UsageError("registry", "ITEM must be a catalogue name or a number up to 32767, not \"" +
                                          words[1] + "\"");
    size_t needed = operation == "read" ? 2 : operation == "set" ? 4 : operation == "delete" ? 3 : 0;
    if (needed == 0)
        return UsageError("registry", "the operation is read, set or delete, not \"" + operation + "\"");
    if (words.size() != needed)
        return UsageError("registry", "\"registry " + operation + "\" takes " + std::to_string(needed - 1) +
                                          " arguments");
    if (args.Has("user") && (operation != "set" || item != ItemPersistentConnections))
        return UsageError("registry", "--user is for \"registry set connections\"");
    for (const std::string &word : words)
        if (word.size() > 259)
            return UsageError("registry", "names and values take at most 259 characters");
    if (args.Value("user").size() > 259)
        return UsageError("registry", "--user takes at most 259 characters");

    ConsoleLibrary service("QENREGIO.DLL");
    if (!service.Loaded())
        return ExitNoLibrary;
    const RegistryRequestEntry request = QenthunkRequest;
    if (operation == "read")
        return ReadCatalogueItem(request, item);

    char name[260] = "", text[260] = "", user[260] = "";
    lstrcpynA(name, words[2].c_str(), sizeof(name));
    if (operation == "set")
        lstrcpynA(text, words[3].c_str(), sizeof(text));
    lstrcpynA(user, args.Value("user").c_str(), sizeof(user));
    const SHORT op = operation == "set" ? 1 : 2;
    const DWORD result = request(op, static_cast<SHORT>(item), user, 0, name, text);
    if (result == kNoPeer) {
        std::printf("the registry service is not connected\n");
        return ExitNoLibrary;
    }
    return ReportStatus(result);
}
