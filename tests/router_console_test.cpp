/*
 * The router console as a person runs it: a real process per command, its
 * output and its exit status (0 success, 1 the entry answered an error, 2 the
 * command line was not understood). This process holds the simulated network
 * and the provider loaded, so the state that one command leaves is there for
 * the next, as it is while the 16-bit side runs.
 */
#include "dialog_driver.h"
#include "child_process.h"
#include "inf_install.h"
#include "provider_settings.h"
#include "registry_values.h"

#include <thread>

namespace {

struct ConsoleRun {
    DWORD exitCode;
    std::string output;
    bool Says(const std::string &text) const { return output.find(text) != std::string::npos; }
};

ConsoleRun Console(const std::string &arguments)
{
    ConsoleRun run;
    run.exitCode = RunProgram("\"" + ProgramFolder() + "router_console.exe\" " + arguments, ProgramFolder(),
                              &run.output);
    return run;
}

constexpr char kOrderKey[] = "System\\CurrentControlSet\\Control\\NetworkProvider\\Order";
constexpr char kLogonKey[] = "NETWORK\\LOGON";

class RouterConsoleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SimReset();
        ASSERT_TRUE(provider_.Loaded());
        SetRememberedDomain("zordom");
    }

    Library provider_{"ZORNET32.DLL"};
};

TEST(RouterConsoleArguments, BadCommandLinesAreExplainedWithStatus2)
{
    const struct {
        const char *arguments;
        const char *says;
    } cases[] = {
        {"", "usage: router_console SUBCOMMAND"},
        {"frob", "unknown subcommand \"frob\""},
        {"caps x", "INDEX must be a number, not \"x\""},
        {"caps 1 2", "unexpected argument \"2\""},
        {"caps 4294967296", "INDEX must be a number"},
        {"caps -1", "INDEX must be a number"},
        {"logon --flags 3", "--flags must be 2, 4 or 6"},
        {"logon --user", "option --user needs a value"},
        {"logon --colour red", "unknown option --colour"},
        {"logon --flags 2 --type alice", "--type must be USER:PASSWORD:DOMAIN"},
        {"logon --type a:b:c", "--type is for the logon dialog"},
        {"logon --flags 2", "no display here to show the logon dialog"},
        {"change-password --user alice", "--user, --old and --new are needed"},
        {"change-password --user a --old b --new c --action 5", "--action must be 3 or 777"},
        {"logoff --reason soon", "--reason must be a number"},
        {"policy --default --off", "at most one of"},
        {"listen --count many", "take a number"},
        {"listen --seconds 999999999", "--seconds takes at most 604800"},
        {"agent --order 8", "--order takes 16 or 32"},
        {"registry read", "missing arguments"},
        {"registry frob 1", "read, set or delete, not \"frob\""},
        {"registry read bogus", "ITEM must be a catalogue name or a number"},
        {"registry read 40000", "ITEM must be"},
        {"registry set 1 USERNAME", "takes 3 arguments"},
        {"registry read 1 --user x", "--user is for"},
    };
    for (const auto &c : cases) {
        const ConsoleRun run = Console(c.arguments);
        EXPECT_EQ(2u, run.exitCode) << c.arguments << "\n" << run.output;
        EXPECT_TRUE(run.Says(c.says)) << c.arguments << "\n" << run.output;
    }

    const ConsoleRun tooLong = Console("logon --user " + std::string(300, 'u'));
    EXPECT_EQ(2u, tooLong.exitCode) << tooLong.output;
    EXPECT_TRUE(tooLong.Says("at most 255 characters")) << tooLong.output;
    const ConsoleRun longUser = Console("registry set connections F: \\\\S\\D --user " + std::string(260, 'u'));
    EXPECT_EQ(2u, longUser.exitCode) << longUser.output;
    EXPECT_TRUE(longUser.Says("--user takes at most 259 characters")) << longUser.output;
}

