/*
 * NPLogon (ordinal 43) as the router calls it, with the real logon dialog,
 * message boxes and change-password dialog driven key by key, against the
 * simulated network and the real registry of the Wine prefix.
 */
#include "client_call.h"
#include "dialog_driver.h"
#include "zorn1632.h"

#include <cstring>

namespace {


const char kWrongPassword[] =
    "The domain password you supplied is not correct,\nor your access to the server has been denied.";
const char kNoServer[] = "No domain server was available to validate your password.\n"
                         "You may not be able to access some network resources.";

/* A step that types a user name and password into the logon dialog and presses OK. */
DialogDriver::Step LogOnAs(const char *user, const char *password)
{
    return [user, password](HWND dialog) {
        ASSERT_TRUE(IsLogonDialog(dialog));
        ClearField(dialog, 210);
        Type(dialog, 210, user);
        Type(dialog, 220, password);
        Press(dialog, IDOK);
    };
}

class LogonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SimReset();
        SetRememberedDomain("ZORDOM");
        ASSERT_TRUE(provider_.Loaded());
        logon_ = ProviderEntries(provider_).NPLogon;
        ASSERT_NE(nullptr, logon_);
        from_ = SimJournalCount();
    }

    DWORD Logon(DWORD flags, const char *user = "alice", const char *password = "secret")
    {
        std::strcpy(routerUser_, user);
        std::strcpy(routerPassword_, password);
        RouterLogonInfo info = {routerUser_, routerPassword_};
        return driver_.Run([&] { return logon_(nullptr, &info, nullptr, nullptr, 0, flags); });
    }

    std::vector<SimCall> ClientCalls(SimClientEntry entry) const
    {
        std::vector<SimCall> calls;
        for (const SimCall &call : JournalSince(from_, SimTorvek))
            if (call.entry == entry)
                calls.push_back(call);
        return calls;
    }
    std::vector<SimCall> Validations() const { return JournalSince(from_, SimMsnet32); }

    Library provider_{"ZORNET32.DLL"};
    decltype(&NPLogon) logon_ = nullptr;
    DialogDriver driver_;
    DWORD from_ = 0;
    char routerUser_[64] = "", routerPassword_[64] = "";
};

TEST_F(LogonTest, AFirstPassThatSucceeds)
{
    driver_.Then([](HWND dialog) {
        ASSERT_TRUE(IsLogonDialog(dialog));
        EXPECT_EQ("ZOR Networks Client", Caption(dialog));
        EXPECT_EQ("alice", FieldText(dialog, 210));
        EXPECT_EQ("", FieldText(dialog, 220)) << "the router's password is not shown";
        EXPECT_EQ("ZORDOM", FieldText(dialog, 230));
        EXPECT_EQ(220, FocusedControl());
        Type(dialog, 220, "secret");
        PressKey(dialog, VK_RETURN);
    });
    EXPECT_EQ(0u, Logon(2, "alice", "whatever"));

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
            EXPECT_EQ(210, FocusedControl()) << "no user name from the router";
            Type(dialog, 220, "secret");
            Press(dialog, IDOK);
        })
        .Then(ExpectMessage("You are not logged on to the local area network."))
        .Then([](HWND dialog) {
            ASSERT_TRUE(IsLogonDialog(dialog));
            EXPECT_EQ(220, FocusedControl());
            Press(dialog, IDCANCEL);
        });
    EXPECT_EQ(1223u, Logon(2, "", ""));
    EXPECT_TRUE(Validations().empty());
}

TEST_F(LogonTest, AnEmptyDomainIsAskedForAndNotRemembered)
{
    SetRememberedDomain(nullptr);
    driver_
        .Then([](HWND dialog) {
            EXPECT_EQ("", FieldText(dialog, 230));
            Type(dialog, 220, "secret");
            Press(dialog, IDOK);
        })
        .Then(ExpectMessage("You must specify a logon domain."))
        .Then([](HWND dialog) {
            EXPECT_EQ(230, FocusedControl());
            EXPECT_EQ("<none>", RememberedDomain()) << "an empty domain is not written";
            Type(dialog, 230, "zordom");
            Press(dialog, IDOK);
        });
    EXPECT_EQ(0u, Logon(2));
    EXPECT_EQ("zordom", RememberedDomain()) << "written as typed, before validation";
}

