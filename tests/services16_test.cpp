/*
 * The services the 16-bit side calls up through ZORN1632, through the thunk
 * entries and the exports QENMirevola and QENGetUseridPassword. Each test
 * writes the shared block's fields it reads.
 */
#include "router_logon.h"
#include "test_support.h"
#include "zorn1632.h"

#include <cstring>
#include <list>

namespace {

class ServicesTest : public ProviderTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ProviderTest::SetUp());
        ASSERT_TRUE(block_.Open());
    }
    SharedBlockView block_;
};

TEST_F(ServicesTest, RegistrationKeepsTheLowSixteenBits)
{
    EXPECT_EQ(0u, entries_.QENMirevola(0x00010005));
    EXPECT_EQ(5u, block_->notifyWindow);
    EXPECT_EQ(0u, Zorn1632RegisterWindow(0xABCD1234)) << "through thunk entry 0";
    EXPECT_EQ(0x1234u, block_->notifyWindow);
    EXPECT_EQ(0u, Zorn1632RegisterWindow(0));
    EXPECT_EQ(0u, block_->notifyWindow);
}

TEST_F(ServicesTest, TheSixteenBitSideFetchesTheCredentialsWhenTold)
{
    HWND listener = Zorn1632Listen();
    ASSERT_NE(nullptr, listener);
    LogonBuffers alice = {"alice", "secret"};
    EXPECT_EQ(0u, RouterLogon(entries_.NPLogon, &alice, FlagsSilent));

    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
    char fetchedUser[100], fetchedPassword[20], fetchedNew[20];
    EXPECT_EQ(1u, Zorn1632Notifications(fetchedUser, fetchedPassword, fetchedNew));
    EXPECT_STREQ("ALICE", fetchedUser);
    EXPECT_STREQ("SECRET", fetchedPassword);
    EXPECT_STREQ("", fetchedNew) << "no password change yet: a single NUL";

    /* After a password change the new password is there too. */
    char newPassword[32] = "fresh1", oldPassword[32] = "secret";
    RouterLogonInfo newLogon = {alice.user, newPassword}, previous = {alice.user, oldPassword};
    EXPECT_EQ(0u, entries_.PPChangePassword(&newLogon, &previous, ActionChangeQuietly));
    EXPECT_EQ(0u, entries_.QENGetUseridPassword(fetchedUser, fetchedPassword, fetchedNew));
    EXPECT_STREQ("FRESH1", fetchedNew);
    EXPECT_EQ(0u, Zorn1632FetchCredentials(fetchedUser, fetchedPassword, fetchedNew));
    EXPECT_STREQ("FRESH1", fetchedNew);

    Zorn1632StopListening();
    EXPECT_EQ(0u, block_->notifyWindow);
}

/* The copies go only into the buffers that crossed (a null far pointer
 * arrives as null), and never past a field. */
TEST_F(ServicesTest, CopiesNeverReadPastAField)
{
    /* Another process left every text field without its terminator. */
    std::memset(block_->userName, 'U', sizeof(block_->userName));
    std::memset(block_->password, 'P', sizeof(block_->password));
    std::memset(block_->newPassword, 'N', sizeof(block_->newPassword));
    std::memset(block_->oldPassword, 'O', sizeof(block_->oldPassword));

    struct {
        char user[100];
        char guard1[8];
        char password[20];
        char guard2[8];
        char newPassword[20];
        char guard3[8];
    } out;
    std::memset(&out, '#', sizeof(out));
    EXPECT_EQ(0u, Zorn1632FetchInto(out.user, out.password, out.newPassword)) << "far pointers to our buffers";
    EXPECT_EQ(std::string(99, 'U'), out.user);
    EXPECT_EQ(std::string(19, 'P'), out.password);
    EXPECT_EQ(std::string(19, 'N'), out.newPassword);
    EXPECT_EQ(std::string(8, '#'), std::string(out.guard1, 8));
    EXPECT_EQ(std::string(8, '#'), std::string(out.guard2, 8));
    EXPECT_EQ(std::string(8, '#'), std::string(out.guard3, 8));

    std::memset(&out, '#', sizeof(out));
    EXPECT_EQ(0u, Zorn1632FetchInto(nullptr, out.password, nullptr));
    EXPECT_EQ(std::string(19, 'P'), out.password);
    EXPECT_EQ('#', out.user[0]);
    EXPECT_EQ('#', out.newPassword[0]);
}

