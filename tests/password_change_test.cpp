/*
 * PPChangePassword (ordinal 47) as the router calls it: the actions, the
 * client's errors and their messages, what lands in the shared block, and the
 * remembered domain it changes the password in.
 */
#include "client_call.h"
#include "dialog_driver.h"

#include <cstring>

namespace {


class PasswordChangeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SimReset();
        SetRememberedDomain("ZORDOM");
        ASSERT_TRUE(provider_.Loaded());
        change_ = ProviderEntries(provider_).PPChangePassword;
        ASSERT_NE(nullptr, change_);
        from_ = SimJournalCount();
    }

    DWORD Change(DWORD action, const char *user = "alice", const char *oldPassword = "secret",
                 const char *newPassword = "fresh1")
    {
        std::strcpy(user_, user);
        std::strcpy(old_, oldPassword);
        std::strcpy(new_, newPassword);
        RouterLogonInfo newLogon = {user_, new_};
        RouterLogonInfo previous = {user_, old_};
        return driver_.Run([&] { return change_(&newLogon, &previous, action); });
    }

    std::vector<SimCall> Changes() const { return JournalSince(from_, SimTorvek); }

    Library provider_{"ZORNET32.DLL"};
    decltype(&PPChangePassword) change_ = nullptr;
    DialogDriver driver_;
    DWORD from_ = 0;
    char user_[64] = "", old_[400] = "", new_[64] = "";
};

TEST_F(PasswordChangeTest, ASuccessfulChangeRecordsBothPasswordsInUpperCase)
{
    EXPECT_EQ(0u, Change(3));
    EXPECT_STREQ("ALICE", user_);
    EXPECT_STREQ("SECRET", old_);
    EXPECT_STREQ("FRESH1", new_);
    SharedBlockView block;
    EXPECT_STREQ("FRESH1", block->newPassword);
    EXPECT_STREQ("SECRET", block->oldPassword);

    const std::vector<SimCall> calls = Changes();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(SimChangePassword, calls[0].entry);
    EXPECT_STREQ("ALICE", calls[0].text[0]);
    EXPECT_STREQ("SECRET", calls[0].text[1]);
    EXPECT_STREQ("FRESH1", calls[0].text[2]);
    EXPECT_STREQ("ZORDOM", calls[0].text[3]);

    /* Action 4 forgets the new password and keeps the old one. */
    EXPECT_EQ(0u, Change(4));
    EXPECT_STREQ("", block->newPassword);
    EXPECT_STREQ("SECRET", block->oldPassword);
}

TEST_F(PasswordChangeTest, EachClientErrorHasItsMessage)
{
    const struct {
        LONG client;
        const char *text;
    } cases[] = {
        {53, "The domain server name could not be found."},
        {2221, "The Username cannot be found."},
        {2244, "The new domain password was used recently and cannot be used now.\n"
               "Specify a new domain password that you have not used before."},
        {2246, "The new domain password was used recently and cannot be used now.\n"
               "Specify a new domain password that you have not used before."},
        {2245, "The new domain password is too short.\nSpecify a longer password or see your "
               "network administrator for the required length for network passwords."},
        {2242, "The domain password could not be changed."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.client);
        SimForce(SimChangePassword, c.client);
        DialogDriver driver;
        driver.Then(ExpectMessage(c.text));
        driver_ = driver;
        EXPECT_EQ(static_cast<DWORD>(c.client), Change(3));
    }
    SharedBlockView block;
    EXPECT_STREQ("", block->newPassword) << "a failed change records nothing";
}

TEST_F(PasswordChangeTest, Action777ChangesWithoutAnyMessage)
{
    SimForce(SimChangePassword, 2245);
    EXPECT_EQ(2245u, Change(777));
    SimReset();
    EXPECT_EQ(0u, Change(777));
    SharedBlockView block;
    EXPECT_STREQ("FRESH1", block->newPassword);
}

TEST_F(PasswordChangeTest, OtherActionsChangeNothing)
{
    SharedBlockView block;
    std::strcpy(block->newPassword, "KEPT");
    EXPECT_EQ(0u, Change(1));
    EXPECT_EQ(0u, Change(2));
    EXPECT_EQ(50u, Change(0));
    EXPECT_EQ(50u, Change(5));
    EXPECT_TRUE(Changes().empty());
    EXPECT_STREQ("KEPT", block->newPassword);
    EXPECT_STREQ("alice", user_) << "nothing was upper-cased";
}

TEST_F(PasswordChangeTest, APasswordTheSharedBlockCannotHoldIsRefusedBeforeTheClient)
{
    driver_.Then(ExpectMessage("The domain password could not be changed."));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PASSWORD_RESTRICTION),
              Change(3, "alice", "secret", "twenty-characters-xx"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PASSWORD_RESTRICTION),
              Change(777, "alice", std::string(360, 'o').c_str(), "fresh1"));
    EXPECT_TRUE(Changes().empty());
    EXPECT_EQ(0u, Change(777, "alice", "secret", "nineteen-characters"));
    SharedBlockView block;
    EXPECT_STREQ("NINETEEN-CHARACTERS", block->newPassword);
}

TEST_F(PasswordChangeTest, TheRememberedDomainIsReadByItsExactName)
{
    /* Another letter case is another value. */
    SetRememberedDomain(nullptr);
    SetProviderValue("authenticatingagent", REG_SZ, "LABDOM", 7);
    EXPECT_EQ(53u, Change(777, "alice", "labpass", "fresh1")) << "no domain, no server";
    DeleteProviderValue("authenticatingagent");

    /* The type is not looked at: readable text is the domain. */
    SetProviderValue("AuthenticatingAgent", REG_BINARY, "LABDOM", 7);
    EXPECT_EQ(0u, Change(777, "alice", "labpass", "fresh1"));

    /* A value that does not fit the 16-byte domain is not cut into another domain. */
    SetRememberedDomain("ZORDOMAINTOOLONG");
    EXPECT_EQ(53u, Change(777, "alice", "secret", "fresh1"));

    const std::vector<SimCall> calls = Changes();
    ASSERT_EQ(3u, calls.size());
    EXPECT_STREQ("", calls[0].text[3]);
    EXPECT_STREQ("LABDOM", calls[1].text[3]);
    EXPECT_STREQ("", calls[2].text[3]);
    SetRememberedDomain("ZORDOM");
}

} // namespace
