/*
 * DomainLogon as its callers use it: the strings upper-cased in place, the
 * ten-argument validation by MSNET32.DLL ordinal 58, the statuses that count
 * as success, ClientLogon with the validating server's name, and message
 * 3000 posted to the 16-bit side's window.
 */
#include "test_support.h"
#include "zorn1632.h"
#include "zornet32.h"

#include <cstring>

namespace {

class DomainLogonTest : public ProviderTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ProviderTest::SetUp());
        ASSERT_EQ(0u, Zorn1632RegisterWindow(window_.Handle16()));
    }

    DWORD Logon(const char *user, const char *password, const char *domain, DWORD flag = 1)
    {
        CopyText(user_, user);
        CopyText(password_, password);
        CopyText(domain_, domain);
        return entries_.DomainLogon(user_, password_, domain_, flag);
    }

    NotifyWindow window_;
    char user_[100] = "", password_[64] = "", domain_[64] = "";
};

TEST_F(DomainLogonTest, ValidatesLogsOnAtTheClientAndPostsTheNotification)
{
    EXPECT_EQ(0u, Logon("alice", "secret", "zorDom"));
    EXPECT_STREQ("ALICE", user_);
    EXPECT_STREQ("SECRET", password_);
    EXPECT_STREQ("ZORDOM", domain_);

    const std::vector<SimCall> validations = Validations();
    ASSERT_EQ(1u, validations.size());
    const SimCall &v = validations[0];
    EXPECT_EQ(58, v.entry);
    EXPECT_EQ(0u, v.args[0]);
    EXPECT_EQ(PointerArg(domain_), v.args[1]);
    EXPECT_EQ(PointerArg(user_), v.args[2]);
    EXPECT_EQ(PointerArg(password_), v.args[3]);
    EXPECT_NE(0u, v.args[4]);
    EXPECT_STREQ("", v.text[3]);
    EXPECT_EQ(0u, v.args[5]);
    EXPECT_EQ(1u, v.args[6]);
    EXPECT_NE(0u, v.args[7]);
    EXPECT_EQ(256u, v.args[8]);
    EXPECT_NE(0u, v.args[9]);
    EXPECT_TRUE(v.waitCursor);

    const std::vector<SimCall> client = ClientCalls();
    ASSERT_EQ(1u, client.size());
    EXPECT_EQ(SimLogon, client[0].entry);
    EXPECT_EQ(PointerArg(user_), client[0].args[0]);
    EXPECT_STREQ("\\\\ZORSRV1", client[0].text[1]);
    EXPECT_EQ(PointerArg(domain_), client[0].args[2]);
    EXPECT_EQ(kClientCallValue, client[0].args[3]);

    EXPECT_EQ(0, window_.Sent()) << "the notification is posted, not sent";
    EXPECT_EQ(1, window_.TakePosted());
}

TEST_F(DomainLogonTest, TheWaitCursorIsShownOnlyWhenAskedAndRestoredAfterwards)
{
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    SetCursor(arrow);
    EXPECT_EQ(0u, Logon("alice", "secret", "zordom", 0));
    EXPECT_EQ(arrow, GetCursor());
    EXPECT_EQ(5u, Logon("alice", "wrong", "zordom", 1));
    EXPECT_EQ(arrow, GetCursor());

    const std::vector<SimCall> validations = Validations();
    ASSERT_EQ(2u, validations.size());
    EXPECT_FALSE(validations[0].waitCursor);
    EXPECT_TRUE(validations[1].waitCursor);
}

/* The validation decides first (its return value, then the status word of its
 * result; 2200 and 2204 count as success), then the client's logon; only a
 * success posts the notification. The strings are upper-cased in place
 * whatever the outcome. */