TEST_F(LogonTest, AWrongPasswordIsReportedAndRetried)
{
    driver_
        .Then([](HWND dialog) {
            Type(dialog, 220, "guess");
            Press(dialog, IDOK);
        })
        .Then(ExpectMessage(kWrongPassword))
        .Then([](HWND dialog) {
            EXPECT_EQ(220, FocusedControl());
            EXPECT_EQ("GUESS", FieldText(dialog, 220)) << "as the validation left it";
            ClearField(dialog, 220);
            Type(dialog, 220, "Secret");
            PressKey(dialog, VK_RETURN);
        });
    EXPECT_EQ(0u, Logon(2));
    EXPECT_EQ(2u, Validations().size());
    EXPECT_STREQ("Secret", routerPassword_);
}

TEST_F(LogonTest, CancelEndsTheLogonAndValidationRequiredSticks)
{
    driver_.Then([](HWND dialog) { PressKey(dialog, VK_ESCAPE); });
    EXPECT_EQ(1223u, Logon(2, "alice", "secret"));
    EXPECT_STREQ("alice", routerUser_);
    SharedBlockView block;
    EXPECT_STREQ("alice", block->userName) << "the entry copy stays";
    EXPECT_STREQ("secret", block->password);

    DialogDriver second;
    second.Then([](HWND dialog) { Press(dialog, IDCANCEL); });
    driver_ = second;
    EXPECT_EQ(1503u, Logon(6));

    DialogDriver third;
    third.Then([](HWND dialog) { Press(dialog, IDCANCEL); });
    driver_ = third;
    EXPECT_EQ(1503u, Logon(2)) << "flags 6 once: validation is required for the life of the process";
}

TEST_F(LogonTest, CancelOnALaterPassCopiesThePreviousPassAgain)
{
    driver_
        .Then([](HWND dialog) {
            ClearField(dialog, 210);
            Type(dialog, 210, "carol");
            Type(dialog, 220, "nope");
            ClearField(dialog, 230);
            Type(dialog, 230, "labdom");
            Press(dialog, IDOK);
        })
        .Then(ExpectMessage("The Username cannot be found."))
        .Then([](HWND dialog) {
            EXPECT_EQ(210, FocusedControl());
            EXPECT_EQ("labdom", FieldText(dialog, 230)) << "the domain as written to the registry";
            Press(dialog, IDCANCEL);
        });
    EXPECT_EQ(1223u, Logon(2));
    EXPECT_STREQ("CAROL", routerUser_);
    EXPECT_STREQ("NOPE", routerPassword_);
    EXPECT_EQ("LABDOM", RememberedDomain())
        << "Cancel copies the previous pass again, as the validation upper-cased it";
}

TEST_F(LogonTest, NoDomainServerOkAcceptsTheLogonWithoutValidation)
{
    SimForce(SimForceValidateReturn, 2214);
    driver_
        .Then([](HWND dialog) {
            Type(dialog, 220, "secret");
            Press(dialog, IDOK);
        })
        .Then([](HWND box) {
            EXPECT_EQ(kNoServer, MessageText(box));
            EXPECT_NE(nullptr, GetDlgItem(box, IDCANCEL)) << "OK and Cancel";
            Press(box, IDOK);
        });
    EXPECT_EQ(0u, Logon(2));
    EXPECT_TRUE(ClientCalls(SimLogonServerUnavailable).empty());
}

TEST_F(LogonTest, NoDomainServerCancelAsksForTheDomain)
{
    for (LONG status : {2214, 2215}) {
        SCOPED_TRACE(status);
        SimReset();
        from_ = SimJournalCount();
        SimForce(SimForceValidateReturn, status);
        DialogDriver driver;
        driver
            .Then([](HWND dialog) {
                Type(dialog, 220, "secret");
                Press(dialog, IDOK);
            })
            .Then(ExpectMessage(kNoServer, IDCANCEL))
            .Then([](HWND dialog) {
                EXPECT_EQ(230, FocusedControl());
                Press(dialog, IDCANCEL);
            });
        driver_ = driver;
        EXPECT_EQ(1223u, Logon(2));
        EXPECT_EQ(status == 2214 ? 1u : 0u, ClientCalls(SimLogonServerUnavailable).size());
    }
}