TEST(RouterConsoleArguments, EverySubcommandHasHelp)
{
    const ConsoleRun overview = Console("--help");
    EXPECT_EQ(0u, overview.exitCode);
    for (const char *command : {"install", "uninstall", "caps", "password-status", "logon", "logoff",
                                "change-password", "home", "policy", "listen", "agent", "credentials", "registry"}) {
        EXPECT_TRUE(overview.Says(std::string("  ") + command + " ")) << command;
        const ConsoleRun help = Console(std::string(command) + " --help");
        EXPECT_EQ(0u, help.exitCode) << command;
        EXPECT_TRUE(help.Says(std::string("usage: router_console ") + command)) << help.output;
    }
}

TEST(RouterConsoleAlone, SaysWhichLibraryOrFileIsMissing)
{
    Sandbox folder("console-alone");
    folder.Add("router_console.exe");
    std::string output;
    EXPECT_EQ(3u, folder.Run("router_console.exe", "caps", &output));
    EXPECT_NE(std::string::npos, output.find("ZORNET32.DLL did not load")) << output;
    EXPECT_EQ(3u, folder.Run("router_console.exe", "registry read agent", &output));
    EXPECT_NE(std::string::npos, output.find("QENREGIO.DLL did not load")) << output;
    EXPECT_EQ(1u, folder.Run("router_console.exe", "install", &output));
    EXPECT_NE(std::string::npos, output.find("ZORNET.INF is missing")) << output;

    /* The provider with what it loads, and no stand-in of the 16-bit side's
     * registry service: the router's subcommands work. */
    folder.AddProviderWithPartners();
    EXPECT_EQ(0u, folder.Run("router_console.exe", "caps 2", &output)) << output;
    EXPECT_NE(std::string::npos, output.find("network type      0x00100000")) << output;
    EXPECT_EQ(3u, folder.Run("router_console.exe", "registry read agent", &output));
}

TEST_F(RouterConsoleTest, SilentLogonPrintsEachResultWithItsMeaning)
{
    const ConsoleRun good = Console("logon --user alice --password secret --domain zordom");
    EXPECT_EQ(0u, good.exitCode) << good.output;
    EXPECT_TRUE(good.Says("result 0: success")) << good.output;
    char user[32] = "";
    EXPECT_TRUE(SimLoggedOnUser(user, sizeof(user)));
    EXPECT_STREQ("ALICE", user);

    const ConsoleRun wrong = Console("logon --user alice --password guess");
    EXPECT_EQ(1u, wrong.exitCode);
    EXPECT_TRUE(wrong.Says("result 5: access denied: the password is not correct")) << wrong.output;

    const ConsoleRun unknown = Console("logon --user nobody --password x --flags 4");
    EXPECT_EQ(1u, unknown.exitCode);
    EXPECT_TRUE(unknown.Says("result 2202: user name not found")) << unknown.output;

    const ConsoleRun noServer = Console("logon --user alice --password secret --domain elsewhere");
    EXPECT_EQ(1u, noServer.exitCode);
    EXPECT_TRUE(noServer.Says("result 2215: no domain server is available")) << noServer.output;
    EXPECT_EQ("elsewhere", RememberedDomain()) << "--domain is remembered as a dialog would remember it";
}

