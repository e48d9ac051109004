/*
 * DomainLogon (ordinal 100) as its callers use it: the strings upper-cased in
 * place, the ten-argument validation by MSNET32.DLL ordinal 58, the statuses
 * that count as success, ClientLogon with the validating server's name, and
 * message 3000 posted to the 16-bit side's window.
 */
#include "client_call.h"
#include "test_support.h"
#include "zorn1632.h"

#include <cstring>
#include <string>

namespace {


class DomainLogonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SimReset();
        ASSERT_TRUE(provider_.Loaded());
        domainLogon_ = ProviderEntries(provider_).DomainLogon;
        ASSERT_NE(nullptr, domainLogon_);
        ASSERT_EQ(0u, Zorn1632RegisterWindow(window_.Handle16()));
        from_ = SimJournalCount();
    }

    DWORD Logon(const char *user, const char *password, const char *domain, DWORD flag = 1)
    {
        std::strcpy(user_, user);
        std::strcpy(password_, password);
        std::strcpy(domain_, domain);
        return domainLogon_(user_, password_, domain_, flag);
    }

    std::vector<SimCall> Validations() const { return JournalSince(from_, SimMsnet32); }
    std::vector<SimCall> ClientCalls() const { return JournalSince(from_, SimTorvek); }

    Library provider_{"ZORNET32.DLL"};
    decltype(&DomainLogon) domainLogon_ = nullptr;
    NotifyWindow window_;
    DWORD from_ = 0;
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

TEST_F(DomainLogonTest, TheStatusInTheResultOverridesTheReturnValue)
{
    SimForce(SimForceValidateStatus, 2202); /* the entry itself returns 0 */
    EXPECT_EQ(2202u, Logon("alice", "secret", "zordom"));
    EXPECT_TRUE(ClientCalls().empty());
    EXPECT_EQ(0, window_.TakePosted());
}

TEST_F(DomainLogonTest, ARejectionIsReturnedUnchangedAndTheStringsAreUpperCasedAllTheSame)
{
    EXPECT_EQ(5u, Logon("alice", "guess", "zordom"));    /* returned with a zero status word */
    EXPECT_EQ(2242u, Logon("bob", "oldpass", "zordom")); /* expired */
    SimForce(SimForceValidateReturn, 1326);
    EXPECT_EQ(1326u, Logon("Carol", "x", "labdom"));
    EXPECT_STREQ("CAROL", user_);
    EXPECT_STREQ("X", password_);
    EXPECT_STREQ("LABDOM", domain_);
    EXPECT_TRUE(ClientCalls().empty());
    EXPECT_EQ(0, window_.TakePosted());
}

TEST_F(DomainLogonTest, ValidationStatuses2200And2204CountAsSuccess)
{
    const struct {
        int where;
        LONG value;
    } accepted[] = {
        {SimForceValidateReturn, 2200},
        {SimForceValidateReturn, 2204},
        {SimForceValidateStatus, 2200},
        {SimForceValidateStatus, 2204},
    };
    for (const auto &a : accepted) {
        SimReset();
        SimForce(a.where, a.value);
        const DWORD before = SimJournalCount();
        EXPECT_EQ(0u, Logon("alice", "secret", "zordom")) << a.value;
        EXPECT_EQ(1u, JournalSince(before, SimTorvek).size()) << a.value;
        EXPECT_EQ(1, window_.TakePosted()) << a.value;
    }
}

TEST_F(DomainLogonTest, TheClientsResultDecidesAfterValidation)
{
    SimForce(SimLogon, 2204);
    EXPECT_EQ(0u, Logon("alice", "secret", "zordom"));
    EXPECT_EQ(1, window_.TakePosted());

    SimForce(SimLogon, 2202);
    EXPECT_EQ(2202u, Logon("alice", "secret", "zordom"));
    EXPECT_EQ(0, window_.TakePosted());

    SimForce(SimLogon, 0xFFFF);
    EXPECT_EQ(0xFFFFFFFFu, Logon("alice", "secret", "zordom"));
    EXPECT_EQ(0, window_.TakePosted());
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
    const std::string longest(255, 'S');
    SimSetValidatingServer(longest.c_str());
    EXPECT_EQ(0u, Logon("alice", "secret", "zordom"));
    EXPECT_EQ(longest, ServerGivenToClient(ClientCalls()));

    /* One character more does not fit the 256-byte buffer with its terminator. */
    const std::string tooLong(256, 'T');
    SimSetValidatingServer(tooLong.c_str());
    from_ = SimJournalCount();
    EXPECT_EQ(0u, Logon("alice", "secret", "zordom"));
    EXPECT_EQ("", ServerGivenToClient(ClientCalls()));

    const std::string farTooLong(900, 'U');
    SimSetValidatingServer(farTooLong.c_str());
    from_ = SimJournalCount();
    EXPECT_EQ(0u, Logon("alice", "secret", "zordom"));
    EXPECT_EQ("", ServerGivenToClient(ClientCalls()));

    /* A validation that names no server at all. */
    SimSetValidatingServer(nullptr);
    from_ = SimJournalCount();
    EXPECT_EQ(0u, Logon("alice", "secret", "zordom"));
    EXPECT_EQ("", ServerGivenToClient(ClientCalls()));
    EXPECT_EQ(4, window_.TakePosted());
}

TEST(DomainLogonWithoutValidator, Returns520WithoutCallingTheClient)
{
    SimReset();
    const DWORD from = SimJournalCount();

    Sandbox missing("logon-no-msnet32");
    missing.AddProviderWithPartners();
    std::string output;
    EXPECT_EQ(0u, missing.Probe("logon alice secret zordom", &output));
    EXPECT_NE(std::string::npos, output.find("status=520 user=ALICE password=SECRET domain=ZORDOM"))
        << output;

    Sandbox withoutEntry("logon-msnet32-without-58");
    withoutEntry.AddProviderWithPartners();
    withoutEntry.Add("variants/msnet32-without-entry/MSNET32.DLL");
    EXPECT_EQ(0u, withoutEntry.Probe("logon alice secret zordom", &output));
    EXPECT_NE(std::string::npos, output.find("status=520")) << output;

    EXPECT_TRUE(JournalSince(from).empty());
}

} // namespace
