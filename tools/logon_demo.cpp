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
#include "agent_process.h"
#include "child_process.h"
#include "inf_install.h"
#include "provider_settings.h"
#include "registry_values.h"
#include "sixteen_bit.h"
#include "loaded_library.h"
#include "scripted_typist.h"
#include "simnet.h"
#include "status_text.h"
#include "zornet32.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

class Transcript {
public:
    void Step(const char *title)
    {
        std::printf("\n== %d. %s\n", ++steps_, title);
    }
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
            ++failures_;
        }
    }
    void ExpectStatus(DWORD status, DWORD expected)
    {
        Say("result %s", DescribeStatus(status).c_str());
        Expect(status == expected, "result " + DescribeStatus(expected));
    }
    int Finish(DWORD started)
    {
        const double seconds = (GetTickCount() - started) / 1000.0;
        if (failures_ == 0)
            std::printf("\ndemo finished in %.1f s: all %d steps as expected\n", seconds, steps_);
        else
            std::printf("\ndemo finished in %.1f s: %d things not as expected\n", seconds, failures_);
        return failures_ == 0 ? 0 : 1;
    }

private:
    int steps_ = 0;
    int failures_ = 0;
};

Transcript transcript;

const char *ClientEntryName(LONG entry)
{
    switch (entry) {
    case SimGetLogonServer: return "GetLogonServer";
    case SimGetHomeDirectory: return "GetHomeDirectory";
    case SimChangePassword: return "ChangePassword";
    case SimLogoff: return "Logoff";
    case SimLogonServerUnavailable: return "LogonServerUnavailable";
    case SimLogon: return "Logon";
    default: return "?";
    }
}

/* What reached the simulated network since the journal held from entries. */
void PrintNetwork(DWORD from)
{
    SimCall call;
    for (DWORD i = from; SimJournalEntry(i, &call); ++i) {
        if (call.source == SimMsnet32)
            transcript.Say("  network: MSNET32 validates domain \"%s\" user \"%s\" password \"%s\"", call.text[0],
                           call.text[1], call.text[2]);
        else if (call.source == SimTorvek) {
            /* The arguments as the 16-bit entry got them: far pointers (and
             * the strings behind them), Logon's WORD value. */
            std::string arguments;
            for (DWORD slot = 0; slot < call.argCount && slot < 4; ++slot) {
                char argument[128];
                const DWORD value = call.farArgs[slot];
                if (call.entry == SimLogon && slot == 3)
                    wsprintfA(argument, "%lu", value);
                else if (slot < 4 && call.text[slot][0] != '\0')
                    wsprintfA(argument, "%04X:%04X \"%s\"", HIWORD(value), LOWORD(value), call.text[slot]);
                else
                    wsprintfA(argument, "%04X:%04X", HIWORD(value), LOWORD(value));
                arguments += std::string(slot == 0 ? "" : ", ") + argument;
            }
            transcript.Say("  16-bit TORVEK.DLL: %s(%s), crossed through the flat thunk", ClientEntryName(call.entry),
                           arguments.c_str());
        }
    }
}

/* The network client's 16-bit program, ZORAGENT.EXE, in a process of its
 * own: the demo shows each line of its journal once. */
AgentProcess agent;
size_t agentLinesShown = 0;

std::string Lower(std::string text)
{
    for (char &c : text)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return text;
}

void ShowAgent()
{
    const std::vector<std::string> lines = agent.Lines();
    for (; agentLinesShown < lines.size(); ++agentLinesShown)
        transcript.Say("16-bit program ZORAGENT.EXE (own process): %s", lines[agentLinesShown].c_str());
}

/* The program hears message 3000 number `notice` and fetches the user's
 * credentials through ZORN1632's thunk; waited for, never longer than 30 s. */
void ExpectNotification(int notice, const char *user)
{
    std::string error;
    const std::string line = agent.WaitForLine("notice " + std::to_string(notice) + ":", 30000, &error);
    ShowAgent();
    if (line.empty())
        transcript.Say("%s", error.c_str());
    transcript.Expect(!line.empty(), "message 3000 number " + std::to_string(notice) + " for the 16-bit program");
    /* The silent logon upper-cases the shared block in place; the dialog
     * leaves it as typed. */
    if (user != nullptr)
        transcript.Expect(Lower(line).find(Lower(std::string("user \"") + user + "\"")) != std::string::npos,
                          std::string("the 16-bit program fetches ") + user);
}

