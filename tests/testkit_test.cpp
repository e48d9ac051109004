/*
 * The test kit's pieces whose fault would hide failures elsewhere: a child
 * that never ends is ended at its time limit and reported as not finished,
 * never as a pass; a child's exit code and output come back as it left them,
 * its output can be read while it runs, and one still running when its
 * owner goes is ended; a scratch key puts
 * back what it found and takes away the keys it made.
 */
#include "child_process.h"
#include "registry_values.h"
#include "scratch_key.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr char kSelf[] = "testkit_tests.exe";
constexpr char kScratchParent[] = "Software\\ZorTestKit";
constexpr char kScratch[] = "Software\\ZorTestKit\\Scratch";

TEST(ChildProcess, OneThatNeverEndsIsEndedAtItsTimeLimitAndCountsAsUnfinished)
{
    const DWORD start = GetTickCount();
    EXPECT_EQ(kChildNotFinished, RunProgram(ProgramCommand(kSelf, "--child-hang"), ProgramFolder(), nullptr, 3000, 1));
    const DWORD took = GetTickCount() - start;
    EXPECT_GE(took, 3000u);
    EXPECT_LT(took, 30000u);
}

TEST(ChildProcess, ItsExitCodeAndOutputComeBackAsItLeftThem)
{
    std::string output;
    EXPECT_EQ(7u, RunProgram(ProgramCommand(kSelf, "--child-exit 7"), ProgramFolder(), &output));
    EXPECT_EQ(0u, output.find("exiting with 7")) << output;
    EXPECT_EQ(0u, RunProgram(ProgramCommand(kSelf, "--child-exit 0"), ProgramFolder(), nullptr));
}

TEST(ChildProcess, OneStillRunningShowsItsOutputAndIsEndedWhenItsOwnerGoes)
{
    HANDLE process = nullptr;
    {
        ChildProcess child;
        ASSERT_TRUE(child.Start(ProgramCommand(kSelf, "--child-hang"), ProgramFolder(), true));
        /* A process's start can take many seconds under an emulated CPU. */
        for (int i = 0; i < 600 && child.Output().find("hanging") == std::string::npos; ++i)
            EXPECT_FALSE(child.Wait(100));
        EXPECT_NE(std::string::npos, child.Output().find("hanging")) << child.Output();
        EXPECT_TRUE(child.Running());
        EXPECT_FALSE(child.Start(ProgramCommand(kSelf, "--child-exit 0"), ProgramFolder())) << "one child at a time";
        ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), child.Process(), GetCurrentProcess(), &process,
                                    SYNCHRONIZE, FALSE, 0));
    }
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process, 10000));
    CloseHandle(process);
}

TEST(ScratchKey, PutsBackTheValuesItFoundAndRemovesTheKeysItMade)
{
    RegDeleteKeyA(HKEY_CURRENT_USER, kScratch);
    RegDeleteKeyA(HKEY_CURRENT_USER, kScratchParent);
    ASSERT_EQ(ERROR_SUCCESS, WriteTextValue(HKEY_CURRENT_USER, kScratch, "Kept", "before"));
    {
        ScratchKey scratch;
        ASSERT_TRUE(scratch.Prepare(HKEY_CURRENT_USER, kScratch));
        std::string text;
        EXPECT_FALSE(ReadTextValue(HKEY_CURRENT_USER, kScratch, "Kept", &text)) << "the case sees only its values";
        EXPECT_TRUE(scratch.SetText("Added", "during"));
    }
    std::string text;
    EXPECT_TRUE(ReadTextValue(HKEY_CURRENT_USER, kScratch, "Kept", &text));
    EXPECT_EQ("before", text);
    EXPECT_FALSE(ReadTextValue(HKEY_CURRENT_USER, kScratch, "Added", &text));
    RegDeleteKeyA(HKEY_CURRENT_USER, kScratch);
    RegDeleteKeyA(HKEY_CURRENT_USER, kScratchParent);

    {
        ScratchKey scratch;
        ASSERT_TRUE(scratch.Prepare(HKEY_CURRENT_USER, kScratch));
        EXPECT_TRUE(scratch.SetNumber("Added", 1));
    }
    HKEY key;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kScratchParent, 0, KEY_READ, &key))
        << "a key the scratch key made is gone again";
}

} // namespace

/* The children these tests start are this program, asked to hang or to exit. */
int main(int argc, char **argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--child-hang") == 0) {
        std::printf("hanging\n");
        std::fflush(stdout);
        Sleep(INFINITE);
    }
    if (argc == 3 && std::strcmp(argv[1], "--child-exit") == 0) {
        std::printf("exiting with %s\n", argv[2]);
        return std::atoi(argv[2]);
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