TEST_F(LogonTest, NoDomainServerOkIsARetryWhenValidationIsRequired)
{
    SimForce(SimForceValidateReturn, 2214);
    driver_
        .Then([](HWND dialog) {
            Type(dialog, 220, "secret");
            Press(dialog, IDOK);
        })
        .Then(ExpectMessage(kNoServer, IDOK))
        .Then([](HWND dialog) {
            EXPECT_EQ(220, FocusedControl());
            Press(dialog, IDCANCEL);
        });
    EXPECT_EQ(1503u, Logon(6));
    EXPECT_EQ(1u, ClientCalls(SimLogonServerUnavailable).size());
}

TEST_F(LogonTest, AnExpiredPasswordIsChangedOnTheSpot)
{
    driver_
        .Then(LogOnAs("bob", "oldpass"))
        .Then(ExpectMessage("Your domain password has expired.\nYou must specify a new password to logon."))
        .Then([](HWND change) {
            ASSERT_TRUE(IsChangePasswordDialog(change));
            EXPECT_EQ("OLDPASS", FieldText(change, 300));
            EXPECT_EQ(310, FocusedControl());
            Type(change, 310, "newpass1");
            Type(change, 320, "NEWPASS1");
            Press(change, IDOK);
        })
        .Then(ExpectMessage("The new password and the confirm password do not match."))
        .Then([](HWND change) {
            EXPECT_EQ("newpass1", FieldText(change, 310)) << "fields come back as typed";
            EXPECT_EQ("NEWPASS1", FieldText(change, 320));
            ClearField(change, 320);
            Type(change, 320, "newpass1");
            PressKey(change, VK_RETURN);
        });
    EXPECT_EQ(0u, Logon(2, "", ""));
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
    driver_
        .Then(LogOnAs("bob", "oldpass"))
        .Then(ExpectMessage("Your domain password has expired.\nYou must specify a new password to logon."))
        .Then([](HWND change) {
            Type(change, 310, "ab");
            Type(change, 320, "ab");
            Press(change, IDOK);
        })
        .Then(ExpectMessage("The new domain password is too short.\nSpecify a longer password or see "
                            "your network administrator for the required length for network passwords."))
        .Then([](HWND change) {
            ASSERT_TRUE(IsChangePasswordDialog(change));
            Press(change, IDCANCEL);
        })
        .Then([](HWND dialog) {
            ASSERT_TRUE(IsLogonDialog(dialog));
            Press(dialog, IDCANCEL);
        });
    EXPECT_EQ(1223u, Logon(2, "", ""));
}