TEST_F(RouterConsoleTest, InteractiveLogonIsTypedAndItsMessagesArePrinted)
{
    const ConsoleRun wrong = Console("logon --flags 2 --type alice:guess:zordom");
    EXPECT_EQ(1u, wrong.exitCode) << wrong.output;
    EXPECT_TRUE(wrong.Says("logon dialog: typed user \"alice\", a password of 5 characters, domain \"zordom\""))
        << wrong.output;
    EXPECT_TRUE(wrong.Says("message box \"ZOR Networks Client\": The domain password you supplied is not correct, "
                           "or your access to the server has been denied.  [OK]"))
        << wrong.output;
    EXPECT_TRUE(wrong.Says("the logon dialog came back with nothing more to type  [Cancel]")) << wrong.output;
    EXPECT_TRUE(wrong.Says("result 1223: cancelled by the user")) << wrong.output;

    const ConsoleRun required = Console("logon --flags 6 --type alice:guess:zordom");
    EXPECT_TRUE(required.Says("result 1503: cancelled by the user, and this logon required validation"))
        << required.output;

    const ConsoleRun good = Console("logon --flags 2 --type alice:secret:zordom");
    EXPECT_EQ(0u, good.exitCode) << good.output;
    EXPECT_TRUE(good.Says("the router's buffers: user \"alice\", a password of 6 characters")) << good.output;

    const ConsoleRun expired = Console("logon --flags 2 --type bob:oldpass:zordom --new-password newpass");
    EXPECT_EQ(0u, expired.exitCode) << expired.output;
    EXPECT_TRUE(expired.Says("Your domain password has expired. You must specify a new password to logon."))
        << expired.output;
    EXPECT_TRUE(expired.Says("change-password dialog: typed the new password twice  [OK]")) << expired.output;
    EXPECT_TRUE(expired.Says("a password of 7 characters")) << expired.output;
}

TEST_F(RouterConsoleTest, TheAgentRunsTheSixteenBitProgramAndShowsWhatItHeard)
{
    SharedBlockView block;
    ASSERT_TRUE(block.Open());
    block->notifyWindow = 0;
    ConsoleRun agent;
    std::thread running([&agent] { agent = Console("agent --count 1 --seconds 90"); });
    for (int wait = 0; wait < 900 && block->notifyWindow == 0; ++wait)
        Sleep(100);
    EXPECT_NE(0u, block->notifyWindow) << "the 16-bit program registered no window";

    EXPECT_EQ(0u, Console("logon --user alice --password secret").exitCode);
    running.join();
    EXPECT_EQ(0u, agent.exitCode) << agent.output;
    EXPECT_TRUE(agent.Says("ZORAGENT.EXE: notice 1: user \"ALICE\" password \"SECRET\"")) << agent.output;
    EXPECT_TRUE(agent.Says("ZORAGENT.EXE: stopped (status 0)")) << agent.output;
    EXPECT_TRUE(agent.Says("1 notices heard")) << agent.output;
}

TEST_F(RouterConsoleTest, TheListeningSixteenBitSideHearsOfALogonInAnotherProcess)
{
    SharedBlockView block;
    ASSERT_TRUE(block.Open());
    block->notifyWindow = 0;
    ConsoleRun listener;
    std::thread listening([&listener] { listener = Console("listen --count 1 --seconds 60"); });
    for (int wait = 0; wait < 600 && block->notifyWindow == 0; ++wait)
        Sleep(100);
    EXPECT_NE(0u, block->notifyWindow) << "the listener registered no window";

    const ConsoleRun logon = Console("logon --user alice --password secret");
    EXPECT_EQ(0u, logon.exitCode) << logon.output;
    listening.join();
    EXPECT_EQ(0u, listener.exitCode) << listener.output;
    EXPECT_TRUE(listener.Says("message 3000: fetched user \"ALICE\", password \"SECRET\"")) << listener.output;
    EXPECT_TRUE(listener.Says("1 messages heard")) << listener.output;

    const ConsoleRun credentials = Console("credentials");
    EXPECT_EQ(0u, credentials.exitCode);
    EXPECT_TRUE(credentials.Says("user \"ALICE\", password \"SECRET\", new password \"\"")) << credentials.output;

    const ConsoleRun logoff = Console("logoff");
    EXPECT_EQ(0u, logoff.exitCode) << logoff.output;
    EXPECT_TRUE(logoff.Says("result 0: success")) << logoff.output;
    char user[32] = "";
    EXPECT_FALSE(SimLoggedOnUser(user, sizeof(user))) << user;

    SimForce(SimLogoff, 2202);
    const ConsoleRun refused = Console("logoff");
    EXPECT_EQ(1u, refused.exitCode);
    EXPECT_TRUE(refused.Says("result 2202: user name not found")) << refused.output;
}

