/*
 * The router's small entry points: NPGetCaps, NPAddConnection,
 * NPGetHomeDirectory, NPLogoff and PPGetPasswordStatus.
 */
#include "provider_settings.h"
#include "scripted_typist.h"
#include "test_support.h"
#include "zorn1632.h"

#include <cstring>

namespace {

using RouterTest = ProviderTest;

/* The answers that need no client: fixed tables, and connections refused. */
TEST_F(RouterTest, CapabilitiesAndPasswordStatusComeFromFixedTables)
{
    const auto caps = entries_.NPGetCaps;
    const DWORD expected[16] = {0, 0x00050001, 0x00100000, 0x00050000, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0x36, 0};
    for (DWORD index = 0; index < 16; ++index)
        EXPECT_EQ(expected[index], caps(index)) << index;
    EXPECT_EQ(0u, caps(0xFFFFFFFF));

    const auto status = entries_.PPGetPasswordStatus;
    const DWORD statuses[6] = {0, 1, 1, 0, 2, 0};
    for (DWORD index = 0; index < 6; ++index)
        EXPECT_EQ(statuses[index], status(index)) << index;
    EXPECT_EQ(0u, status(777));

    const auto add = entries_.NPAddConnection;
    EXPECT_EQ(1245u, add(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
    char text[] = "x";
    EXPECT_EQ(1245u, add(text, text, text, text, text, text, text, text));
    EXPECT_TRUE(ClientCalls().empty());
}

TEST_F(RouterTest, TheHomeDirectoryComesFromTheClientAndFitsTheRoutersBuffer)
{
    const auto home = entries_.NPGetHomeDirectory;
    char buffer[64];
    std::strcpy(buffer, "untouched");
    EXPECT_EQ(0u, home(buffer, nullptr));
    EXPECT_STREQ("\\\\ZORSRV1\\HOME", buffer);

    DWORD size = sizeof(buffer);
    std::strcpy(buffer, "untouched");
    EXPECT_EQ(0u, home(buffer, &size));
    EXPECT_STREQ("\\\\ZORSRV1\\HOME", buffer);

    /* Too small: nothing written, the size needed reported. */
    size = 5;
    std::strcpy(buffer, "untouched");
    EXPECT_EQ(static_cast<DWORD>(ERROR_MORE_DATA), home(buffer, &size));
    EXPECT_EQ(15u, size);
    EXPECT_STREQ("untouched", buffer);

    SimForce(SimGetHomeDirectory, 53);
    EXPECT_EQ(50u, home(buffer, nullptr)) << "every client failure is 50";
    EXPECT_STREQ("untouched", buffer);
}

TEST_F(RouterTest, LogoffForOtherReasonsReturnsAtOnce)
{
    const auto logoff = entries_.NPLogoff;
    const DWORD start = GetTickCount();
    EXPECT_EQ(0u, logoff(nullptr, nullptr, 2));
    EXPECT_EQ(0u, logoff(nullptr, nullptr, 3));
    EXPECT_EQ(0u, logoff(nullptr, nullptr, 0));
    EXPECT_LT(GetTickCount() - start, 1000u) << "no wait";
    EXPECT_TRUE(ClientCalls().empty());
}

TEST_F(RouterTest, LogoffTellsTheSixteenBitSideOnlyWhenTheClientLoggedOff)
{
    const auto logoff = entries_.NPLogoff;
    NotifyWindow window;
    ASSERT_EQ(0u, Zorn1632RegisterWindow(window.Handle16()));

    /* Nobody is logged on at the client: 2201 counts as logged off. */
    const DWORD start = GetTickCount();
    EXPECT_EQ(0u, logoff(nullptr, nullptr, kLogoffReasonLogoff));
    EXPECT_GE(GetTickCount() - start, 1900u) << "waits two seconds before the client's logoff";
    EXPECT_EQ(1, window.TakePosted());
    ASSERT_EQ(1u, ClientCalls().size());
    EXPECT_EQ(SimLogoff, ClientCalls()[0].entry);

    SimForce(SimLogoff, 2202);
    EXPECT_EQ(2202u, logoff(nullptr, nullptr, kLogoffReasonLogoff));
    EXPECT_EQ(0, window.TakePosted());

    SimReset();
    ASSERT_EQ(0u, Zorn1632RegisterWindow(0));
    EXPECT_EQ(0u, logoff(nullptr, nullptr, kLogoffReasonLogoff));
    EXPECT_EQ(0, window.TakePosted());
    EXPECT_EQ(0, window.Sent());
}

struct LogonOnAnotherThread {
    decltype(&NPLogon) logon;
    DWORD result;
    DWORD thread;
};

DWORD WINAPI RunLogon(LPVOID parameter)
{
    auto *run = static_cast<LogonOnAnotherThread *>(parameter);
    run->thread = GetCurrentThreadId();
    char user[32] = "alice", password[32] = "";
    RouterLogonInfo info = {user, password};
    run->result = run->logon(nullptr, &info, nullptr, nullptr, 0, FlagsInteractive);
    return 0;
}

BOOL CALLBACK FindDialog(HWND window, LPARAM found)
{
    if (IsLogonDialog(window) && IsWindowVisible(window))
        *reinterpret_cast<HWND *>(found) = window;
    return TRUE;
}

TEST_F(RouterTest, LogoffCancelsALogonDialogOpenOnAnotherThread)
{
    const auto logoff = entries_.NPLogoff;
    LogonOnAnotherThread run = {entries_.NPLogon, 0xFFFFFFFF, 0};
    HANDLE thread = CreateThread(nullptr, 0, RunLogon, &run, 0, nullptr);
    ASSERT_NE(nullptr, thread);

    HWND dialog = nullptr;
    for (int i = 0; i < 300 && dialog == nullptr; ++i) {
        Sleep(50);
        if (run.thread != 0)
            EnumThreadWindows(run.thread, FindDialog, reinterpret_cast<LPARAM>(&dialog));
    }
    ASSERT_NE(nullptr, dialog) << "the logon dialog did not come up";

    EXPECT_EQ(0u, logoff(nullptr, nullptr, kLogoffReasonLogoff));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 10000));
    CloseHandle(thread);
    EXPECT_EQ(1223u, run.result) << "ended as its Cancel button does";
    EXPECT_FALSE(IsWindow(dialog));

    /* The dialog has gone: a second logoff sends nothing anywhere and still logs off. */
    EXPECT_EQ(0u, logoff(nullptr, nullptr, kLogoffReasonLogoff));
    EXPECT_EQ(2u, ClientCalls().size());
}

} // namespace

/* What an ordinary program meets when it asks the platform's own router: the
 * install file lists the provider in the router's order, so the router loads
 * it, learns its network type and hands it the connection request. */
TEST(PlatformRouter, FindsTheProviderByItsNetworkTypeAndGetsItsAnswer)
{
    /* Listed only for this test: Wine's router loads every listed provider
     * into each process that loads it, and keeps it there. */
    ASSERT_EQ(ERROR_SUCCESS, WriteProviderOrder(kProviderName));
    std::string output;
    const DWORD exitCode = RunProgram(ProgramCommand("wnet_probe.exe"), ProgramFolder(), &output);
    EXPECT_EQ(ERROR_SUCCESS, WriteProviderOrder(""));
    ASSERT_EQ(0u, exitCode) << output;
    for (const char *says : {"WNetGetProviderNameA: 0 \"ZOR Networks Client\"", "WNetAddConnection2A: 1245",
                             "stack intact: yes", "ZORNET32.DLL loaded: yes"})
        EXPECT_TRUE(Contains(output, says));
}
