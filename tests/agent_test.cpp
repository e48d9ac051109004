/*
 * The client's 16-bit side as it runs on a real machine: ZORAGENT.EXE, a
 * Win16 program in a process of its own, registers its window through
 * ZORN1632's thunk, and hears message 3000 from logons and logoffs made in
 * this process; it fetches the credentials and reads its settings through
 * QENTHUNK, and writes what it got to its journal.
 */
#include "router_logon.h"
#include "agent_process.h"
#include "provider_settings.h"
#include "registry_values.h"
#include "test_support.h"

#include <optional>

namespace {

constexpr DWORD kStartMs = 90000;  /* the first window of a session is slow under emulation */
constexpr DWORD kNoticeMs = 30000;
constexpr DWORD kQuietMs = 1500;   /* how long a notice that must not come is waited for */
const std::string kConnectionKey = std::string(kPersistentKey) + "F";

class AgentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SimReset();
        ASSERT_EQ(ERROR_SUCCESS, RememberDomain("zordom"));
        ASSERT_EQ(ERROR_SUCCESS,
                  WriteTextValue(HKEY_CURRENT_USER, kConnectionKey.c_str(), "RemotePath", "\\\\ZORSRV1\\DOCS"));
        WaitUntilNoBlock();
    }
    /* No process of an earlier run keeps the block (and a registration) alive. */
    static void WaitUntilNoBlock()
    {
        for (int i = 0; i < 500 && SharedBlockView().Open(); ++i)
            Sleep(10);
    }
    void TearDown() override { RegDeleteKeyA(HKEY_CURRENT_USER, kConnectionKey.c_str()); }

    void Start(AgentProcess *agent, const std::string &options = "")
    {
        std::string error;
        ASSERT_TRUE(agent->Start(ProgramFolder(), options, kStartMs, &error)) << error;
    }
    /* The line of notice n, waited for; fails the test with what was waited for. */
    std::string Notice(const AgentProcess &agent, int n)
    {
        std::string error;
        const std::string line = agent.WaitForLine("notice " + std::to_string(n) + ":", kNoticeMs, &error);
        EXPECT_FALSE(line.empty()) << error;
        return line;
    }
    /* Alice logs on silently, as the router logs her on. */
    static DWORD SilentLogon(const LoadedLibrary &provider)
    {
        LogonBuffers alice = {"alice", "secret"};
        return RouterLogon(ProviderEntries(provider).NPLogon, &alice, FlagsSilent);
    }
};

TEST_F(AgentTest, HearsEachLogonPasswordChangeAndLogoffAndFetchesWhatTheyLeft)
{
    /* Started while no 32-bit process has the provider: its first call up
     * loads ZORNET32 into its own process, which creates the block. */
    ASSERT_FALSE(SharedBlockView().Open());
    AgentProcess agent;
    Start(&agent);
    EXPECT_TRUE(SharedBlockView().Open()) << "the 16-bit program's call up loaded the provider";

    LoadedLibrary provider("ZORNET32.DLL");
    ASSERT_TRUE(provider.Loaded());
    ASSERT_EQ(0u, SilentLogon(provider));
    const std::string logon = Notice(agent, 1);
    EXPECT_TRUE(Contains(logon, "user \"ALICE\" password \"SECRET\" new password \"\" "
                                "(QENGetUseridPassword answered 00000000)"));
    EXPECT_TRUE(Contains(logon, "(item 7 answered 00000000): F:=\\\\ZORSRV1\\DOCS;"));
    EXPECT_TRUE(Contains(logon, "(item 2 answered 00000000): \"zordom\""));

    /* A password change tells nobody; the next notice fetches the new password. */
    char user[64] = "alice", oldPassword[64] = "secret", newPassword[64] = "fresh1";
    RouterLogonInfo newLogon = {user, newPassword}, previous = {user, oldPassword};
    ASSERT_EQ(0u, ProviderEntries(provider).PPChangePassword(&newLogon, &previous, ActionChangeQuietly));
    Sleep(kQuietMs);
    EXPECT_EQ(1, agent.Notices());
    ASSERT_EQ(0u, ProviderEntries(provider).NPLogoff(nullptr, nullptr, kLogoffReasonLogoff));
    const std::string logoff = Notice(agent, 2);
    EXPECT_TRUE(Contains(logoff, "new password \"FRESH1\""));

    EXPECT_TRUE(agent.Stop(kNoticeMs));
    const std::vector<std::string> lines = agent.Lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ("unregistered: QENMirevola(0) answered 00000000", lines[lines.size() - 2]);
    EXPECT_EQ("stopped (status 0)", lines.back());
}