/* Typist steps. */
ScriptedTypist::Step TypeLogon(const char *user, const char *password, const char *domain)
{
    return [=](HWND dialog) {
        transcript.Expect(IsLogonDialog(dialog), "the logon dialog");
        TypeLogonFields(dialog, user, password, domain);
        transcript.Say("typist, in \"%s\": user \"%s\", password \"%s\", domain \"%s\", OK", Caption(dialog).c_str(),
                       user, password, domain);
        Press(dialog, IDOK);
    };
}

ScriptedTypist::Step ReadMessage(const std::string &expected)
{
    return [=](HWND box) {
        transcript.Say("message box \"%s\": %s", Caption(box).c_str(), MessageLine(box).c_str());
        transcript.Expect(IsMessageBox(box) && MessageText(box) == expected, "the provider's message");
        transcript.Say("typist presses OK");
        Press(box, IDOK);
    };
}

ScriptedTypist::Step RetypePassword(const char *password)
{
    return [=](HWND dialog) {
        transcript.Expect(IsLogonDialog(dialog), "the logon dialog again");
        transcript.Say("the dialog is back with user \"%s\" and the focus on field %d (the password)",
                       FieldText(dialog, IDC_USERNAME).c_str(), FocusedControl());
        transcript.Expect(FocusedControl() == IDC_PASSWORD, "the focus on the password field");
        ClearField(dialog, IDC_PASSWORD);
        Type(dialog, IDC_PASSWORD, password);
        transcript.Say("typist types the password \"%s\", OK", password);
        Press(dialog, IDOK);
    };
}

ScriptedTypist::Step ChangePassword(const char *newPassword)
{
    return [=](HWND dialog) {
        transcript.Expect(IsChangePasswordDialog(dialog), "the change-password dialog");
        TypeNewPassword(dialog, newPassword);
        transcript.Say("typist, in \"%s\": new password \"%s\" twice, OK", Caption(dialog).c_str(), newPassword);
        Press(dialog, IDOK);
    };
}

void ReportTypist(const std::string &problem)
{
    transcript.Say("typist: %s", problem.c_str());
    transcript.Expect(false, "every dialog as the script foresaw");
}

/*
 * One interactive logon (flags 2): worked by the typist's script, or by a
 * person who is told what to type. Returns the router's password buffer.
 */
std::string InteractiveLogonStep(decltype(&NPLogon) logon, bool interactive, const char *hint,
                                 const std::vector<ScriptedTypist::Step> &script)
{
    char user[256] = "", password[256] = "";
    RouterLogonInfo info = {user, password};
    auto call = [&] { return logon(nullptr, &info, nullptr, nullptr, 0, FlagsInteractive); };
    const DWORD from = SimJournalCount();
    DWORD status;
    if (interactive) {
        transcript.Say("type into the logon dialog: %s", hint);
        status = call();
    } else {
        ScriptedTypist typist(ReportTypist);
        for (const ScriptedTypist::Step &step : script)
            typist.Then(step);
        status = typist.Run(call);
    }
    PrintNetwork(from);
    transcript.ExpectStatus(status, 0);
    transcript.Say("the router's buffers: user \"%s\", password \"%s\"", user, password);
    return password;
}

} // namespace

