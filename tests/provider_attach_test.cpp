/*
 * The provider's process attach and detach: the libraries it refuses to load
 * without, its thunk connection with ZORN1632, and the shared logon block as
 * several real processes see it.
 */
#include "test_support.h"
#include "zorn1632.h"

#include <cstring>

namespace {

/* The shared block as a second process printed it, or empty when it failed. */
std::string BlockSeenByAnotherProcess()
{
    std::string output;
    const DWORD exitCode = RunProgram(ProgramCommand("load_probe.exe", "dump"), ProgramFolder(), &output);
    EXPECT_EQ(0u, exitCode) << output;
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r'))
        output.pop_back();
    return output;
}

std::string Hex(const BYTE *bytes, size_t count)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
    }
    return text;
}

const std::string kZeroBlock(2 * kSharedRecordSize, '0');

TEST(ProviderAttach, RefusesToLoadWhenALibraryOrItsEntryIsMissing)
{
    ExpectLoadsOnlyBesideConformingPartners(
        "ZORNET32.DLL", kProviderPartners,
        {"variants/bridge-without-dispatcher/ZORN3216.DLL", "variants/torvek-no-block/TORVEK.DLL",
         "variants/torvek-bad-magic/TORVEK.DLL", "variants/torvek-bad-checksum/TORVEK.DLL",
         "variants/zorn1632-no-connect16/ZORN1632.DLL", "variants/zorn1632-bad-checksum/ZORN1632.DLL",
         "variants/zorn1632-no-block/ZORN1632.DLL"});
}

DWORD WINAPI DoNothing(LPVOID)
{
    return 0;
}

/* The process attach connects the services half, never the client half;
 * thread attach and detach change neither the connection nor the block. */
TEST(ProviderAttach, ConnectsWithTheSixteenBitPartnerThroughThePlatform)
{
    LoadedLibrary provider("ZORNET32.DLL");
    ASSERT_TRUE(provider.Loaded());
    auto *servicesHalf = ThunkBlock<FlatThunkSL32>(provider, "zorn1632_ThunkData32", kServicesChecksum);
    auto *unusedHalf = ThunkBlock<FlatThunkLS32>(provider, "zorn3216_ThunkData32", kClientCallChecksum);
    ASSERT_NE(nullptr, servicesHalf);
    ASSERT_NE(nullptr, unusedHalf);
    EXPECT_NE(nullptr, servicesHalf->data) << "filled by ThunkConnect32 from ZORN1632's half";
    EXPECT_EQ(nullptr, unusedHalf->targetTable) << "the 32-to-16 half of the provider is never connected";

    SharedBlockView block;
    ASSERT_TRUE(block.Open());
    std::strcpy(block->userName, "ALICE");
    block->notifyWindow = 0x77;
    const void *connection = servicesHalf->data;
    const std::vector<BYTE> before(block.Bytes(), block.Bytes() + kSharedRecordSize);
    for (int i = 0; i < 3; ++i) {
        HANDLE thread = CreateThread(nullptr, 0, DoNothing, nullptr, 0, nullptr);
        ASSERT_NE(nullptr, thread);
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
    EXPECT_EQ(0, std::memcmp(before.data(), block.Bytes(), kSharedRecordSize));
    EXPECT_EQ(connection, servicesHalf->data);
    std::memset(block->userName, 0, sizeof(block->userName));
    block->notifyWindow = 0;
}

TEST(SharedBlock, IsSharedBetweenProcessesAndStartsFromZerosOnlyWhenNew)
{
    /* Nobody holds the block: the process that attaches creates it cleared. */
    EXPECT_EQ(kZeroBlock, BlockSeenByAnotherProcess());

    {
        LoadedLibrary provider("ZORNET32.DLL");
        ASSERT_TRUE(provider.Loaded());
        SharedBlockView block;
        ASSERT_TRUE(block.Open());
        EXPECT_EQ(kZeroBlock, Hex(block.Bytes(), kSharedRecordSize)) << "the first process sees zeros";

        std::strcpy(block->userName, "ALICE");
        std::strcpy(block->password, "SECRET");
        EXPECT_EQ(0u, Zorn1632RegisterWindow(0x00C2));

        /* A second process attaches while this one holds the block: nothing is cleared. */
        const std::string seen = BlockSeenByAnotherProcess();
        EXPECT_EQ(Hex(block.Bytes(), kSharedRecordSize), seen);
        EXPECT_EQ(Hex(reinterpret_cast<const BYTE *>("ALICE"), 6), seen.substr(0, 12));
        EXPECT_EQ(Hex(reinterpret_cast<const BYTE *>("SECRET"), 7),
                  seen.substr(2 * offsetof(SharedLogonRecord, password), 14));
        EXPECT_EQ("C2000000", seen.substr(2 * offsetof(SharedLogonRecord, notifyWindow), 8));
    }

    /* Both have detached: the next attach starts again from zeros. */
    EXPECT_EQ(kZeroBlock, BlockSeenByAnotherProcess());
}

} // namespace
