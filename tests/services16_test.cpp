/*
 * The services the 16-bit side calls up through ZORN1632, through the thunk
 * entries and the named exports QENMirevola (70) and QENGetUseridPassword (97).
 */
#include "dialog_driver.h"
#include "zorn1632.h"

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

class ServicesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SimReset();
        SetRememberedDomain("ZORDOM");
        ASSERT_TRUE(provider_.Loaded());
        ASSERT_TRUE(block_.Open());
    }
    Library provider_{"ZORNET32.DLL"};
    SharedBlockView block_;
};

TEST_F(ServicesTest, RegistrationKeepsTheLowSixteenBits)
{
    auto mirevola = ProviderEntries(provider_).QENMirevola;
    ASSERT_EQ(mirevola, ProviderEntries(provider_).QENMirevola);
    EXPECT_EQ(0u, mirevola(0x00010005));
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
    auto logon = ProviderEntries(provider_).NPLogon;
    char user[32] = "alice", password[32] = "secret";
    RouterLogonInfo info = {user, password};
    EXPECT_EQ(0u, logon(nullptr, &info, nullptr, nullptr, 0, 4)) << "silent logon";

    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
    char fetchedUser[100], fetchedPassword[20], fetchedNew[20];
    EXPECT_EQ(1u, Zorn1632Notifications(fetchedUser, fetchedPassword, fetchedNew));
    EXPECT_STREQ("ALICE", fetchedUser);
    EXPECT_STREQ("SECRET", fetchedPassword);
    EXPECT_STREQ("", fetchedNew) << "no password change yet: a single NUL";

    /* After a password change the new password is there too. */
    auto change = ProviderEntries(provider_).PPChangePassword;
    char newPassword[32] = "fresh1", oldPassword[32] = "secret";
    RouterLogonInfo newLogon = {user, newPassword}, previous = {user, oldPassword};
    EXPECT_EQ(0u, change(&newLogon, &previous, 777));
    auto fetch = ProviderEntries(provider_).QENGetUseridPassword;
    ASSERT_EQ(fetch, ProviderEntries(provider_).QENGetUseridPassword);
    EXPECT_EQ(0u, fetch(fetchedUser, fetchedPassword, fetchedNew));
    EXPECT_STREQ("FRESH1", fetchedNew);
    EXPECT_EQ(0u, Zorn1632FetchCredentials(fetchedUser, fetchedPassword, fetchedNew));
    EXPECT_STREQ("FRESH1", fetchedNew);

    Zorn1632StopListening();
    EXPECT_EQ(0u, block_->notifyWindow);
}

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
}

/* Runs load_probe with each set of arguments at once; expects every one to exit 0. */
void RunProbesAtOnce(std::initializer_list<const char *> argumentSets)
{
    std::vector<PROCESS_INFORMATION> processes;
    for (const char *arguments : argumentSets) {
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        std::string commandLine = "\"" + ProgramFolder() + "load_probe.exe\" " + arguments;
        ASSERT_TRUE(CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                   ProgramFolder().c_str(), &startup, &process));
        processes.push_back(process);
    }
    for (PROCESS_INFORMATION &process : processes) {
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 120000));
        DWORD exitCode = 99;
        GetExitCodeProcess(process.hProcess, &exitCode);
        EXPECT_EQ(0u, exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

TEST_F(ServicesTest, TwoProcessesCallUpAtOnce)
{
    std::strcpy(block_->userName, "ALICE");
    RunProbesAtOnce({"callup ALICE 200", "callup ALICE 200"});
    std::memset(block_->userName, 0, sizeof(block_->userName));
}

TEST_F(ServicesTest, AReaderNeverSeesOneWritersUserWithAnothersPassword)
{
    /* Two writers with names of different lengths, one reader, for seconds at
     * once; a read is torn when the password is not "P" + the user name read
     * with it. Without the lock this tears thousands of reads. */
    RunProbesAtOnce({"write A 4000", "write BBBBBBBBBBBBBBBBBB 4000", "read 3000"});
    std::memset(block_->userName, 0, sizeof(block_->userName));
    std::memset(block_->password, 0, sizeof(block_->password));
}

/* Another process that takes the lock of the fields (and, midWrite, also
 * advances their count, as a writer does before its stores) and holds it for
 * holdMs, then dies holding it (load_probe holdlock); ended at the latest when
 * this goes out of scope. */
class LockHolder {
public:
    LockHolder(DWORD holdMs, bool midWrite)
    {
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        std::string commandLine = "\"" + ProgramFolder() + "load_probe.exe\" holdlock " + std::to_string(holdMs) +
                                  (midWrite ? " midwrite" : "");
        if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, ProgramFolder().c_str(),
                            &startup, &process_))
            return;
        /* Until it holds the lock (a wait for it then times out), at most 10 s. */
        HANDLE lock = OpenMutexA(SYNCHRONIZE, FALSE, kSharedRecordLockName);
        for (int i = 0; lock != nullptr && i < 200 && !holds_; ++i) {
            holds_ = WaitForSingleObject(lock, 0) == WAIT_TIMEOUT;
            if (!holds_) {
                ReleaseMutex(lock);
                Sleep(50);
            }
        }
        if (lock != nullptr)
            CloseHandle(lock);
    }
    ~LockHolder()
    {
        if (process_.hProcess == nullptr)
            return;
        TerminateProcess(process_.hProcess, 0);
        WaitForSingleObject(process_.hProcess, 10000);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
    LockHolder(const LockHolder &) = delete;
    LockHolder &operator=(const LockHolder &) = delete;
    bool Holds() const { return holds_; }

private:
    PROCESS_INFORMATION process_ = {};
    bool holds_ = false;
};

/* Readers do not wait for a holder of the lock: a copy between two even,
 * equal counts needs no lock. */
TEST_F(ServicesTest, AReaderDoesNotWaitForTheLocksHolder)
{
    auto fetch = ProviderEntries(provider_).QENGetUseridPassword;
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
    std::memset(block_->userName, 0, sizeof(block_->userName));
}

/* A writer that dies, or hangs, between its two advances of the fields'
 * count: the reader spins its bounded tries, then waits for the lock, at
 * most kSharedRecordLockWait, and copies. The one that takes an abandoned
 * lock over makes the count even again; the readers after it need no lock. */
TEST_F(ServicesTest, AWriterThatDiesOrHangsMidWriteNeverStopsTheCredentials)
{
    auto fetch = ProviderEntries(provider_).QENGetUseridPassword;
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
    std::memset(block_->userName, 0, sizeof(block_->userName));
    std::memset(block_->password, 0, sizeof(block_->password));
}

TEST_F(ServicesTest, NullFarPointersArriveAsNull)
{
    std::strcpy(block_->userName, "ALICE");
    std::strcpy(block_->password, "PW");
    char password[20];
    std::memset(password, '#', sizeof(password));
    EXPECT_EQ(0u, Zorn1632FetchInto(nullptr, password, nullptr));
    EXPECT_STREQ("PW", password) << "only the buffer that crossed was written";
    std::memset(block_->userName, 0, sizeof(block_->userName));
    std::memset(block_->password, 0, sizeof(block_->password));
}

} // namespace
