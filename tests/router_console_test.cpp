/*
 * The router console as a person runs it: a real process per command, its
 * output and its exit status (0 success, 1 the entry answered an error, 2 the
 * command line was not understood, 3 a library did not load). This process
 * holds the simulated network and the provider loaded, so the state that one
 * command leaves is there for the next, as it is while the 16-bit side runs.
 */
#include "provider_settings.h"
#include "registry_values.h"
#include "test_support.h"

namespace {

struct ConsoleRun {
    DWORD exitCode = kChildNotFinished;
    std::string output;
};

/* Runs the console with these arguments; expects its exit status and each
 * text in its output. */
ConsoleRun Console(const std::string &arguments, DWORD exitCode, std::initializer_list<std::string> says = {})
{
    ConsoleRun run;
    run.exitCode = RunProgram(ProgramCommand("router_console.exe", arguments), ProgramFolder(), &run.output);
    EXPECT_EQ(exitCode, run.exitCode) << "router_console " << arguments << "\n" << run.output;
    for (const std::string &text : says)
        EXPECT_TRUE(Contains(run.output, text)) << "router_console " << arguments;
    return run;
}

/* Runs a console command that registers a window of the 16-bit side until it
 * has, then a silent logon in another console; expects the first to end with
 * status 0 having said each text. */
void ExpectLogonHeard(const std::string &arguments, DWORD seconds, std::initializer_list<std::string> says)
{
    SharedBlockView block;
    ASSERT_TRUE(block.Open());
    block->notifyWindow = 0;
    ChildProcess listener;
    ASSERT_TRUE(listener.Start(ProgramCommand("router_console.exe", arguments), ProgramFolder(), true));
    for (DWORD waited = 0; waited < seconds * 1000 && block->notifyWindow == 0; waited += 100)
        Sleep(100);
    EXPECT_NE(0u, block->notifyWindow) << arguments << " registered no window";

    Console("logon --user alice --password secret", 0);
    DWORD exitCode = kChildNotFinished;
    EXPECT_TRUE(listener.Wait(seconds * 1000, &exitCode)) << arguments;
    EXPECT_EQ(0u, exitCode) << listener.Output();
    for (const std::string &text : says)
        EXPECT_TRUE(Contains(listener.Output(), text)) << "router_console " << arguments;
}

std::string ProviderOrder()
{
    std::string order;
    return ReadProviderOrder(&order) ? order : "<none>";
}

using RouterConsoleTest = ProviderTest;

TEST(RouterConsoleArguments, BadCommandLinesAreExplainedWithStatus2)
{
    const struct {
        std::string arguments;
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
        {"logon --user " + std::string(300, 'u'), "at most 255 characters"},
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
        {"registry set connections F: \\\\S\\D --user " + std::string(260, 'u'), "--user takes at most 259 characters"},
    };
    for (const auto &c : cases)
        Console(c.arguments, 2, {c.says});
}

TEST(RouterConsoleArguments, EverySubcommandHasHelp)
{
    const ConsoleRun overview = Console("--help", 0);
    for (const char *command : {"install", "uninstall", "caps", "password-status", "logon", "logoff",
                                "change-password", "home", "policy", "listen", "agent", "credentials", "registry"}) {
        EXPECT_TRUE(Contains(overview.output, std::string("  ") + command + " "));
        Console(std::string(command) + " --help", 0, {std::string("usage: router_console ") + command});
    }
}

TEST(RouterConsoleAlone, SaysWhichLibraryOrFileIsMissing)
{
    Sandbox folder("console-alone");
    folder.Add("router_console.exe");
    const auto expectRun = [&folder](const char *arguments, DWORD exitCode, const char *says) {
        std::string output;
        EXPECT_EQ(exitCode, folder.Run("router_console.exe", arguments, &output)) << arguments << "\n" << output;
        EXPECT_TRUE(Contains(output, says)) << arguments;
    };
    expectRun("caps", 3, "ZORNET32.DLL did not load");
    expectRun("registry read agent", 3, "QENREGIO.DLL did not load");
    expectRun("install", 1, "ZORNET.INF is missing");

    /* The provider with what it loads, and no stand-in of the 16-bit side's
     * registry service: the router's subcommands work. */
    folder.AddProviderWithPartners();
    expectRun("caps 2", 0, "network type      0x00100000");
    expectRun("registry read agent", 3, "QENREGIO.DLL did not load");
}

TEST_F(RouterConsoleTest, SilentLogonPrintsEachResultWithItsMeaning)
{
    Console("logon --user alice --password secret --domain zordom", 0, {"result 0: success"});
    char user[32] = "";
    EXPECT_TRUE(SimLoggedOnUser(user, sizeof(user)));
    EXPECT_STREQ("ALICE", user);

    Console("logon --user alice --password guess", 1, {"result 5: access denied: the password is not correct"});
    Console("logon --user nobody --password x --flags 4", 1, {"result 2202: user name not found"});
    Console("logon --user alice --password secret --domain elsewhere", 1,
            {"result 2215: no domain server is available"});
    EXPECT_EQ("elsewhere", RememberedDomain()) << "--domain is remembered as a dialog would remember it";
}

TEST_F(RouterConsoleTest, InteractiveLogonIsTypedAndItsMessagesArePrinted)
{
    Console("logon --flags 2 --type alice:guess:zordom", 1,
            {"logon dialog: typed user \"alice\", a password of 5 characters, domain \"zordom\"",
             "message box \"ZOR Networks Client\": The domain password you supplied is not correct, "
             "or your access to the server has been denied.  [OK]",
             "the logon dialog came back with nothing more to type  [Cancel]", "result 1223: cancelled by the user"});
    Console("logon --flags 6 --type alice:guess:zordom", 1,
            {"result 1503: cancelled by the user, and this logon required validation"});
    Console("logon --flags 2 --type alice:secret:zordom", 0,
            {"the router's buffers: user \"alice\", a password of 6 characters"});
    Console("logon --flags 2 --type bob:oldpass:zordom --new-password newpass", 0,
            {"Your domain password has expired. You must specify a new password to logon.",
             "change-password dialog: typed the new password twice  [OK]", "a password of 7 characters"});
}

TEST_F(RouterConsoleTest, TheAgentRunsTheSixteenBitProgramAndShowsWhatItHeard)
{
    ExpectLogonHeard("agent --count 1 --seconds 90", 90,
                     {"ZORAGENT.EXE: notice 1: user \"ALICE\" password \"SECRET\"", "ZORAGENT.EXE: stopped (status 0)",
                      "1 notices heard"});
}

TEST_F(RouterConsoleTest, TheListeningSixteenBitSideHearsOfALogonInAnotherProcess)
{
    ExpectLogonHeard("listen --count 1 --seconds 60", 60,
                     {"message 3000: fetched user \"ALICE\", password \"SECRET\"", "1 messages heard"});
    Console("credentials", 0, {"user \"ALICE\", password \"SECRET\", new password \"\""});
    Console("logoff", 0, {"result 0: success"});
    char user[32] = "";
    EXPECT_FALSE(SimLoggedOnUser(user, sizeof(user))) << user;

    SimForce(SimLogoff, 2202);
    Console("logoff", 1, {"result 2202: user name not found"});
}

TEST_F(RouterConsoleTest, ChangePasswordReportsTheClientsAnswer)
{
    Console("change-password --user alice --old secret --new newer --action 777", 0, {"result 0: success"});
    Console("change-password --user alice --old guess --new newest", 1,
            {"message box \"ZOR Networks Client\": ", "result 86: the old password is not correct"});
    Console("change-password --user alice --old newer --new abcdefghijklmnopqrstu --action 777", 1,
            {"result 1325: the password does not meet the length restrictions"});
}

TEST_F(RouterConsoleTest, QueriesPrintTheProvidersAnswers)
{
    Console("caps", 0, {"index  2  network type      0x00100000", "index 14                    0x00000036"});
    Console("password-status 4", 0, {"index  4                    0x00000002"});

    Console("home", 0, {"home directory: \\\\ZORSRV1\\HOME"});
    SimForce(SimGetHomeDirectory, 53);
    Console("home", 1, {"result 50: not supported"});

    Console("policy --configure \\\\POLSRV\\POLICIES\\ZOR.POL", 0, {"policy path: \\\\POLSRV\\POLICIES\\ZOR.POL"});
    Console("policy --default", 0, {"policy path: \\\\ZORSRV1\\NETLOGON\\CONFIG.POL"});
    Console("policy --off", 1, {"no policy path", "result 50: not supported"});
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUpdateKey);
}

