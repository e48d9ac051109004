/*
 * PPChangePassword as the router calls it: the actions, the client's errors
 * and their messages, what lands in the shared block, and the remembered
 * domain it changes the password in.
 */
#include "dialog_driver.h"
#include "provider_settings.h"
#include "registry_values.h"

#include <cstring>

namespace {

class PasswordChangeTest : public ProviderTest {
protected:
    DWORD Change(DWORD action, const std::string &user = "alice", const std::string &oldPassword = "secret",
                 const std::string &newPassword = "fresh1")
    {
        CopyText(user_, user);
        CopyText(old_, oldPassword);
        CopyText(new_, newPassword);
        RouterLogonInfo newLogon = {user_, new_};
        RouterLogonInfo previous = {user_, old_};
        return driver_.Run([&] { return entries_.PPChangePassword(&newLogon, &previous, action); });
    }

    DialogDriver driver_;
    char user_[64] = "", old_[400] = "", new_[64] = "";
};

TEST_F(PasswordChangeTest, ASuccessfulChangeRecordsBothPasswordsInUpperCase)
{
    EXPECT_EQ(0u, Change(ActionChange));
    EXPECT_STREQ("ALICE", user_);
    EXPECT_STREQ("SECRET", old_);
    EXPECT_STREQ("FRESH1", new_);
    SharedBlockView block;
    EXPECT_STREQ("FRESH1", block->newPassword);
    EXPECT_STREQ("SECRET", block->oldPassword);

    const std::vector<SimCall> calls = ClientCalls();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(SimChangePassword, calls[0].entry);
    EXPECT_STREQ("ALICE", calls[0].text[0]);
    EXPECT_STREQ("SECRET", calls[0].text[1]);
    EXPECT_STREQ("FRESH1", calls[0].text[2]);
    EXPECT_STREQ("ZORDOM", calls[0].text[3]);

    /* It forgets the new password and keeps the old one. */
    EXPECT_EQ(0u, Change(ActionForgetNewPassword));
    EXPECT_STREQ("", block->newPassword);
    EXPECT_STREQ("SECRET", block->oldPassword);
}

TEST_F(PasswordChangeTest, EachClientErrorHasItsMessage)
{
    const struct {
        LONG client;
        UINT message;
    } cases[] = {
        {53, IDS_SERVER_NOT_FOUND},   {2221, IDS_USER_NOT_FOUND},     {2244, IDS_PASSWORD_USED},
        {2246, IDS_PASSWORD_USED},    {2245, IDS_PASSWORD_TOO_SHORT}, {2242, IDS_CHANGE_FAILED},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.client);
        SimForce(SimChangePassword, c.client);
        driver_ = DialogDriver();
        driver_.Then(ExpectMessage(c.message));
        EXPECT_EQ(static_cast<DWORD>(c.client), Change(ActionChange));
        EXPECT_EQ(static_cast<DWORD>(c.client), Change(ActionChangeQuietly)) << "the same, without a message";
    }
    SharedBlockView block;
    EXPECT_STREQ("", block->newPassword) << "a failed change records nothing";
}

TEST_F(PasswordChangeTest, OtherActionsChangeNothing)
{
    SharedBlockView block;
    std::strcpy(block->newPassword, "KEPT");
    EXPECT_EQ(0u, Change(ActionNoticeLogon));
    EXPECT_EQ(0u, Change(ActionNoticeChange));
    EXPECT_EQ(50u, Change(0));
    EXPECT_EQ(50u, Change(5));
    EXPECT_TRUE(ClientCalls().empty());
    EXPECT_STREQ("KEPT", block->newPassword);
    EXPECT_STREQ("alice", user_) << "nothing was upper-cased";
}

TEST_F(PasswordChangeTest, APasswordTheSharedBlockCannotHoldIsRefusedBeforeTheClient)
{
    driver_.Then(ExpectMessage(IDS_CHANGE_FAILED));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PASSWORD_RESTRICTION),
              Change(ActionChange, "alice", "secret", "twenty-characters-xx"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PASSWORD_RESTRICTION),
              Change(ActionChangeQuietly, "alice", std::string(360, 'o'), "fresh1"));
    EXPECT_TRUE(ClientCalls().empty());
    EXPECT_EQ(0u, Change(ActionChangeQuietly, "alice", "secret", "nineteen-characters"));
    SharedBlockView block;
    EXPECT_STREQ("NINETEEN-CHARACTERS", block->newPassword);
}

TEST_F(PasswordChangeTest, TheRememberedDomainIsReadByItsExactName)
{
    /* Another letter case is another value. */
    ASSERT_EQ(ERROR_SUCCESS, RememberDomain(""));
    ASSERT_EQ(ERROR_SUCCESS, WriteTextValue(HKEY_LOCAL_MACHINE, kProviderKey, "authenticatingagent", "LABDOM"));
    EXPECT_EQ(53u, Change(ActionChangeQuietly, "alice", "labpass", "fresh1")) << "no domain, no server";
    ASSERT_EQ(ERROR_SUCCESS, DeleteValue(HKEY_LOCAL_MACHINE, kProviderKey, "authenticatingagent"));

    /* The type is not looked at: readable text is the domain. */
    ASSERT_EQ(ERROR_SUCCESS,
              WriteValue(HKEY_LOCAL_MACHINE, kProviderKey, kRememberedDomainValue, REG_BINARY, "LABDOM", 7));
    EXPECT_EQ(0u, Change(ActionChangeQuietly, "alice", "labpass", "fresh1"));

    /* A value that does not fit the 16-byte domain is not cut into another domain. */
    ASSERT_EQ(ERROR_SUCCESS, RememberDomain("ZORDOMAINTOOLONG"));
    EXPECT_EQ(53u, Change(ActionChangeQuietly, "alice", "secret", "fresh1"));

    const std::vector<SimCall> calls = ClientCalls();
    ASSERT_EQ(3u, calls.size());
    EXPECT_STREQ("", calls[0].text[3]);
    EXPECT_STREQ("LABDOM", calls[1].text[3]);
    EXPECT_STREQ("", calls[2].text[3]);
}

} // namespace
