/*
 * NPLogon as the router calls it, with the real logon dialog, message boxes
 * and change-password dialog driven key by key, against the simulated
 * network and the real registry of the Wine prefix.
 */
#include "dialog_driver.h"
#include "provider_settings.h"

namespace {

/* A step that types a password into the logon dialog and presses OK. */
DialogDriver::Step TypePassword(const char *password)
{
    return [password](HWND dialog) {
        ASSERT_TRUE(IsLogonDialog(dialog));
        Type(dialog, IDC_PASSWORD, password);
        Press(dialog, IDOK);
    };
}

/* A step that types a user name and password into the logon dialog and presses OK. */
DialogDriver::Step LogOnAs(const char *user, const char *password)
{
    return [user, password](HWND dialog) {
        ClearField(dialog, IDC_USERNAME);
        Type(dialog, IDC_USERNAME, user);
        TypePassword(password)(dialog);
    };
}

/* A step that expects the logon dialog with the focus on a control, and cancels it. */
DialogDriver::Step CancelWithFocusOn(int control)
{
    return [control](HWND dialog) {
        ASSERT_TRUE(IsLogonDialog(dialog));
        EXPECT_EQ(control, FocusedControl());
        Press(dialog, IDCANCEL);
    };
}

/* Asks for help on each control of a dialog, as F1 or the "?" button does. */
void AskHelpOn(HWND dialog, std::initializer_list<int> controls)
{
    for (int control : controls) {
        HELPINFO info = {sizeof(info), HELPINFO_WINDOW, control, GetDlgItem(dialog, control), 0, {0, 0}};
        SendMessageA(dialog, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    }
}

class LogonTest : public ProviderTest {
protected:
    DWORD Logon(DWORD flags, const char *user = "alice", const char *password = "secret")
    {
        CopyText(routerUser_, user);
        CopyText(routerPassword_, password);
        RouterLogonInfo info = {routerUser_, routerPassword_};
        return driver_.Run([&] { return entries_.NPLogon(nullptr, &info, nullptr, nullptr, 0, flags); });
    }
    /* Bob's expired password, typed into the logon dialog and reported. */
    ScriptedTypist &LogOnWithTheExpiredPassword()
    {
        return driver_.Then(LogOnAs("bob", "oldpass")).Then(ExpectMessage(IDS_PASSWORD_EXPIRED));
    }

    DialogDriver driver_;
    char routerUser_[64] = "", routerPassword_[64] = "";
};

TEST_F(LogonTest, AFirstPassThatSucceeds)
{
    driver_.Then([](HWND dialog) {
        ASSERT_TRUE(IsLogonDialog(dialog));
        EXPECT_EQ("ZOR Networks Client", Caption(dialog));
        EXPECT_EQ("alice", FieldText(dialog, IDC_USERNAME));
        EXPECT_EQ("", FieldText(dialog, IDC_PASSWORD)) << "the router's password is not shown";
        EXPECT_EQ("ZORDOM", FieldText(dialog, IDC_DOMAIN));
        EXPECT_EQ(IDC_PASSWORD, FocusedControl());
        Type(dialog, IDC_PASSWORD, "secret");
        PressKey(dialog, VK_RETURN);
    });
    EXPECT_EQ(0u, Logon(FlagsInteractive, "alice", "whatever"));

    EXPECT_STREQ("alice", routerUser_);
    EXPECT_STREQ("secret", routerPassword_) << "as typed";
    SharedBlockView block;
    EXPECT_STREQ("alice", block->userName);
    EXPECT_STREQ("secret", block->password);
    EXPECT_STREQ("ZORDOM", block->domain);
    const std::vector<SimCall> logons = ClientCalls(SimLogon);
    ASSERT_EQ(1u, logons.size());
    EXPECT_STREQ("ALICE", logons[0].text[0]);
    EXPECT_STREQ("ZORDOM", logons[0].text[2]);
}

TEST_F(LogonTest, AnEmptyUserNameIsAskedForAgain)
{
    driver_
        .Then([](HWND dialog) {
            EXPECT_EQ(IDC_USERNAME, FocusedControl()) << "no user name from the router";
            TypePassword("secret")(dialog);
        })
        .Then(ExpectMessage(IDS_NOT_LOGGED_ON))
        .Then(CancelWithFocusOn(IDC_PASSWORD));
    EXPECT_EQ(1223u, Logon(FlagsInteractive, "", ""));
    EXPECT_TRUE(Validations().empty());
}

TEST_F(LogonTest, AnEmptyDomainIsAskedForAndNotRemembered)
{
    ASSERT_EQ(ERROR_SUCCESS, RememberDomain(""));
    driver_
        .Then([](HWND dialog) {
            EXPECT_EQ("", FieldText(dialog, IDC_DOMAIN));
            TypePassword("secret")(dialog);
        })
        .Then(ExpectMessage(IDS_NO_DOMAIN))
        .Then([](HWND dialog) {
            EXPECT_EQ(IDC_DOMAIN, FocusedControl());
            EXPECT_EQ("<none>", RememberedDomain()) << "an empty domain is not written";
            Type(dialog, IDC_DOMAIN, "zordom");
            Press(dialog, IDOK);
        });
    EXPECT_EQ(0u, Logon(FlagsInteractive));
    EXPECT_EQ("zordom", RememberedDomain()) << "written as typed, before validation";
}

TEST_F(LogonTest, AWrongPasswordIsReportedAndRetried)
{
    driver_.Then(TypePassword("guess"))
        .Then(ExpectMessage(IDS_WRONG_PASSWORD))
        .Then([](HWND dialog) {
            EXPECT_EQ(IDC_PASSWORD, FocusedControl());
            EXPECT_EQ("GUESS", FieldText(dialog, IDC_PASSWORD)) << "as the validation left it";
            ClearField(dialog, IDC_PASSWORD);
            Type(dialog, IDC_PASSWORD, "Secret");
            PressKey(dialog, VK_RETURN);
        });
    EXPECT_EQ(0u, Logon(FlagsInteractive));
    EXPECT_EQ(2u, Validations().size());
    EXPECT_STREQ("Secret", routerPassword_);
}

TEST_F(LogonTest, CancelEndsTheLogonAndValidationRequiredSticks)
{
    driver_.Then([](HWND dialog) { PressKey(dialog, VK_ESCAPE); });
    EXPECT_EQ(1223u, Logon(FlagsInteractive, "alice", "secret"));
    EXPECT_STREQ("alice", routerUser_);
    SharedBlockView block;
    EXPECT_STREQ("alice", block->userName) << "the entry copy stays";
    EXPECT_STREQ("secret", block->password);

    for (DWORD flags : {FlagsInteractiveValidated, FlagsInteractive}) {
        driver_ = DialogDriver();
        driver_.Then([](HWND dialog) { Press(dialog, IDCANCEL); });
        EXPECT_EQ(1503u, Logon(flags)) << "flags 6 once: validation is required while the provider is loaded";
    }
}

TEST_F(LogonTest, CancelOnALaterPassCopiesThePreviousPassAgain)
{
    driver_
        .Then([](HWND dialog) {
            ClearField(dialog, IDC_DOMAIN);
            Type(dialog, IDC_DOMAIN, "labdom");
            LogOnAs("carol", "nope")(dialog);
        })
        .Then(ExpectMessage(IDS_USER_NOT_FOUND))
        .Then([](HWND dialog) {
            EXPECT_EQ("labdom", FieldText(dialog, IDC_DOMAIN)) << "the domain as written to the registry";
            CancelWithFocusOn(IDC_USERNAME)(dialog);
        });
    EXPECT_EQ(1223u, Logon(FlagsInteractive));
    EXPECT_STREQ("CAROL", routerUser_);
    EXPECT_STREQ("NOPE", routerPassword_);
    EXPECT_EQ("LABDOM", RememberedDomain())
        << "Cancel copies the previous pass again, as the validation upper-cased it";
}

TEST_F(LogonTest, NoDomainServerOkAcceptsOrRetriesAndCancelAsksForTheDomain)
{
    const struct {
        LONG validation;
        DWORD flags;
        int answer;
        int focusAfter; /* where the logon dialog comes back with the focus; 0: it does not */
        DWORD result;
        size_t serverUnavailable; /* the client told that no server validated */
    } cases[] = {
        {2214, FlagsInteractive, IDOK, 0, 0, 0}, /* accepted without validation */
        {2214, FlagsInteractive, IDCANCEL, IDC_DOMAIN, 1223, 1},
        {2215, FlagsInteractive, IDCANCEL, IDC_DOMAIN, 1223, 0},
        /* Last: once asked for, validation stays required while the provider is loaded. */
        {2214, FlagsInteractiveValidated, IDOK, IDC_PASSWORD, 1503, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.validation << ", flags " << c.flags << ", answer " << c.answer);
        SimReset();
        RestartJournal();
        SimForce(SimForceValidateReturn, c.validation);
        driver_ = DialogDriver();
        driver_.Then(TypePassword("secret")).Then(ExpectMessage(IDS_NO_DOMAIN_SERVER, c.answer));
        if (c.focusAfter != 0)
            driver_.Then(CancelWithFocusOn(c.focusAfter));
        EXPECT_EQ(c.result, Logon(c.flags));
        EXPECT_EQ(c.serverUnavailable, ClientCalls(SimLogonServerUnavailable).size());
    }
}

TEST_F(LogonTest, AnExpiredPasswordIsChangedOnTheSpot)
{
    LogOnWithTheExpiredPassword()
        .Then([](HWND change) {
            ASSERT_TRUE(IsChangePasswordDialog(change));
            EXPECT_EQ("OLDPASS", FieldText(change, IDC_OLD_PASSWORD));
            EXPECT_EQ(IDC_NEW_PASSWORD, FocusedControl());
            Type(change, IDC_NEW_PASSWORD, "newpass1");
            Type(change, IDC_CONFIRM_PASSWORD, "NEWPASS1");
            Press(change, IDOK);
        })
        .Then(ExpectMessage(IDS_PASSWORDS_DIFFER))
        .Then([](HWND change) {
            EXPECT_EQ("newpass1", FieldText(change, IDC_NEW_PASSWORD)) << "fields come back as typed";
            EXPECT_EQ("NEWPASS1", FieldText(change, IDC_CONFIRM_PASSWORD));
            ClearField(change, IDC_CONFIRM_PASSWORD);
            Type(change, IDC_CONFIRM_PASSWORD, "newpass1");
            PressKey(change, VK_RETURN);
        });
    EXPECT_EQ(0u, Logon(FlagsInteractive, "", ""));
    EXPECT_STREQ("NEWPASS1", routerPassword_);
    SharedBlockView block;
    EXPECT_STREQ("NEWPASS1", block->password);

    const std::vector<SimCall> changes = ClientCalls(SimChangePassword);
    ASSERT_EQ(1u, changes.size());
    EXPECT_STREQ("BOB", changes[0].text[0]);
    EXPECT_STREQ("OLDPASS", changes[0].text[1]);
    EXPECT_STREQ("NEWPASS1", changes[0].text[2]);
    EXPECT_STREQ("ZORDOM", changes[0].text[3]);
    ASSERT_EQ(2u, Validations().size()) << "validated again with the new password";
    EXPECT_STREQ("NEWPASS1", Validations()[1].text[2]);
}

TEST_F(LogonTest, AFailedChangeIsReportedAndAskedAgain)
{
    SimForce(SimChangePassword, 2245);
    LogOnWithTheExpiredPassword()
        .Then([](HWND change) {
            Type(change, IDC_NEW_PASSWORD, "ab");
            Type(change, IDC_CONFIRM_PASSWORD, "ab");
            Press(change, IDOK);
        })
        .Then(ExpectMessage(IDS_PASSWORD_TOO_SHORT))
        .Then([](HWND change) {
            ASSERT_TRUE(IsChangePasswordDialog(change));
            Press(change, IDCANCEL);
        })
        .Then([](HWND dialog) {
            ASSERT_TRUE(IsLogonDialog(dialog));
            Press(dialog, IDCANCEL);
        });
    EXPECT_EQ(1223u, Logon(FlagsInteractive, "", ""));
}

/* Its fields' limits, and help on a label and its field opens the same topic. */
TEST_F(LogonTest, TheFieldsTakeNoMoreThanTheirLimits)
{
    HelpRecorder help(provider_.Module());
    driver_.Then([](HWND dialog) {
        ClearField(dialog, IDC_USERNAME);
        ClearField(dialog, IDC_DOMAIN);
        Type(dialog, IDC_USERNAME, std::string(21, 'u'));
        Type(dialog, IDC_PASSWORD, std::string(15, 'p'));
        Type(dialog, IDC_DOMAIN, std::string(16, 'd'));
        EXPECT_EQ(std::string(20, 'u'), FieldText(dialog, IDC_USERNAME));
        EXPECT_EQ(std::string(14, 'p'), FieldText(dialog, IDC_PASSWORD));
        EXPECT_EQ(std::string(15, 'd'), FieldText(dialog, IDC_DOMAIN));
        EXPECT_EQ('*', SendMessageA(GetDlgItem(dialog, IDC_PASSWORD), EM_GETPASSWORDCHAR, 0, 0));
        EXPECT_EQ(0, SendMessageA(GetDlgItem(dialog, IDC_USERNAME), EM_GETPASSWORDCHAR, 0, 0));
        AskHelpOn(dialog, {IDC_PASSWORD_LABEL, IDC_PASSWORD, IDOK});
        SendMessageA(dialog, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_DOMAIN)), 0);
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(1223u, Logon(FlagsInteractive));
    EXPECT_EQ("ZORDOM", RememberedDomain()) << "Cancel reads no field";

    EXPECT_EQ((std::vector<HelpRequest>{{HELP_WM_HELP, IDH_PASSWORD}, {HELP_WM_HELP, IDH_PASSWORD},
                                        {HELP_WM_HELP, IDH_OK_BUTTON}, {HELP_CONTEXTMENU, IDH_DOMAIN}}),
              help.Requests());
}

TEST_F(LogonTest, TheChangeDialogLimitsItsFieldsAndIgnoresTheOldPasswordTyped)
{
    HelpRecorder help(provider_.Module());
    LogOnWithTheExpiredPassword().Then([](HWND change) {
        for (int control : {IDC_OLD_PASSWORD, IDC_NEW_PASSWORD, IDC_CONFIRM_PASSWORD}) {
            ClearField(change, control);
            Type(change, control, std::string(15, 'n'));
            EXPECT_EQ(std::string(14, 'n'), FieldText(change, control)) << control;
            EXPECT_EQ('*', SendMessageA(GetDlgItem(change, control), EM_GETPASSWORDCHAR, 0, 0));
        }
        AskHelpOn(change, {IDC_NEW_LABEL, IDC_NEW_PASSWORD, IDOK});
        Press(change, IDOK);
    });
    EXPECT_EQ(0u, Logon(FlagsInteractive, "", ""));

    const std::vector<SimCall> changes = ClientCalls(SimChangePassword);
    ASSERT_EQ(1u, changes.size());
    EXPECT_STREQ("OLDPASS", changes[0].text[1]) << "the old-password field is not read";
    EXPECT_STREQ("NNNNNNNNNNNNNN", changes[0].text[2]);
    EXPECT_EQ((std::vector<HelpRequest>{{HELP_WM_HELP, IDH_NEW_PASSWORD}, {HELP_WM_HELP, IDH_NEW_PASSWORD},
                                        {HELP_WM_HELP, IDH_OK_BUTTON}}),
              help.Requests());
}

TEST_F(LogonTest, SilentLogonUsesTheRememberedDomain)
{
    EXPECT_EQ(0u, Logon(FlagsSilent, "alice", "secret"));
    SharedBlockView block;
    EXPECT_STREQ("ALICE", block->userName) << "the shared fields are upper-cased in place";
    EXPECT_STREQ("SECRET", block->password);
    ASSERT_EQ(1u, Validations().size());
    EXPECT_STREQ("ZORDOM", Validations()[0].text[0]);

    ASSERT_EQ(ERROR_SUCCESS, RememberDomain(""));
    RestartJournal();
    EXPECT_EQ(2215u, Logon(FlagsSilent, "alice", "secret"));
    ASSERT_EQ(1u, Validations().size());
    EXPECT_STREQ("", Validations()[0].text[0]);
}

TEST_F(LogonTest, OtherFlagsOnlyRecordTheRoutersCredentials)
{
    constexpr DWORD kOtherFlags = 1;
    EXPECT_EQ(0u, Logon(kOtherFlags, "dave", "pw"));
    SharedBlockView block;
    EXPECT_STREQ("dave", block->userName);
    EXPECT_STREQ("pw", block->password);
    EXPECT_TRUE(JournalSince(from_).empty());

    /* A router string that does not fit its field leaves the field empty, never cut. */
    EXPECT_EQ(0u, Logon(kOtherFlags, "eve", "a-password-of-twenty"));
    EXPECT_STREQ("eve", block->userName);
    EXPECT_STREQ("", block->password);
    EXPECT_EQ(0, block->newPassword[0]);
}

} // namespace