TEST_F(RouterConsoleTest, ChangePasswordReportsTheClientsAnswer)
{
    const ConsoleRun quiet = Console("change-password --user alice --old secret --new newer --action 777");
    EXPECT_EQ(0u, quiet.exitCode) << quiet.output;
    EXPECT_TRUE(quiet.Says("result 0: success")) << quiet.output;

    const ConsoleRun wrong = Console("change-password --user alice --old guess --new newest");
    EXPECT_EQ(1u, wrong.exitCode) << wrong.output;
    EXPECT_TRUE(wrong.Says("message box \"ZOR Networks Client\": ")) << wrong.output;
    EXPECT_TRUE(wrong.Says("result 86: the old password is not correct")) << wrong.output;

    const ConsoleRun tooLong = Console("change-password --user alice --old newer --new abcdefghijklmnopqrstu "
                                       "--action 777");
    EXPECT_TRUE(tooLong.Says("result 1325: the password does not meet the length restrictions")) << tooLong.output;
}

TEST_F(RouterConsoleTest, QueriesPrintTheProvidersAnswers)
{
    const ConsoleRun caps = Console("caps");
    EXPECT_EQ(0u, caps.exitCode);
    EXPECT_TRUE(caps.Says("index  2  network type      0x00100000")) << caps.output;
    EXPECT_TRUE(caps.Says("index 14                    0x00000036")) << caps.output;
    EXPECT_TRUE(Console("password-status 4").Says("index  4                    0x00000002"));

    const ConsoleRun home = Console("home");
    EXPECT_EQ(0u, home.exitCode);
    EXPECT_TRUE(home.Says("home directory: \\\\ZORSRV1\\HOME")) << home.output;
    SimForce(SimGetHomeDirectory, 53);
    const ConsoleRun noHome = Console("home");
    EXPECT_EQ(1u, noHome.exitCode);
    EXPECT_TRUE(noHome.Says("result 50: not supported")) << noHome.output;

    const ConsoleRun configured = Console("policy --configure \\\\POLSRV\\POLICIES\\ZOR.POL");
    EXPECT_EQ(0u, configured.exitCode) << configured.output;
    EXPECT_TRUE(configured.Says("policy path: \\\\POLSRV\\POLICIES\\ZOR.POL")) << configured.output;
    const ConsoleRun fallback = Console("policy --default");
    EXPECT_TRUE(fallback.Says("policy path: \\\\ZORSRV1\\NETLOGON\\CONFIG.POL")) << fallback.output;
    const ConsoleRun off = Console("policy --off");
    EXPECT_EQ(1u, off.exitCode);
    EXPECT_TRUE(off.Says("no policy path")) << off.output;
    EXPECT_TRUE(off.Says("result 50: not supported")) << off.output;
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUpdateKey);
}

TEST_F(RouterConsoleTest, RegistryServiceSetsReadsAndDeletes)
{
    HKEY logonKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, kLogonKey, &logonKey));
    RegCloseKey(logonKey);

    EXPECT_EQ(0u, Console("registry set connections F: \\\\ZORSRV1\\DOCS --user ALICE").exitCode);
    EXPECT_EQ(0u, Console("registry set 7 LPT1: \\\\ZORSRV1\\LASER").exitCode);
    const ConsoleRun table = Console("registry read connections");
    EXPECT_EQ(0u, table.exitCode);
    EXPECT_TRUE(table.Says("connection F:     \\\\ZORSRV1\\DOCS")) << table.output;
    EXPECT_TRUE(table.Says("connection LPT1:  \\\\ZORSRV1\\LASER")) << table.output;
    EXPECT_TRUE(table.Says("2 persistent connections")) << table.output;

    EXPECT_EQ(0u, Console("registry set lmlogon LMLOGON yes").exitCode);
    const ConsoleRun yes = Console("registry read lmlogon");
    EXPECT_EQ(0u, yes.exitCode);
    EXPECT_TRUE(yes.Says("result 3: the answer is YES")) << yes.output;
    const ConsoleRun agent = Console("registry read agent");
    EXPECT_TRUE(agent.Says("value: zordom")) << agent.output;
    const ConsoleRun noItem = Console("registry read 9");
    EXPECT_EQ(1u, noItem.exitCode);
    EXPECT_TRUE(noItem.Says("result 5: no such item to read")) << noItem.output;

    EXPECT_EQ(0u, Console("registry delete connections F:").exitCode);
    EXPECT_EQ(0u, Console("registry delete 7 LPT1:").exitCode);
    EXPECT_EQ(0u, Console("registry delete lmlogon LMLOGON").exitCode);
    const ConsoleRun none = Console("registry read connections");
    EXPECT_TRUE(none.Says("0 persistent connections")) << none.output;
    const ConsoleRun gone = Console("registry delete lmlogon LMLOGON");
    EXPECT_EQ(1u, gone.exitCode);
    EXPECT_TRUE(gone.Says("result 2: ")) << gone.output;
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kLogonKey);
}

