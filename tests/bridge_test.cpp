/*
 * ZORN3216 as the provider uses it: TORVEKThunk(p1, p2, p3, p4, 80, opcode)
 * reaches TORVEK's entry for the opcode with the arguments of that entry, and
 * hands back the entry's 16-bit result widened with its sign.
 */
#include "sixteen_bit.h"
#include "test_support.h"

namespace {

class BridgeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SimReset();
        ASSERT_TRUE(bridge_.Loaded());
        ASSERT_NE(nullptr, thunk_);
        from_ = SimJournalCount();
    }

    std::vector<SimCall> Calls() const { return JournalSince(from_, SimTorvek); }

    LoadedLibrary bridge_{"ZORN3216.DLL"};
    const ClientDispatcher thunk_ = BridgeEntries(bridge_).TORVEKThunk;
    DWORD from_ = 0;
    char p1_[64] = "USER", p2_[64] = "SERVER", p3_[64] = "NEWPASS", p4_[64] = "DOMAIN";
};

/* The arguments the entry took, in order. */
std::vector<DWORD> ArgumentsOf(const SimCall &call)
{
    return std::vector<DWORD>(call.args, call.args + call.argCount);
}

struct Route {
    DWORD opcode;
    LONG entry;
    std::vector<int> passed; /* which of p1..p5 reach the entry, in order */
};

TEST_F(BridgeTest, EachOpcodeReachesItsEntryWithItsArgumentsInOrder)
{
    const Route routes[] = {
        {ClientLogon, SimLogon, {1, 2, 4, 5}}, /* never p3 */
        {ClientLogonServerUnavailable, SimLogonServerUnavailable, {}},
        {ClientChangePassword, SimChangePassword, {1, 2, 3, 4}}, /* never p5 */
        {ClientGetHomeDirectory, SimGetHomeDirectory, {1}},
        {ClientGetLogonServer, SimGetLogonServer, {1}},
        {ClientLogoff, SimLogoff, {}},
    };
    /* Forced results keep the simulated client from acting on the test's buffers. */
    for (int entry = SimGetLogonServer; entry <= SimLogon; ++entry)
        SimForce(entry, 0);

    const DWORD values[] = {PointerArg(p1_), PointerArg(p2_), PointerArg(p3_), PointerArg(p4_),
                            kClientCallValue};
    for (const Route &route : routes) {
        SCOPED_TRACE(route.opcode);
        const DWORD before = SimJournalCount();
        EXPECT_EQ(0u, thunk_(p1_, p2_, p3_, p4_, kClientCallValue, route.opcode));
        const std::vector<SimCall> calls = JournalSince(before, SimTorvek);
        ASSERT_EQ(1u, calls.size());
        EXPECT_EQ(route.entry, calls[0].entry);
        ASSERT_EQ(route.passed.size(), calls[0].argCount);
        for (size_t i = 0; i < route.passed.size(); ++i) {
            EXPECT_EQ(values[route.passed[i] - 1], calls[0].args[i]) << "argument " << i;
            if (route.passed[i] != 5) { /* a pointer arrives as a 16:16 alias, not as itself */
                EXPECT_NE(0u, HIWORD(calls[0].farArgs[i])) << "argument " << i;
                EXPECT_NE(calls[0].args[i], calls[0].farArgs[i]) << "argument " << i;
            }
        }
    }
}

TEST_F(BridgeTest, LogonGetsOnlyTheLowSixteenBitsOfP5)
{
    SimForce(SimLogon, 0);
    for (DWORD p5 : {0x00000050u, 0x00012345u, 0xFFFF0050u, 0x0000FFFFu}) {
        const DWORD before = SimJournalCount();
        thunk_(p1_, p2_, nullptr, p4_, p5, ClientLogon);
        const std::vector<SimCall> calls = JournalSince(before, SimTorvek);
        ASSERT_EQ(1u, calls.size());
        EXPECT_EQ(p5 & 0xFFFF, calls[0].args[3]) << std::hex << p5;
    }
}

TEST_F(BridgeTest, SixteenBitResultsComeBackWidenedWithTheirSign)
{
    const struct {
        LONG client;
        DWORD widened;
    } cases[] = {
        {0xFFFF, 0xFFFFFFFFu}, {0x8000, 0xFFFF8000u}, {0x7FFF, 0x7FFFu}, {2204, 2204u}, {0, 0u},
    };
    for (DWORD opcode = ClientLogon; opcode <= ClientLogoff; ++opcode) {
        for (const auto &c : cases) {
            for (int entry = SimGetLogonServer; entry <= SimLogon; ++entry)
                SimForce(entry, c.client);
            EXPECT_EQ(c.widened, thunk_(p1_, p2_, p3_, p4_, kClientCallValue, opcode))
                << "opcode " << opcode << ", client result " << c.client;
        }
    }
}

