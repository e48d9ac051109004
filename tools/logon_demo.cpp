/*
 * One scripted session of the whole system on the simulated network, printed
 * as a transcript a person can follow: install, a silent logon, an
 * interactive logon with a wrong password first, an expired password changed
 * through the dialog, the home directory, the policy path, the registry
 * service with two persistent connections, and a logoff. The client's 16-bit
 * program, ZORAGENT.EXE, runs in a process of its own and hears each logon
 * and the logoff; its journal shows what it fetched. Every step checks what it
 * saw; the exit status is 1 when any step was not as expected.
 *
 * "--interactive" leaves the two logon dialogs to a person at a display.
 */
#include "client_session.h"
#include "inf_install.h"
#include "provider_settings.h"
#include "registry_values.h"
#include "scripted_typist.h"
#include "shared_logon_record.h"
#include "simnet.h"
#include "sixteen_bit.h"
#include "status_text.h"
#include "zornet32.h"

#include <shlwapi.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <optional>

namespace {

/* The transcript, and what the steps share. */
struct Demo {
    void Say(const char *format, ...)
    {
        std::va_list args;
        va_start(args, format);
        std::printf("   ");
        std::vprintf(format, args);
        std::printf("\n");
        va_end(args);
    }
    void Expect(bool seen, const std::string &what)
    {
        if (!seen) {
            std::printf("   !! not as expected: %s\n", what.c_str());
            ++failures;
        }
    }
    void ExpectSuccess(DWORD status)
    {
        Say("result %s", DescribeStatus(status).c_str());
        Expect(status == 0, "result " + DescribeStatus(0));
    }