TEST_F(RouterConsoleTest, RegistryServiceSetsReadsAndDeletes)
{
    HKEY logonKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, kLogonKey, &logonKey));
    RegCloseKey(logonKey);

    Console("registry set connections F: \\\\ZORSRV1\\DOCS --user ALICE", 0);
    Console("registry set 7 LPT1: \\\\ZORSRV1\\LASER", 0);
    Console("registry read connections", 0,
            {"connection F:     \\\\ZORSRV1\\DOCS", "connection LPT1:  \\\\ZORSRV1\\LASER",
             "2 persistent connections"});

    Console("registry set lmlogon LMLOGON yes", 0);
    Console("registry read lmlogon", 0, {"result 3: the answer is YES"});
    Console("registry read agent", 0, {"value: ZORDOM"});
    Console("registry read 9", 1, {"result 5: no such item to read"});

    Console("registry delete connections F:", 0);
    Console("registry delete 7 LPT1:", 0);
    Console("registry delete lmlogon LMLOGON", 0);
    Console("registry read connections", 1, {"0 persistent connections"});
    Console("registry delete lmlogon LMLOGON", 1, {"result 2: "});
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kLogonKey);
}

TEST(RouterConsoleInstall, KeepsTheProvidersAlreadyInTheRoutersOrder)
{
    ASSERT_EQ(ERROR_SUCCESS, WriteProviderOrder("LanmanWorkstation,OtherNet"));
    Console("install", 0,
            {"router provider order: LanmanWorkstation,OtherNet,ZORNET32",
             "network provider \"ZOR Networks Client\" (ZORNET32.DLL)"});
    Console("install", 0);
    EXPECT_EQ("LanmanWorkstation,OtherNet,ZORNET32", ProviderOrder()) << "installed once, listed once";

    ASSERT_EQ(ERROR_SUCCESS, WriteProviderOrder("zornet32,OtherNet"));
    Console("install", 0);
    EXPECT_EQ("zornet32,OtherNet", ProviderOrder());

    /* Uninstall takes out this provider wherever it stands, and nothing else. */
    ASSERT_EQ(ERROR_SUCCESS, WriteProviderOrder("LanmanWorkstation,ZORNET32,OtherNet"));
    Console("uninstall", 0, {"router provider order: LanmanWorkstation,OtherNet"});
    std::string value;
    EXPECT_FALSE(ReadTextValue(HKEY_LOCAL_MACHINE, kProviderKey, "ProviderPath", &value));
    EXPECT_FALSE(ReadTextValue(HKEY_LOCAL_MACHINE, kProviderOrderKey, kProviderName, &value));
    Console("uninstall", 0); /* a second uninstall finds nothing to do */
    EXPECT_EQ("LanmanWorkstation,OtherNet", ProviderOrder());

    /* As the build's prefix has it: installed, not in the NT-style order. */
    Console("install", 0);
    EXPECT_EQ(ERROR_SUCCESS, WriteProviderOrder(""));
}

} // namespace