TEST(RouterConsoleInstall, KeepsTheProvidersAlreadyInTheRoutersOrder)
{
    ASSERT_EQ(ERROR_SUCCESS, WriteTextValue(HKEY_LOCAL_MACHINE, kOrderKey, "ProviderOrder", "LanmanWorkstation,OtherNet"));
    const ConsoleRun install = Console("install");
    EXPECT_EQ(0u, install.exitCode) << install.output;
    EXPECT_TRUE(install.Says("router provider order: LanmanWorkstation,OtherNet,ZORNET32")) << install.output;
    EXPECT_TRUE(install.Says("network provider \"ZOR Networks Client\" (ZORNET32.DLL)")) << install.output;

    const ConsoleRun again = Console("install");
    EXPECT_EQ(0u, again.exitCode);
    std::string order;
    EXPECT_TRUE(ReadTextValue(HKEY_LOCAL_MACHINE, kOrderKey, "ProviderOrder", &order));
    EXPECT_EQ("LanmanWorkstation,OtherNet,ZORNET32", order) << "installed once, listed once";

    ASSERT_EQ(ERROR_SUCCESS, WriteTextValue(HKEY_LOCAL_MACHINE, kOrderKey, "ProviderOrder", "zornet32,OtherNet"));
    EXPECT_EQ(0u, Console("install").exitCode);
    EXPECT_TRUE(ReadTextValue(HKEY_LOCAL_MACHINE, kOrderKey, "ProviderOrder", &order));
    EXPECT_EQ("zornet32,OtherNet", order);

    /* Uninstall takes out this provider wherever it stands, and nothing else. */
    ASSERT_EQ(ERROR_SUCCESS,
              WriteTextValue(HKEY_LOCAL_MACHINE, kOrderKey, "ProviderOrder", "LanmanWorkstation,ZORNET32,OtherNet"));
    const ConsoleRun uninstall = Console("uninstall");
    EXPECT_EQ(0u, uninstall.exitCode) << uninstall.output;
    EXPECT_TRUE(uninstall.Says("router provider order: LanmanWorkstation,OtherNet")) << uninstall.output;
    EXPECT_FALSE(ReadTextValue(HKEY_LOCAL_MACHINE, kProviderKey, "ProviderPath", &order));
    EXPECT_FALSE(ReadTextValue(HKEY_LOCAL_MACHINE, kOrderKey, "ZORNET32", &order));
    EXPECT_EQ(0u, Console("uninstall").exitCode) << "a second uninstall finds nothing to do";
    EXPECT_TRUE(ReadTextValue(HKEY_LOCAL_MACHINE, kOrderKey, "ProviderOrder", &order));
    EXPECT_EQ("LanmanWorkstation,OtherNet", order);

    /* As the build's prefix has it: installed, not in the NT-style order. */
    EXPECT_EQ(0u, Console("install").exitCode);
    DeleteValue(HKEY_LOCAL_MACHINE, kOrderKey, "ProviderOrder");
}

} // namespace