/* Its 16-bit libraries connect first (it loads them), or the 32-bit ones do
 * (/32: it loads ZORNET32 and QENREGIO first); before the block exists, and
 * after: each way the notice arrives and the fetch and reads work. */
TEST_F(AgentTest, WorksInBothConnectionOrdersBeforeAndAfterTheBlockExists)
{
    for (const char *options : {"/32", ""}) {
        SCOPED_TRACE(options);
        for (bool providerFirst : {false, true}) {
            SCOPED_TRACE(providerFirst ? "block first" : "program first");
            WaitUntilNoBlock();
            std::optional<LoadedLibrary> early;
            if (providerFirst)
                early.emplace("ZORNET32.DLL");
            EXPECT_EQ(providerFirst, SharedBlockView().Open());
            AgentProcess agent;
            Start(&agent, options);
            const std::vector<std::string> lines = agent.Lines();
            if (*options != '\0') {
                ASSERT_GE(lines.size(), 3u);
                EXPECT_EQ(0u, lines[1].find("ZORNET32.DLL loaded first (LoadLibraryEx32W)")) << lines[1];
                EXPECT_EQ(0u, lines[2].find("QENREGIO.DLL loaded first (LoadLibraryEx32W)")) << lines[2];
            }
            LoadedLibrary provider("ZORNET32.DLL");
            ASSERT_EQ(0u, SilentLogon(provider));
            const std::string line = Notice(agent, 1);
            EXPECT_TRUE(Contains(line, "user \"ALICE\" password \"SECRET\""));
            EXPECT_TRUE(Contains(line, "F:=\\\\ZORSRV1\\DOCS;"));
            EXPECT_TRUE(agent.Stop(kNoticeMs));
        }
    }
}

TEST_F(AgentTest, TheLastRegistrationHearsAndARegistrationWithZeroEndsTheNotices)
{
    AgentProcess first, second;
    Start(&first);
    Start(&second);
    LoadedLibrary provider("ZORNET32.DLL");
    ASSERT_EQ(0u, SilentLogon(provider));
    Notice(second, 1);
    Sleep(kQuietMs);
    EXPECT_EQ(0, first.Notices());

    ASSERT_EQ(0u, ProviderEntries(provider).QENMirevola(0));
    ASSERT_EQ(0u, SilentLogon(provider));
    Sleep(kQuietMs);
    EXPECT_EQ(1, second.Notices());
    EXPECT_EQ(0, first.Notices());
}

/* A program that dies without ending its registration: the logon after it
 * posts to a window that is gone, harmlessly, and a new program hears the
 * next one. */
TEST_F(AgentTest, AProgramKilledWithoutUnregisteringCostsNothing)
{
    LoadedLibrary provider("ZORNET32.DLL");
    {
        AgentProcess killed;
        Start(&killed);
        killed.Kill();
        EXPECT_FALSE(IsWindow(killed.Window()));
    }
    const DWORD start = GetTickCount();
    EXPECT_EQ(0u, SilentLogon(provider));
    EXPECT_LT(GetTickCount() - start, 10000u) << "no wait on the window that is gone";

    AgentProcess next;
    Start(&next);
    ASSERT_EQ(0u, SilentLogon(provider));
    const std::string line = Notice(next, 1);
    EXPECT_TRUE(Contains(line, "user \"ALICE\""));
}

TEST_F(AgentTest, ALibraryThatDoesNotLoadIsAJournalLineAndAStop)
{
    Sandbox folder("agent-alone");
    folder.Add("ZORAGENT.EXE");
    AgentProcess agent;
    std::string error;
    EXPECT_FALSE(agent.Start(folder.Folder(), "", kStartMs, &error));
    EXPECT_TRUE(Contains(error, "failed: ZORN1632.DLL did not load (LoadLibrary): error "));
    EXPECT_EQ("stopped (status 3)", agent.WaitForLine("stopped", kNoticeMs));
}

} // namespace