TEST_F(BridgeTest, ANullPointerInAPassedPositionStillCrosses)
{
    SimForce(SimChangePassword, 0);
    SimForce(SimGetHomeDirectory, 0);
    SimForce(SimLogon, 0);
    thunk_(p1_, nullptr, p3_, nullptr, kClientCallValue, ClientChangePassword);
    thunk_(nullptr, nullptr, nullptr, nullptr, kClientCallValue, ClientGetHomeDirectory);
    thunk_(nullptr, nullptr, p3_, nullptr, kClientCallValue, ClientLogon);

    const std::vector<SimCall> calls = Calls();
    ASSERT_EQ(3u, calls.size());
    EXPECT_EQ(SimChangePassword, calls[0].entry);
    EXPECT_EQ((std::vector<DWORD>{PointerArg(p1_), 0, PointerArg(p3_), 0}), ArgumentsOf(calls[0]));
    EXPECT_EQ(SimGetHomeDirectory, calls[1].entry);
    EXPECT_EQ(std::vector<DWORD>{0}, ArgumentsOf(calls[1]));
    EXPECT_EQ(SimLogon, calls[2].entry);
    EXPECT_EQ((std::vector<DWORD>{0, 0, 0, kClientCallValue}), ArgumentsOf(calls[2]));
}

TEST_F(BridgeTest, AnOpcodeOutsideOneToSixCallsNothing)
{
    EXPECT_EQ(0xFFFFFFFFu, thunk_(p1_, p2_, p3_, p4_, kClientCallValue, 0));
    EXPECT_EQ(6u, thunk_(p1_, p2_, p3_, p4_, kClientCallValue, 7));
    EXPECT_EQ(0xFFFFFFFEu, thunk_(p1_, p2_, p3_, p4_, kClientCallValue, 0xFFFFFFFF));
    EXPECT_TRUE(Calls().empty());
}

TEST_F(BridgeTest, TheClientAnswersThroughTheCallersBuffers)
{
    char server[20] = "";
    EXPECT_EQ(0u, thunk_(server, nullptr, nullptr, nullptr, kClientCallValue, ClientGetLogonServer));
    EXPECT_STREQ("\\\\ZORSRV1", server);

    char user[] = "ALICE", domain[] = "ZORDOM";
    EXPECT_EQ(0u, thunk_(user, server, nullptr, domain, kClientCallValue, ClientLogon));
    EXPECT_EQ(0u, thunk_(nullptr, nullptr, nullptr, nullptr, kClientCallValue, ClientLogoff));
    EXPECT_EQ(2201u, thunk_(nullptr, nullptr, nullptr, nullptr, kClientCallValue, ClientLogoff));
}

/* Its ordinals are the image audit's to check. */
TEST(BridgeModule, ItsLibraryEntriesOfWindows31AnswerTrue)
{
    LoadedLibrary bridge("ZORN3216.DLL");
    ASSERT_TRUE(bridge.Loaded());
    EXPECT_EQ(TRUE, bridge.Export<BOOL (WINAPI *)(DWORD)>("LibMain")(0));
    EXPECT_EQ(TRUE, bridge.Export<BOOL (WINAPI *)(void)>("WEP")());
}

TEST(BridgeModule, ItsBlockIsConnectedByThePlatformWithTorveksTargets)
{
    LoadedLibrary bridge("ZORN3216.DLL");
    ASSERT_TRUE(bridge.Loaded());
    auto *block = ThunkBlock<FlatThunkLS32>(bridge, "zorn3216_ThunkData32", kClientCallChecksum);
    ASSERT_NE(nullptr, block);
    ASSERT_NE(nullptr, block->targetTable) << "filled by ThunkConnect32";
    for (int target = 0; target < 6; ++target)
        EXPECT_NE(0u, HIWORD(block->targetTable[target])) << "16:16 entry " << target;
    const BYTE *stub = reinterpret_cast<const BYTE *>(block) + block->offsetQTThunk;
    EXPECT_NE(0xCC, stub[0]) << "the platform wrote its QT_Thunk stub";
}

TEST(BridgeModule, ThePlatformsQtStubRunsTheSixteenBitEntryToo)
{
    /* ZORN3216 crosses through WOWCallback16Ex on Wine because Wine's
     * QT_Thunk loses the result; the stub it writes still runs the entry. */
    SimReset();
    LoadedLibrary bridge("ZORN3216.DLL");
    ASSERT_TRUE(bridge.Loaded());
    auto *block = ThunkBlock<FlatThunkLS32>(bridge, "zorn3216_ThunkData32", kClientCallChecksum);
    ASSERT_NE(nullptr, block);
    SimForce(SimLogoff, 2201);
    const DWORD before = SimJournalCount();
    const DWORD result = CallThroughQtStub(reinterpret_cast<BYTE *>(block) + block->offsetQTThunk, SimLogoff);
    const std::vector<SimCall> calls = JournalSince(before, SimTorvek);
    ASSERT_EQ(1u, calls.size()) << "QT stub result " << result;
    EXPECT_EQ(SimLogoff, calls[0].entry);
    EXPECT_EQ(2201u,
              BridgeEntries(bridge).TORVEKThunk(nullptr, nullptr, nullptr, nullptr, kClientCallValue, ClientLogoff));
}

TEST(BridgeModule, RefusesToLoadWithoutAConformingTorvek)
{
    ExpectLoadsOnlyBesideConformingPartners("ZORN3216.DLL", {"TORVEK.DLL"},
                                            {"variants/torvek-no-block/TORVEK.DLL",
                                             "variants/torvek-bad-magic/TORVEK.DLL",
                                             "variants/torvek-bad-checksum/TORVEK.DLL"});
}

} // namespace
