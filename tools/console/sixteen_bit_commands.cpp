/*
 * The subcommands that play the client's 16-bit side: its window that hears
 * of logons, its fetch of the credentials, and its registry service requests.
 * They go through the partner stand-ins, as the 16-bit side's calls do; the
 * stand-ins are loaded only here, so that the router subcommands also run
 * on a machine that has the product alone.
 */
#include "console.h"

#include "client_session.h"
#include "shared_logon_record.h"
#include "zorn1632.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr DWORD kLongestListen = 7 * 24 * 3600;

/* The credentials as the 16-bit side fetches them, as large as the shared block's fields. */
struct Credentials {
    char user[sizeof(SharedLogonRecord::userName)] = "";
    char password[sizeof(SharedLogonRecord::password)] = "";
    char newPassword[sizeof(SharedLogonRecord::newPassword)] = "";

    void Print(const char *before) const
    {
        std::printf("%suser \"%s\", password \"%s\", new password \"%s\"\n", before, user, password, newPassword);
    }
};

struct CatalogueName {
    const char *name;
    CatalogueItem item;
};

constexpr CatalogueName kItems[] = {
    {"username", ItemUserName},          {"agent", ItemAuthenticatingAgent},
    {"authenticatingagent", ItemAuthenticatingAgent}, {"domains", ItemDomains},
    {"passwordcaching", ItemPasswordCaching}, {"fmshare", ItemFmShare},
    {"lmlogon", ItemLmLogon},            {"connections", ItemPersistentConnections},
    {"computername", ItemComputerName},  {"msnp32", ItemMsnp32Provider},
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

int ServiceNotConnected()
{
    std::printf("the registry service is not connected\n");
    return ExitNoLibrary;
}

int PrintConnections()
{
    std::vector<Connection> connections;
    const DWORD result = ReadConnections(&connections);
    if (result == kNoSixteenBitSide)
        return ServiceNotConnected();
    for (const Connection &connection : connections)
        std::printf("connection %-6s %s\n", connection.device.c_str(), connection.remote.c_str());
    /* No connection at all answers the status of the last key looked at. */
    std::printf("%u persistent connections\n", static_cast<unsigned>(connections.size()));
    return ReportStatus(result);
}

int ReadCatalogueItem(int item)
{
    if (item == ItemPersistentConnections)
        return PrintConnections();
    /* Room for the largest answer, the connection table, zeroed. */
    char data[kConnectionsRoom + 1] = {};
    const DWORD result = QenthunkRequest(ReadItem, static_cast<SHORT>(item), data, sizeof(data), nullptr, nullptr);
    if (result == kNoSixteenBitSide)
        return ServiceNotConnected();
    /* The service's own answers NO and YES, when it wrote one. */
    if ((result == ResultNo && std::strcmp(data, "NO") == 0) || (result == ResultYes && std::strcmp(data, "YES") == 0)) {
        std::printf("result %lu: the answer is %s\n", result, data);
        return ExitSuccess;
    }
    if (result == ResultBadRequest) {
        std::printf("result %lu: no such item to read\n", result);
        return ExitFailed;
    }
    if (result == 0)
        std::printf(data[0] != '\0' ? "value: %s\n" : "no value%s\n", data);
    return ReportStatus(result);
}

int WriteCatalogueItem(RegistryOperation operation, int item, const std::vector<std::string> &words,
                       const std::string &userName)
{
    char name[260] = "", text[260] = "", user[260] = "";
    lstrcpynA(name, words[2].c_str(), sizeof(name));
    if (operation == SetItem)
        lstrcpynA(text, words[3].c_str(), sizeof(text));
    lstrcpynA(user, userName.c_str(), sizeof(user));
    const DWORD result = QenthunkRequest(operation, static_cast<SHORT>(item), user, 0, name, text);
    return result == kNoSixteenBitSide ? ServiceNotConnected() : ReportStatus(result);
}

/* How long a subcommand waits for notices: until count came or seconds
 * passed since start, 0 for no limit. */
struct HowLong {
    DWORD count = 0, seconds = 0, start = 0;
    bool GoesOn(DWORD heard) const
    {
        return (count == 0 || heard < count) && (seconds == 0 || GetTickCount() - start < seconds * 1000);
    }
};

/* --count and --seconds; 0 when they are good, otherwise the usage error's status. */
int ParseHowLong(const Arguments &args, const char *command, HowLong *howLong)
{
    if ((args.Has("count") && !ParseNumber(args.Value("count"), &howLong->count)) ||
        (args.Has("seconds") && !ParseNumber(args.Value("seconds"), &howLong->seconds)))
        return UsageError(command, "--count and --seconds take a number");
    /* The wait is counted in milliseconds of a 32-bit tick count. */
    if (howLong->seconds > kLongestListen)
        return UsageError(command, "--seconds takes at most " + std::to_string(kLongestListen));
    return 0;
}

int RunListen(const Arguments &args)
{
    HowLong howLong;
    if (const int usage = ParseHowLong(args, "listen", &howLong))
        return usage;
    /* The provider's attach connects ZORN1632's thunk. */
    ConsoleLibrary provider(kProviderLibrary);
    if (!provider.Loaded())
        return ExitNoLibrary;
    HWND window = Zorn1632Listen();
    if (window == nullptr) {
        std::printf("the 16-bit side could not register its window\n");
        return ExitFailed;
    }
    std::printf("listening: window %04X registered with the provider; waiting for message %u\n",
                LOWORD(reinterpret_cast<ULONG_PTR>(window)), kLogonNotifyMessage);
    /* A listener runs long beside other commands: each line leaves whole, at once. */
    std::fflush(stdout);

    howLong.start = GetTickCount();
    const DWORD first = Zorn1632Notifications(nullptr, nullptr, nullptr);
    DWORD heard = first;
    while (howLong.GoesOn(heard - first)) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 200, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        Credentials fetched;
        const DWORD now = Zorn1632Notifications(fetched.user, fetched.password, fetched.newPassword);
        if (now != heard) {
            heard = now;
            fetched.Print(("message " + std::to_string(kLogonNotifyMessage) + ": fetched ").c_str());
            std::fflush(stdout);
        }
    }
    Zorn1632StopListening();
    std::printf("%lu messages heard\n", heard - first);
    return ExitSuccess;
}