TEST_F(DomainLogonTest, TheValidationThenTheClientDecideTheStatus)
{
    constexpr int kNothingForced = -1;
    const struct {
        int forced; /* a SimForced or a TORVEK entry */
        LONG value;
        const char *user, *password;
        DWORD status;
        size_t clientCalls;
        const char *why;
    } cases[] = {
        {kNothingForced, 0, "alice", "guess", 5, 0, "a rejection with a zero status word"},
        {kNothingForced, 0, "bob", "oldpass", 2242, 0, "expired"},
        {SimForceValidateReturn, 1326, "Carol", "x", 1326, 0, "a rejection is returned unchanged"},
        {SimForceValidateStatus, 2202, "alice", "secret", 2202, 0, "the status overrides the return value 0"},
        {SimForceValidateReturn, 2200, "alice", "secret", 0, 1, "2200 returned counts as success"},
        {SimForceValidateReturn, 2204, "alice", "secret", 0, 1, "2204 returned counts as success"},
        {SimForceValidateStatus, 2200, "alice", "secret", 0, 1, "2200 in the result counts as success"},
        {SimForceValidateStatus, 2204, "alice", "secret", 0, 1, "2204 in the result counts as success"},
        {SimLogon, 2204, "alice", "secret", 0, 1, "the client's 2204 counts as success"},
        {SimLogon, 2202, "alice", "secret", 2202, 1, "the client's error"},
        {SimLogon, 0xFFFF, "alice", "secret", 0xFFFFFFFF, 1, "the client's error, widened with its sign"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.why);
        SimReset();
        if (c.forced != kNothingForced)
            SimForce(c.forced, c.value);
        RestartJournal();
        EXPECT_EQ(c.status, Logon(c.user, c.password, "zordom"));
        std::string user = c.user, password = c.password;
        CharUpperA(&user[0]);
        CharUpperA(&password[0]);
        EXPECT_EQ(user, user_);
        EXPECT_EQ(password, password_);
        EXPECT_STREQ("ZORDOM", domain_);
        EXPECT_EQ(c.clientCalls, ClientCalls().size());
        EXPECT_EQ(c.status == 0 ? 1 : 0, window_.TakePosted());
    }
}

TEST_F(DomainLogonTest, NothingIsPostedWhenNoWindowIsRegistered)
{
    ASSERT_EQ(0u, Zorn1632RegisterWindow(0));
    EXPECT_EQ(0u, Logon("alice", "secret", "zordom"));
    EXPECT_EQ(0, window_.TakePosted());
    EXPECT_EQ(0, window_.Sent());
}

TEST_F(DomainLogonTest, AnEmptyDomainIsPassedOnAsAnEmptyString)
{
    EXPECT_EQ(2215u, Logon("alice", "secret", ""));
    const std::vector<SimCall> validations = Validations();
    ASSERT_EQ(1u, validations.size());
    EXPECT_NE(0u, validations[0].args[1]);
    EXPECT_STREQ("", validations[0].text[0]);
}

/* The server name that reached ClientLogon, read through the pointer it got. */
std::string ServerGivenToClient(const std::vector<SimCall> &client)
{
    if (client.size() != 1 || client[0].entry != SimLogon)
        return "<no logon>";
    return reinterpret_cast<const char *>(client[0].args[1]);
}

TEST_F(DomainLogonTest, TheServerNameIsPassedWholeOrNotAtAll)
{
    /* The longest name the 256-byte buffer holds with its terminator, one
     * character more, far more, and a validation that names no server. */
    const std::string longest(255, 'S'), tooLong(256, 'T'), farTooLong(900, 'U');
    const std::pair<const char *, std::string> cases[] = {
        {longest.c_str(), longest}, {tooLong.c_str(), ""}, {farTooLong.c_str(), ""}, {nullptr, ""}};
    for (const auto &[server, given] : cases) {
        SimSetValidatingServer(server);
        RestartJournal();
        EXPECT_EQ(0u, Logon("alice", "secret", "zordom"));
        EXPECT_EQ(given, ServerGivenToClient(ClientCalls())) << (server ? std::strlen(server) : 0);
    }
    EXPECT_EQ(4, window_.TakePosted());
}

TEST(DomainLogonWithoutValidator, Returns520WithoutCallingTheClient)
{
    SimReset();
    const DWORD from = SimJournalCount();

    const std::string notLoggedOn = "status=" + std::to_string(IDS_NOT_LOGGED_ON);
    Sandbox missing("logon-no-msnet32");
    missing.AddProviderWithPartners();
    std::string output;
    EXPECT_EQ(0u, missing.Probe("logon alice secret zordom", &output));
    EXPECT_TRUE(Contains(output, notLoggedOn + " user=ALICE password=SECRET domain=ZORDOM"));

    Sandbox withoutEntry("logon-msnet32-without-58");
    withoutEntry.AddProviderWithPartners();
    withoutEntry.Add("variants/msnet32-without-entry/MSNET32.DLL");
    EXPECT_EQ(0u, withoutEntry.Probe("logon alice secret zordom", &output));
    EXPECT_TRUE(Contains(output, notLoggedOn));

    EXPECT_TRUE(JournalSince(from).empty());
}

} // namespace