/* Runs load_probe with each set of arguments at once; expects every one to exit 0. */
void RunProbesAtOnce(std::initializer_list<const char *> argumentSets)
{
    std::list<ChildProcess> probes;
    for (const char *arguments : argumentSets) {
        probes.emplace_back();
        ASSERT_TRUE(probes.back().Start(ProgramCommand("load_probe.exe", arguments), ProgramFolder())) << arguments;
    }
    for (ChildProcess &probe : probes) {
        DWORD exitCode = kChildNotFinished;
        EXPECT_TRUE(probe.Wait(120000, &exitCode));
        EXPECT_EQ(0u, exitCode);
    }
}

TEST_F(ServicesTest, TwoProcessesCallUpAtOnce)
{
    std::strcpy(block_->userName, "ALICE");
    RunProbesAtOnce({"callup ALICE 200", "callup ALICE 200"});
}

TEST_F(ServicesTest, AReaderNeverSeesOneWritersUserWithAnothersPassword)
{
    /* Two writers with names of different lengths, one reader, for seconds at
     * once; a read is torn when the password is not "P" + the user name read
     * with it. Without the lock this tears thousands of reads. */
    RunProbesAtOnce({"write A 4000", "write BBBBBBBBBBBBBBBBBB 4000", "read 3000"});
}

/* Another process that takes the lock of the fields (and, midWrite, also
 * advances their count, as a writer does before its stores) and holds it for
 * holdMs, then dies holding it (load_probe holdlock); ended at the latest when
 * this goes out of scope. */
class LockHolder {
public:
    LockHolder(DWORD holdMs, bool midWrite)
    {
        const std::string arguments = "holdlock " + std::to_string(holdMs) + (midWrite ? " midwrite" : "");
        /* Until it says it holds the lock, at most 10 s. */
        if (holder_.Start(ProgramCommand("load_probe.exe", arguments), ProgramFolder(), true))
            for (int i = 0; i < 200 && !Holds() && holder_.Running(); ++i)
                holder_.Wait(50);
    }
    bool Holds() const { return holder_.Output().find("held") != std::string::npos; }

private:
    ChildProcess holder_;
};

/* Readers do not wait for a holder of the lock: a copy between two even,
 * equal counts needs no lock. */
TEST_F(ServicesTest, AReaderDoesNotWaitForTheLocksHolder)
{
    const auto fetch = entries_.QENGetUseridPassword;
    std::strcpy(block_->userName, "ALICE");
    char user[100], password[20], newPassword[20];
    {
        LockHolder holder(5000, false);
        ASSERT_TRUE(holder.Holds());
        const DWORD start = GetTickCount();
        EXPECT_EQ(0u, fetch(user, password, newPassword));
        EXPECT_LT(GetTickCount() - start, 500u);
        EXPECT_STREQ("ALICE", user);
    }
}

/* A writer that dies, or hangs, between its two advances of the fields'
 * count: the reader spins its bounded tries, then waits for the lock, at
 * most kSharedRecordLockWait, and copies. The one that takes an abandoned
 * lock over makes the count even again; the readers after it need no lock. */
TEST_F(ServicesTest, AWriterThatDiesOrHangsMidWriteNeverStopsTheCredentials)
{
    const auto fetch = entries_.QENGetUseridPassword;
    std::strcpy(block_->userName, "ALICE");
    std::strcpy(block_->password, "PALICE");
    char user[100], password[20], newPassword[20];
    for (DWORD holdMs : {1000u, 20000u}) { /* dies mid-write; hangs mid-write */
        LockHolder holder(holdMs, true);
        ASSERT_TRUE(holder.Holds());
        ASSERT_EQ(1, block_->fieldsSequence & 1) << "left odd";
        const DWORD start = GetTickCount();
        EXPECT_EQ(0u, fetch(user, password, newPassword));
        EXPECT_LT(GetTickCount() - start, 10000u) << "held for " << holdMs << " ms";
        EXPECT_STREQ("ALICE", user);
        EXPECT_STREQ("PALICE", password);
    }
    /* The hung writer was ended holding the lock: the next reader takes it over. */
    const DWORD start = GetTickCount();
    EXPECT_EQ(0u, fetch(user, password, newPassword));
    EXPECT_LT(GetTickCount() - start, 1000u);
    EXPECT_EQ(0, block_->fieldsSequence & 1) << "made even by the reader that took the lock over";
}

} // namespace