TEST_F(LogonTest, TheFieldsTakeNoMoreThanTheirLimits)
{
    driver_.Then([](HWND dialog) {
        ClearField(dialog, 210);
        ClearField(dialog, 230);
        Type(dialog, 210, std::string(21, 'u'));
        Type(dialog, 220, std::string(15, 'p'));
        Type(dialog, 230, std::string(16, 'd'));
        EXPECT_EQ(std::string(20, 'u'), FieldText(dialog, 210));
        EXPECT_EQ(std::string(14, 'p'), FieldText(dialog, 220));
        EXPECT_EQ(std::string(15, 'd'), FieldText(dialog, 230));
        HWND password = GetDlgItem(dialog, 220);
        EXPECT_TRUE(GetWindowLongA(password, GWL_STYLE) & ES_PASSWORD);
        EXPECT_EQ('*', SendMessageA(password, EM_GETPASSWORDCHAR, 0, 0));
        EXPECT_FALSE(GetWindowLongA(GetDlgItem(dialog, 210), GWL_STYLE) & ES_PASSWORD);
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(1223u, Logon(2));
    EXPECT_EQ("ZORDOM", RememberedDomain()) << "Cancel reads no field";
}

TEST_F(LogonTest, HelpOnALabelAndItsFieldOpensTheSameTopic)
{
    HelpRecorder help(provider_.Module());
    driver_.Then([](HWND dialog) {
        for (int control : {410, 220, 1}) {
            HELPINFO info = {sizeof(info), HELPINFO_WINDOW, control, GetDlgItem(dialog, control), 0, {0, 0}};
            SendMessageA(dialog, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
        }
        SendMessageA(dialog, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(GetDlgItem(dialog, 230)), 0);
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(1223u, Logon(2));

    const std::vector<HelpRequest> &requests = help.Requests();
    ASSERT_EQ(4u, requests.size());
    for (const HelpRequest &request : requests)
        EXPECT_EQ("ZORNET32.HLP", request.file);
    EXPECT_EQ(static_cast<UINT>(HELP_WM_HELP), requests[0].command);
    EXPECT_EQ(3010u, HelpRecorder::Topic(requests[0].table, requests[0].control));
    EXPECT_EQ(3010u, HelpRecorder::Topic(requests[1].table, requests[1].control));
    EXPECT_EQ(3030u, HelpRecorder::Topic(requests[2].table, requests[2].control));
    EXPECT_EQ(static_cast<UINT>(HELP_CONTEXTMENU), requests[3].command);
    EXPECT_EQ(3020u, HelpRecorder::Topic(requests[3].table, requests[3].control));
}

TEST_F(LogonTest, TheChangeDialogLimitsItsFieldsAndIgnoresTheOldPasswordTyped)
{
    HelpRecorder help(provider_.Module());
    driver_
        .Then(LogOnAs("bob", "oldpass"))
        .Then(ExpectMessage("Your domain password has expired.\nYou must specify a new password to logon."))
        .Then([](HWND change) {
            for (int control : {300, 310, 320}) {
                ClearField(change, control);
                Type(change, control, std::string(15, 'n'));
                EXPECT_EQ(std::string(14, 'n'), FieldText(change, control)) << control;
                EXPECT_EQ('*', SendMessageA(GetDlgItem(change, control), EM_GETPASSWORDCHAR, 0, 0));
            }
            for (int control : {710, 310, 1}) {
                HELPINFO info = {sizeof(info), HELPINFO_WINDOW, control, GetDlgItem(change, control), 0, {0, 0}};
                SendMessageA(change, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
            }
            Press(change, IDOK);
        });
    EXPECT_EQ(0u, Logon(2, "", ""));

    const std::vector<SimCall> changes = ClientCalls(SimChangePassword);
    ASSERT_EQ(1u, changes.size());
    EXPECT_STREQ("OLDPASS", changes[0].text[1]) << "the old-password field is not read";
    EXPECT_STREQ("NNNNNNNNNNNNNN", changes[0].text[2]);

    const std::vector<HelpRequest> &requests = help.Requests();
    ASSERT_EQ(3u, requests.size());
    EXPECT_EQ(3060u, HelpRecorder::Topic(requests[0].table, requests[0].control));
    EXPECT_EQ(3060u, HelpRecorder::Topic(requests[1].table, requests[1].control));
    EXPECT_EQ(3030u, HelpRecorder::Topic(requests[2].table, requests[2].control));
}

TEST_F(LogonTest, SilentLogonUsesTheRememberedDomain)
{
    EXPECT_EQ(0u, Logon(4, "alice", "secret"));
    SharedBlockView block;
    EXPECT_STREQ("ALICE", block->userName) << "the shared fields are upper-cased in place";
    EXPECT_STREQ("SECRET", block->password);
    ASSERT_EQ(1u, Validations().size());
    EXPECT_STREQ("ZORDOM", Validations()[0].text[0]);

    SetRememberedDomain(nullptr);
    from_ = SimJournalCount();
    EXPECT_EQ(2215u, Logon(4, "alice", "secret"));
    ASSERT_EQ(1u, Validations().size());
    EXPECT_STREQ("", Validations()[0].text[0]);
}

TEST_F(LogonTest, OtherFlagsOnlyRecordTheRoutersCredentials)
{
    EXPECT_EQ(0u, Logon(1, "dave", "pw"));
    SharedBlockView block;
    EXPECT_STREQ("dave", block->userName);
    EXPECT_STREQ("pw", block->password);
    EXPECT_TRUE(JournalSince(from_).empty());

    /* A router string that does not fit its field leaves the field empty, never cut. */
    EXPECT_EQ(0u, Logon(1, "eve", "a-password-of-twenty"));
    EXPECT_STREQ("eve", block->userName);
    EXPECT_STREQ("", block->password);
    EXPECT_EQ(0, block->newPassword[0]);
}

} // namespace