int main(int argc, char **argv)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const bool interactive = argc > 1 && std::strcmp(argv[1], "--interactive") == 0;
    const DWORD started = GetTickCount();
    SimReset();

    transcript.Step("install the provider into this machine's registry");
    std::string log;
    const DWORD installed = InstallProvider(&log);
    for (size_t start = 0, end; (end = log.find('\n', start)) != std::string::npos; start = end + 1)
        transcript.Say("%s", log.substr(start, end - start).c_str());
    transcript.ExpectStatus(installed, 0);

    transcript.Step("the network client's 16-bit program starts in its own process and registers its window");
    {
        std::string error;
        const bool registered = agent.Start(ProgramFolder(), "", 90000, &error);
        ShowAgent();
        if (!registered)
            transcript.Say("%s", error.c_str());
        transcript.Expect(registered, "ZORAGENT.EXE registered its window through ZORN1632's thunk");
        if (!registered)
            return transcript.Finish(started);
    }

    transcript.Step("load ZORNET32.DLL as the router does");
    HMODULE provider = LoadLibraryA("ZORNET32.DLL");
    if (provider == nullptr) {
        transcript.Say("ZORNET32.DLL did not load: %s", DescribeStatus(GetLastError()).c_str());
        transcript.Expect(false, "the provider loads");
        return transcript.Finish(started);
    }
    auto getCaps = ProviderEntries(provider).NPGetCaps;
    auto logon = ProviderEntries(provider).NPLogon;
    auto logoff = ProviderEntries(provider).NPLogoff;
    auto home = ProviderEntries(provider).NPGetHomeDirectory;
    auto policy =
        ProviderEntries(provider).NPGetPolicyPath;
    transcript.Say("NPGetCaps: network type 0x%08lX, spec version 0x%08lX", getCaps(2), getCaps(1));
    transcript.Expect(agent.Running(), "the 16-bit program still runs");

    transcript.Step("silent logon (flags 4) of alice, password secret, remembered domain zordom");
    {
        RememberDomain("zordom");
        char user[256] = "alice", password[256] = "secret";
        RouterLogonInfo info = {user, password};
        const DWORD from = SimJournalCount();
        const DWORD status = logon(nullptr, &info, nullptr, nullptr, 0, FlagsSilent);
        PrintNetwork(from);
        transcript.ExpectStatus(status, 0);
        ExpectNotification(1, "ALICE");
    }

    transcript.Step("interactive logon (flags 2): a wrong password first");
    InteractiveLogonStep(logon, interactive, "user alice, password secret, domain zordom",
                         {TypeLogon("alice", "guess", "zordom"),
                          ReadMessage(ProviderString(provider, IDS_WRONG_PASSWORD)), RetypePassword("secret")});
    ExpectNotification(2, "alice");

    transcript.Step("interactive logon of bob, whose password has expired");
    const std::string changed =
        InteractiveLogonStep(logon, interactive, "user bob, password oldpass, domain zordom; then a new password",
                             {TypeLogon("bob", "oldpass", "zordom"),
                              ReadMessage(ProviderString(provider, IDS_PASSWORD_EXPIRED)), ChangePassword("newpass")});
    if (!interactive)
        transcript.Expect(changed == "NEWPASS", "the new password in the router's buffer");
    ExpectNotification(3, "bob");

    transcript.Step("the user's home directory (NPGetHomeDirectory)");
    {
        char directory[MAX_PATH] = "";
        DWORD size = sizeof(directory);
        const DWORD status = home(directory, &size);
        transcript.Say("home directory: %s", directory);
        transcript.ExpectStatus(status, 0);
        transcript.Expect(std::strcmp(directory, "\\\\ZORSRV1\\HOME") == 0, "\\\\ZORSRV1\\HOME");
    }

    transcript.Step("the policy path (NPGetPolicyPath): configured, then the default location");
    {
        const char configured[] = "\\\\ZORSRV1\\POLICY\\CONFIG.POL";
        const char fallback[] = "\\\\ZORSRV1\\NETLOGON\\CONFIG.POL";
        char path[MAX_PATH] = "";
        DWORD size = sizeof(path);
        ConfigurePolicyPath(configured);
        transcript.Say("settings: UpdateMode 1, UseDefaultNetLocation 0, NetworkPath %s", configured);
        DWORD status = policy(path, &size, 0);
        transcript.Say("policy path: %s", path);
        transcript.ExpectStatus(status, 0);
        transcript.Expect(std::strcmp(path, configured) == 0, configured);

        UseDefaultPolicyPath();
        size = sizeof(path);
        transcript.Say("settings: UpdateMode 1, UseDefaultNetLocation 1 (the logon server's NETLOGON share)");
        status = policy(path, &size, 0);
        transcript.Say("policy path: %s", path);
        transcript.ExpectStatus(status, 0);
        transcript.Expect(std::strcmp(path, fallback) == 0, fallback);
        for (const char *name : {"UpdateMode", "UseDefaultNetLocation", "NetworkPath"})
            DeleteValue(HKEY_LOCAL_MACHINE, kUpdateKey, name);
    }

    /* Loaded for the two registry steps: the 16-bit QENTHUNK calls up into it. */
    HMODULE service = nullptr;
    transcript.Step("the registry service of the 16-bit side: 16-bit QENTHUNK.DLL calls QENREGIO up through the flat thunk");
    {
        service = LoadLibraryA("QENREGIO.DLL");
        transcript.Expect(service != nullptr, "QENREGIO.DLL loads");
        struct Connection {
            char device[8];
            char remote[32];
        } connections[] = {{"F:", "\\\\ZORSRV1\\DOCS"}, {"LPT1:", "\\\\ZORSRV1\\LASER"}};
        char user[] = "ALICE";
        for (Connection &connection : connections) {
            const DWORD status = QenthunkRequest(1, 7, user, 0, connection.device, connection.remote);
            transcript.Say("set connection %s -> %s, result %s", connection.device, connection.remote,
                           DescribeStatus(status).c_str());
            transcript.Expect(status == 0, "the connection is stored");
        }
        char table[1401] = {};
        DWORD status = QenthunkRequest(0, 7, table, sizeof(table), nullptr, nullptr);
        transcript.Say("read item 7 (persistent connections): result %s", DescribeStatus(status).c_str());
        int found = 0;
        for (const char *entry = table; entry < table + 1400 && entry[0] != '\0'; entry += 40) {
            transcript.Say("  %-6s %s", entry, entry + 9);
            for (const Connection &connection : connections)
                found += std::strcmp(entry, connection.device) == 0 && std::strcmp(entry + 9, connection.remote) == 0;
        }
        transcript.Expect(status == 0 && found == 2, "both connections in the table");

        char agent[1025] = "";
        status = QenthunkRequest(0, 2, agent, sizeof(agent), nullptr, nullptr);
        transcript.Say("read item 2 (the remembered logon domain): \"%s\", result %s", agent,
                       DescribeStatus(status).c_str());
        transcript.Expect(status == 0 && lstrcmpiA(agent, "zordom") == 0, "the domain typed in the dialog");

    }

    transcript.Step("logoff (NPLogoff, reason 1): the client logs off and the 16-bit side hears of it");
    {
        const DWORD from = SimJournalCount();
        const DWORD status = logoff(nullptr, nullptr, kLogoffReasonLogoff);
        PrintNetwork(from);
        transcript.ExpectStatus(status, 0);
        ExpectNotification(4, nullptr);
        char loggedOn[32] = "";
        const BOOL someone = SimLoggedOnUser(loggedOn, sizeof(loggedOn));
        transcript.Say("logged on at the client now: %s", someone ? loggedOn : "nobody");
        transcript.Expect(!someone, "nobody logged on");
        transcript.Expect(agent.Lines().back().find("F:=\\\\ZORSRV1\\DOCS LPT1:=\\\\ZORSRV1\\LASER;") !=
                              std::string::npos,
                          "the 16-bit program reads both connections");
    }

    transcript.Step("the registry service deletes the two connections again");
    for (const char *device : {"F:", "LPT1:"}) {
        char name[8];
        lstrcpyA(name, device);
        const DWORD status = QenthunkRequest(2, 7, nullptr, 0, name, nullptr);
        transcript.Say("delete connection %s, result %s", device, DescribeStatus(status).c_str());
        transcript.Expect(status == 0, "the connection is deleted");
    }
    if (service != nullptr)
        FreeLibrary(service);

    transcript.Step("the 16-bit program is asked to stop (WM_CLOSE): it ends its registration");
    transcript.Expect(agent.Stop(30000), "ZORAGENT.EXE stops by itself");
    ShowAgent();
    const std::vector<std::string> lines = agent.Lines();
    transcript.Expect(!lines.empty() && lines.back() == "stopped (status 0)", "stopped with status 0");
    FreeLibrary(provider);
    return transcript.Finish(started);
}