    bool interactive = false;
    bool over = false; /* a step failed that the rest need */
    int failures = 0;
    PrintedAgent agent{"   16-bit program ZORAGENT.EXE (own process): "};
    std::optional<LoadedLibrary> provider, service;
    ProviderEntries entries;
};

using Step = ScriptedTypist::Step;

/* The two persistent connections the 16-bit side stores, reads and deletes. */
const Connection kConnections[] = {{"F:", "\\\\ZORSRV1\\DOCS"}, {"LPT1:", "\\\\ZORSRV1\\LASER"}};

/* The client's entries, in the order of SimClientEntry. */
constexpr const char *kClientEntryNames[] = {"GetLogonServer", "GetHomeDirectory",       "ChangePassword",
                                             "Logoff",         "LogonServerUnavailable", "Logon"};
static_assert(SimLogon == 5, "a name for every entry");

/* A client call's arguments as the 16-bit entry got them: far pointers (and
 * the strings behind them), Logon's WORD value. */
std::string SixteenBitArguments(const SimCall &call)
{
    std::string arguments;
    for (DWORD slot = 0; slot < call.argCount && slot < 4; ++slot) {
        char argument[128];
        const DWORD value = call.farArgs[slot];
        if (call.entry == SimLogon && slot == 3)
            wsprintfA(argument, "%lu", value);
        else if (call.text[slot][0] != '\0')
            wsprintfA(argument, "%04X:%04X \"%s\"", HIWORD(value), LOWORD(value), call.text[slot]);
        else
            wsprintfA(argument, "%04X:%04X", HIWORD(value), LOWORD(value));
        arguments += std::string(slot == 0 ? "" : ", ") + argument;
    }
    return arguments;
}

/* Makes the call, prints what reached the simulated network meanwhile, and
 * expects success. */
void ExpectSuccessOnTheNetwork(Demo &demo, const std::function<DWORD()> &call)
{
    SimCall received;
    DWORD next = SimJournalCount();
    const DWORD status = call();
    for (; SimJournalEntry(next, &received); ++next) {
        if (received.source == SimMsnet32)
            demo.Say("  network: MSNET32 validates domain \"%s\" user \"%s\" password \"%s\"", received.text[0],
                     received.text[1], received.text[2]);
        else if (received.source == SimTorvek)
            demo.Say("  16-bit TORVEK.DLL: %s(%s), crossed through the flat thunk",
                     received.entry >= 0 && received.entry <= SimLogon ? kClientEntryNames[received.entry] : "?",
                     SixteenBitArguments(received).c_str());
    }
    demo.ExpectSuccess(status);
}

/* The program hears notice number `notice` and fetches the user's
 * credentials through ZORN1632's thunk; waited for, never longer than 30 s. */
void ExpectNotice(Demo &demo, int notice, const char *user)
{
    std::string error;
    const std::string line = demo.agent.WaitForLine("notice " + std::to_string(notice) + ":", 30000, &error);
    demo.agent.PrintNewLines();
    if (line.empty())
        demo.Say("%s", error.c_str());
    demo.Expect(!line.empty(), "message " + std::to_string(kLogonNotifyMessage) + " number " +
                                   std::to_string(notice) + " for the 16-bit program");
    /* The silent logon upper-cases the shared block in place; the dialog
     * leaves it as typed, and a person may type either. */
    if (user != nullptr)
        demo.Expect(StrStrIA(line.c_str(), (std::string("user \"") + user + "\"").c_str()) != nullptr,
                    std::string("the 16-bit program fetches ") + user);
}

/* Typist steps. */
Step TypeLogon(Demo &demo, const char *user, const char *password, const char *domain)
{
    return [=, &demo](HWND dialog) {
        demo.Expect(IsLogonDialog(dialog), "the logon dialog");
        TypeLogonFields(dialog, user, password, domain);
        demo.Say("typist, in \"%s\": user \"%s\", password \"%s\", domain \"%s\", OK", Caption(dialog).c_str(), user,
                 password, domain);
        Press(dialog, IDOK);
    };
}

Step ReadMessage(Demo &demo, UINT id)
{
    return [=, &demo](HWND box) {
        demo.Say("message box \"%s\": %s", Caption(box).c_str(), MessageLine(box).c_str());
        demo.Expect(IsMessageBox(box) && MessageText(box) == ProviderString(demo.provider->Module(), id),
                    "the provider's message");
        demo.Say("typist presses OK");
        Press(box, IDOK);
    };
}

Step RetypePassword(Demo &demo, const char *password)
{
    return [=, &demo](HWND dialog) {
        demo.Expect(IsLogonDialog(dialog), "the logon dialog again");
        demo.Say("the dialog is back with user \"%s\" and the focus on field %d (the password)",
                 FieldText(dialog, IDC_USERNAME).c_str(), FocusedControl());
        demo.Expect(FocusedControl() == IDC_PASSWORD, "the focus on the password field");
        ClearField(dialog, IDC_PASSWORD);
        Type(dialog, IDC_PASSWORD, password);
        demo.Say("typist types the password \"%s\", OK", password);
        Press(dialog, IDOK);
    };
}

Step ChangePassword(Demo &demo, const char *newPassword)
{
    return [=, &demo](HWND dialog) {
        demo.Expect(IsChangePasswordDialog(dialog), "the change-password dialog");
        TypeNewPassword(dialog, newPassword);
        demo.Say("typist, in \"%s\": new password \"%s\" twice, OK", Caption(dialog).c_str(), newPassword);
        Press(dialog, IDOK);
    };
}

/* One interactive logon (flags 2): worked by the typist's script, or by a
 * person who is told what to type. Returns the router's password buffer. */
std::string InteractiveLogon(Demo &demo, const char *hint, std::initializer_list<Step> script)
{
    ScriptedTypist typist([&demo](const std::string &problem) {
        demo.Say("typist: %s", problem.c_str());
        demo.Expect(false, "every dialog as the script foresaw");
    });
    for (const Step &step : script)
        typist.Then(step);
    if (demo.interactive)
        demo.Say("type into the logon dialog: %s", hint);
    LogonBuffers buffers;
    ExpectSuccessOnTheNetwork(demo, [&] {
        const auto logon = [&] { return RouterLogon(demo.entries.NPLogon, &buffers, FlagsInteractive); };
        return demo.interactive ? logon() : typist.Run(logon);
    });
    demo.Say("the router's buffers: user \"%s\", password \"%s\"", buffers.user, buffers.password);
    return buffers.password;
}

/* NPGetPolicyPath's answer under the settings just written. */
void ExpectPolicyPath(Demo &demo, const char *expected)
{
    char path[MAX_PATH] = "";
    DWORD size = sizeof(path);
    const DWORD status = demo.entries.NPGetPolicyPath(path, &size, 0);
    demo.Say("policy path: %s", path);
    demo.ExpectSuccess(status);
    demo.Expect(std::strcmp(path, expected) == 0, expected);
}

/* The steps, in the transcript's order. */

void Install(Demo &demo)
{
    std::string log;
    const DWORD installed = InstallProvider(&log);
    for (size_t start = 0, end; (end = log.find('\n', start)) != std::string::npos; start = end + 1)
        demo.Say("%s", log.substr(start, end - start).c_str());
    demo.ExpectSuccess(installed);
}

void StartAgent(Demo &demo)
{
    std::string error;
    const bool registered = demo.agent.Start("", &error);
    if (!registered)
        demo.Say("%s", error.c_str());
    demo.Expect(registered, "ZORAGENT.EXE registered its window through ZORN1632's thunk");
    demo.over = !registered;
}

void LoadProvider(Demo &demo)
{
    demo.provider.emplace("ZORNET32.DLL");
    demo.over = !demo.provider->Loaded();
    if (demo.over) {
        demo.Say("ZORNET32.DLL did not load: %s", DescribeStatus(GetLastError()).c_str());
        return demo.Expect(false, "the provider loads");
    }
    demo.entries = ProviderEntries(*demo.provider);
    demo.Say("NPGetCaps: network type 0x%08lX, spec version 0x%08lX", demo.entries.NPGetCaps(2),
             demo.entries.NPGetCaps(1));
    demo.Expect(demo.agent.Running(), "the 16-bit program still runs");
}

void SilentLogon(Demo &demo)
{
    RememberDomain("zordom");
    LogonBuffers alice = {"alice", "secret"};
    ExpectSuccessOnTheNetwork(demo, [&] { return RouterLogon(demo.entries.NPLogon, &alice, FlagsSilent); });
    ExpectNotice(demo, 1, "ALICE");
}

void WrongPasswordFirst(Demo &demo)
{
    InteractiveLogon(demo, "user alice, password secret, domain zordom",
                     {TypeLogon(demo, "alice", "guess", "zordom"), ReadMessage(demo, IDS_WRONG_PASSWORD),
                      RetypePassword(demo, "secret")});
    ExpectNotice(demo, 2, "alice");
}

void ExpiredPassword(Demo &demo)
{
    const std::string changed =
        InteractiveLogon(demo, "user bob, password oldpass, domain zordom; then a new password",
                         {TypeLogon(demo, "bob", "oldpass", "zordom"), ReadMessage(demo, IDS_PASSWORD_EXPIRED),
                          ChangePassword(demo, "newpass")});
    if (!demo.interactive)
        demo.Expect(changed == "NEWPASS", "the new password in the router's buffer");
    ExpectNotice(demo, 3, "bob");
}

void HomeDirectory(Demo &demo)
{
    char directory[MAX_PATH] = "";
    DWORD size = sizeof(directory);
    const DWORD status = demo.entries.NPGetHomeDirectory(directory, &size);
    demo.Say("home directory: %s", directory);
    demo.ExpectSuccess(status);
    demo.Expect(std::strcmp(directory, "\\\\ZORSRV1\\HOME") == 0, "\\\\ZORSRV1\\HOME");
}

void PolicyPath(Demo &demo)
{
    const char configured[] = "\\\\ZORSRV1\\POLICY\\CONFIG.POL";
    ConfigurePolicyPath(configured);
    demo.Say("settings: UpdateMode 1, UseDefaultNetLocation 0, NetworkPath %s", configured);
    ExpectPolicyPath(demo, configured);
    UseDefaultPolicyPath();
    demo.Say("settings: UpdateMode 1, UseDefaultNetLocation 1 (the logon server's NETLOGON share)");
    ExpectPolicyPath(demo, "\\\\ZORSRV1\\NETLOGON\\CONFIG.POL");
    for (const char *name : {kUpdateModeValue, kUseDefaultLocationValue, kNetworkPathValue})
        DeleteValue(HKEY_LOCAL_MACHINE, kUpdateKey, name);
}

void RegistryService(Demo &demo)
{
    demo.service.emplace("QENREGIO.DLL");
    demo.Expect(demo.service->Loaded(), "QENREGIO.DLL loads");
    for (Connection connection : kConnections) {
        char user[] = "ALICE";
        const DWORD status = QenthunkRequest(SetItem, ItemPersistentConnections, user, 0, connection.device.data(),
                                             connection.remote.data());
        demo.Say("set connection %s -> %s, result %s", connection.device.c_str(), connection.remote.c_str(),
                 DescribeStatus(status).c_str());
        demo.Expect(status == 0, "the connection is stored");
    }
    std::vector<Connection> table;
    DWORD status = ReadConnections(&table);
    demo.Say("read item 7 (persistent connections): result %s", DescribeStatus(status).c_str());
    int found = 0;
    for (const Connection &entry : table) {
        demo.Say("  %-6s %s", entry.device.c_str(), entry.remote.c_str());
        for (const Connection &stored : kConnections)
            found += entry.device == stored.device && entry.remote == stored.remote;
    }
    demo.Expect(status == 0 && found == 2, "both connections in the table");

    char domain[kTextRoom + 1] = "";
    status = QenthunkRequest(ReadItem, ItemAuthenticatingAgent, domain, sizeof(domain), nullptr, nullptr);
    demo.Say("read item 2 (the remembered logon domain): \"%s\", result %s", domain, DescribeStatus(status).c_str());
    demo.Expect(status == 0 && lstrcmpiA(domain, "zordom") == 0, "the domain typed in the dialog");
}

void Logoff(Demo &demo)
{
    ExpectSuccessOnTheNetwork(demo, [&] { return demo.entries.NPLogoff(nullptr, nullptr, kLogoffReasonLogoff); });
    ExpectNotice(demo, 4, nullptr);
    char loggedOn[32] = "";
    const BOOL someone = SimLoggedOnUser(loggedOn, sizeof(loggedOn));
    demo.Say("logged on at the client now: %s", someone ? loggedOn : "nobody");
    demo.Expect(!someone, "nobody logged on");
    const std::vector<std::string> lines = demo.agent.Lines();
    demo.Expect(!lines.empty() &&
                    lines.back().find("F:=\\\\ZORSRV1\\DOCS LPT1:=\\\\ZORSRV1\\LASER;") != std::string::npos,
                "the 16-bit program reads both connections");
}

void DeleteConnections(Demo &demo)
{
    for (Connection connection : kConnections) {
        const DWORD status =
            QenthunkRequest(DeleteItem, ItemPersistentConnections, nullptr, 0, connection.device.data(), nullptr);
        demo.Say("delete connection %s, result %s", connection.device.c_str(), DescribeStatus(status).c_str());
        demo.Expect(status == 0, "the connection is deleted");
    }
}

void StopAgent(Demo &demo)
{
    demo.Expect(demo.agent.Stop(30000), "ZORAGENT.EXE stops by itself");
    demo.agent.PrintNewLines();
    const std::vector<std::string> lines = demo.agent.Lines();
    demo.Expect(!lines.empty() && lines.back() == "stopped (status 0)", "stopped with status 0");
}

struct DemoStep {
    const char *title;
    void (*run)(Demo &demo);
};

constexpr DemoStep kSteps[] = {
    {"install the provider into this machine's registry", Install},
    {"the network client's 16-bit program starts in its own process and registers its window", StartAgent},
    {"load ZORNET32.DLL as the router does", LoadProvider},
    {"silent logon (flags 4) of alice, password secret, remembered domain zordom", SilentLogon},
    {"interactive logon (flags 2): a wrong password first", WrongPasswordFirst},
    {"interactive logon of bob, whose password has expired", ExpiredPassword},
    {"the user's home directory (NPGetHomeDirectory)", HomeDirectory},
    {"the policy path (NPGetPolicyPath): configured, then the default location", PolicyPath},
    {"the registry service of the 16-bit side: 16-bit QENTHUNK.DLL calls QENREGIO up through the flat thunk",
     RegistryService},
    {"logoff (NPLogoff, reason 1): the client logs off and the 16-bit side hears of it", Logoff},
    {"the registry service deletes the two connections again", DeleteConnections},
    {"the 16-bit program is asked to stop (WM_CLOSE): it ends its registration", StopAgent},
};

} // namespace

int main(int argc, char **argv)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const DWORD started = GetTickCount();
    Demo demo;
    demo.interactive = argc > 1 && std::strcmp(argv[1], "--interactive") == 0;
    SimReset();
    int steps = 0;
    for (const DemoStep &step : kSteps) {
        std::printf("\n== %d. %s\n", ++steps, step.title);
        step.run(demo);
        if (demo.over)
            break;
    }
    std::printf("\ndemo finished in %.1f s: ", (GetTickCount() - started) / 1000.0);
    if (demo.failures == 0)
        std::printf("all %d steps as expected\n", steps);
    else
        std::printf("%d things not as expected\n", demo.failures);
    return demo.failures == 0 ? 0 : 1;
}