/* The network client's 16-bit program in a process of its own: its journal,
 * line by line, until it stops, --count notices came or --seconds passed. */
int RunAgent(const Arguments &args)
{
    HowLong howLong;
    if (const int usage = ParseHowLong(args, "agent", &howLong))
        return usage;
    const std::string order = args.Value("order", "16");
    if (order != "16" && order != "32")
        return UsageError("agent", "--order takes 16 or 32");

    PrintedAgent agent("ZORAGENT.EXE: ");
    std::string error;
    if (!agent.Start(order == "32" ? "/32" : "", &error)) {
        std::printf("%s\n", error.c_str());
        return ExitNoLibrary;
    }
    howLong.start = GetTickCount();
    while (agent.Running() && howLong.GoesOn(agent.Notices())) {
        Sleep(50);
        agent.PrintNewLines();
    }
    const bool stopped = agent.Stop(30000);
    agent.PrintNewLines();
    std::printf("%d notices heard\n", agent.Notices());
    return stopped ? ExitSuccess : ExitFailed;
}

int RunCredentials(const Arguments &)
{
    ConsoleLibrary provider(kProviderLibrary);
    if (!provider.Loaded())
        return ExitNoLibrary;
    Credentials fetched;
    const DWORD status = Zorn1632FetchCredentials(fetched.user, fetched.password, fetched.newPassword);
    if (status == kNoSixteenBitSide) {
        std::printf("the provider is not connected to the 16-bit side\n");
        return ExitFailed;
    }
    fetched.Print("");
    return ReportStatus(status);
}

int RunRegistry(const Arguments &args)
{
    const std::vector<std::string> &words = args.positional;
    const std::string &operation = words[0];
    int item = 0;
    if (!ParseItem(words[1], &item))
        return UsageError("registry", "ITEM must be a catalogue name or a number up to 32767, not \"" +
                                          words[1] + "\"");
    const size_t needed = operation == "read" ? 2 : operation == "set" ? 4 : operation == "delete" ? 3 : 0;
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
    if (operation == "read")
        return ReadCatalogueItem(item);
    return WriteCatalogueItem(operation == "set" ? SetItem : DeleteItem, item, words, args.Value("user"));
}

} // namespace

const std::vector<Subcommand> kSixteenBitSubcommands = {
    {"listen", "listen [--count N] [--seconds N]",
     "be the 16-bit side: register a window and print each message 3000", {"count", "seconds"}, 0, 0,
     RunListen,
     "Runs until N messages arrived or N seconds passed (default: until ended with Ctrl+C).\n"
     "While it runs, other console commands share its logon block and simulated network.\n"},
    {"agent", "agent [--count N] [--seconds N] [--order 16|32]",
     "run the network client's 16-bit program (ZORAGENT.EXE) in its own process and show its journal",
     {"count", "seconds", "order"}, 0, 0, RunAgent,
     "The Win16 program registers its window through ZORN1632's thunk; each message 3000\n"
     "it hears, it fetches the credentials and reads items 7 and 2 through QENTHUNK.\n"
     "Runs until N notices came or N seconds passed (default: until ended with Ctrl+C);\n"
     "--order 32 has it load ZORNET32.DLL and QENREGIO.DLL before their 16-bit partners,\n"
     "so that the 32-bit halves of the thunks connect first (default 16: the 16-bit ones).\n"},
    {"credentials", "credentials", "fetch the credentials of the last logon, as the 16-bit side does", {}, 0, 0,
     RunCredentials, nullptr},
    {"registry", "registry read ITEM\n"
                 "       registry set ITEM NAME VALUE [--user NAME]\n"
                 "       registry delete ITEM NAME",
     "the 16-bit side's registry service (QENREGIO through QENTHUNK)", {"user"}, 2, 4, RunRegistry,
     "ITEM is a number or a name: username 1, agent 2, domains 3, passwordcaching 4, fmshare 5,\n"
     "lmlogon 6, connections 7, computername 8, msnp32 9 (set and delete only).\n"
     "For connections, NAME is the local device (F: or LPT1:), VALUE the remote path, --user\n"
     "the user name stored with it. Yes/no items take VALUE yes or no.\n"},
};
