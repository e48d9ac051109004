/*
 * QENREGIO as the 16-bit side reaches it: requests through QENTHUNK's thunk
 * entry with 16-bit numbers, and the exports ReadRegistry and WriteRegistry,
 * against the real registry of the Wine prefix.
 */
#include "registry_key.h"
#include "registry_values.h"
#include "sixteen_bit.h"
#include "test_support.h"

#include <cstring>

namespace {

/* The key of one persistent connection. */
std::string ConnectionKey(const std::string &localName)
{
    return kPersistentKey + localName;
}

bool ConnectionExists(const std::string &localName)
{
    RegistryKey key;
    return key.Open(HKEY_CURRENT_USER, ConnectionKey(localName).c_str()) == ERROR_SUCCESS;
}

void DeleteConnections()
{
    RegDeleteTreeA(HKEY_CURRENT_USER, kPersistentKey);
}

/* A value as stored: its bytes, and its type; "<none>" when it is not there. */
std::string StoredValue(HKEY root, const std::string &path, const char *name, DWORD *type = nullptr)
{
    RegistryKey key;
    char data[kTextRoom + 16];
    DWORD size = sizeof(data), storedType = 0;
    if (key.Open(root, path.c_str()) != ERROR_SUCCESS ||
        RegQueryValueExA(key, name, nullptr, &storedType, reinterpret_cast<BYTE *>(data), &size) != ERROR_SUCCESS)
        return "<none>";
    if (type != nullptr)
        *type = storedType;
    return std::string(data, size);
}

class RegistryServiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(service_.Loaded());
        ASSERT_TRUE(entries_.found);
        TearDown();
    }
    void TearDown() override
    {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kLogonKey);
        DeleteConnections();
    }

    void CreateLogonKey()
    {
        RegistryKey key;
        ASSERT_EQ(ERROR_SUCCESS, key.Create(HKEY_LOCAL_MACHINE, kLogonKey));
    }
    void SetLogonValue(const char *name, DWORD type, const void *data, DWORD size)
    {
        ASSERT_EQ(ERROR_SUCCESS, WriteValue(HKEY_LOCAL_MACHINE, kLogonKey, name, type, data, size)) << name;
    }
    /* A request of the 16-bit side, its numbers 16 bits wide. */
    LONG Request(SHORT op, SHORT item, char *data, const char *name = "", const char *text = "", SHORT length = 0)
    {
        return static_cast<LONG>(
            QenthunkRequest(op, item, data, length, const_cast<char *>(name), const_cast<char *>(text)));
    }
    LONG Read(SHORT item, char *data) { return Request(ReadItem, item, data); }
    LONG Set(SHORT item, const char *name, const char *text) { return Request(SetItem, item, nullptr, name, text); }
    LONG Delete(SHORT item, const char *name) { return Request(DeleteItem, item, nullptr, name); }
    void Connect(const char *localName, const char *remotePath, const char *user = "ALICE")
    {
        char userBuffer[64];
        CopyText(userBuffer, user);
        ASSERT_EQ(0, Request(SetItem, ItemPersistentConnections, userBuffer, localName, remotePath)) << localName;
    }

    LoadedLibrary service_{"QENREGIO.DLL"};
    const RegistryServiceEntries entries_{service_};
};

/* The local name and the remote path of entry i of the connection table. */
std::string LocalNameAt(const char *table, int i)
{
    return table + i * kConnectionEntrySize;
}
std::string RemotePathAt(const char *table, int i)
{
    return table + i * kConnectionEntrySize + kRemotePathOffset;
}

TEST_F(RegistryServiceTest, OtherItemsAndOperationsAreBadRequestsAndTouchNothing)
{
    CreateLogonKey();
    for (SHORT op : {3, 255, -1})
        EXPECT_EQ(ResultBadRequest, Request(op, ItemUserName, nullptr, "USERNAME", "x")) << op;
    EXPECT_EQ("<none>", StoredValue(HKEY_LOCAL_MACHINE, kLogonKey, "USERNAME"));

    char buffer[8];
    std::memset(buffer, '#', sizeof(buffer));
    for (int item : {0, 9, -1}) {
        EXPECT_EQ(ResultBadRequest, entries_.ReadRegistry(item, buffer, sizeof(buffer))) << item;
        EXPECT_EQ(ResultBadRequest, Read(static_cast<SHORT>(item), buffer)) << item;
    }
    EXPECT_EQ(ResultBadRequest, Read(static_cast<SHORT>(0xFFFF), buffer)) << "a 16-bit 0xFFFF arrives as -1";
    EXPECT_EQ(std::string(8, '#'), std::string(buffer, 8));
}

/* A value of the logon key read as its item: found by its name in any ASCII
 * letter case, its answer written only where it fits the item's room. */
TEST_F(RegistryServiceTest, EachValueIsAnsweredWithinItsItemsRoom)
{
    using namespace std::string_literals;
    const std::string longText(kTextRoom - 1, 'u'), fullBlock(kTextRoom, 'x');
    const struct {
        const char *name;
        DWORD type;
        std::string data;
        SHORT item;
        LONG result;
        std::string answer; /* the caller's bytes afterwards; '#' where nothing was written */
        const char *why;
    } cases[] = {
        {"username", REG_SZ, "alice\0"s, ItemUserName, 0, "alice\0#"s, "another letter case"},
        {"DOMAINS", REG_SZ, "\0"s, ItemDomains, 0, "\0#"s, "the empty text"},
        {"DOMAINS", REG_DWORD, "\1\0\0\0"s, ItemDomains, 0, "\1\0"s, "a number read as text"},
        {"USERNAME", REG_SZ, longText + '\0', ItemUserName, 0, longText + "\0#"s, "the longest text that fits"},
        {"DOMAINS", REG_NONE, fullBlock, ItemDomains, 0, fullBlock.substr(1) + "\0#"s, "no terminator: cut"},
        {"PASSWORDCACHING", REG_BINARY, "\1\0\0\0"s, ItemPasswordCaching, ResultYes, "YES\0####"s, "yes"},
        {"PASSWORDCACHING", REG_BINARY, "\0\0\0\0"s, ItemPasswordCaching, ResultNo, "NO\0#"s, "no"},
        {"FMSHARE", REG_BINARY, "\0\1"s, ItemFmShare, ResultNo, "NO\0#"s, "only the first byte counts"},
        {"LMLOGON", REG_BINARY, "", ItemLmLogon, ResultNo, "NO\0#"s, "no data is no"},
        /* A yes/no item holding text (regedit makes one in a moment). */
        {"FMSHARE", REG_SZ, "ON\0"s, ItemFmShare, 0, "ON\0#"s, "up to 3 characters answer as text"},
        {"PASSWORDCACHING", REG_SZ, "TRUE\0"s, ItemPasswordCaching, ERROR_MORE_DATA, std::string(16, '#'), "too long"},
        {"LMLOGON", REG_DWORD, "\1\2\3\4"s, ItemLmLogon, ERROR_MORE_DATA, std::string(16, '#'), "no terminator"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.why);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kLogonKey);
        SetLogonValue(c.name, c.type, c.data.data(), static_cast<DWORD>(c.data.size()));
        std::string buffer(kTextRoom + 16, '#');
        EXPECT_EQ(c.result, Read(c.item, &buffer[0]));
        EXPECT_EQ(c.answer, buffer.substr(0, c.answer.size()));
    }

    /* Without the key the registry's status, without the value 0: the
     * caller's buffer is left alone either way. */
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kLogonKey);
    char buffer[kTextRoom];
    std::strcpy(buffer, "untouched");
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, Read(ItemUserName, buffer));
    CreateLogonKey();
    EXPECT_EQ(0, Read(ItemDomains, buffer));
    EXPECT_STREQ("untouched", buffer);
}

TEST_F(RegistryServiceTest, ReadsIgnoreLengthNameAndText)
{
    SetLogonValue("USERNAME", REG_SZ, "alice", 6);
    char buffer[64];
    for (SHORT length : {0, 1, -1, 0x7FFF})
        EXPECT_EQ(0, Request(ReadItem, ItemUserName, buffer, "DOMAINS", "ignored", length));
    EXPECT_STREQ("alice", buffer);
}

TEST_F(RegistryServiceTest, WritesStoreTextAndYesNoNumbers)
{
    CreateLogonKey();
    EXPECT_EQ(0, Set(ItemUserName, "USERNAME", "bobbie"));
    DWORD type = 0;
    EXPECT_EQ(std::string("bobbie", 7), StoredValue(HKEY_LOCAL_MACHINE, kLogonKey, "USERNAME", &type));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);

    const struct {
        const char *text;
        char stored;
    } spellings[] = {{"yes", 1}, {"YES", 1}, {"Yes", 1}, {"no", 0}, {"y", 0}, {"yes ", 0}, {"", 0}};
    for (const auto &s : spellings) {
        EXPECT_EQ(0, Set(ItemPasswordCaching, "PASSWORDCACHING", s.text)) << s.text;
        EXPECT_EQ(std::string({s.stored, 0, 0, 0}),
                  StoredValue(HKEY_LOCAL_MACHINE, kLogonKey, "PASSWORDCACHING", &type)) << s.text;
        EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);
    }
    char buffer[kYesNoRoom];
    EXPECT_EQ(0, Set(ItemFmShare, "FMSHARE", "Yes"));
    EXPECT_EQ(ResultYes, Read(ItemFmShare, buffer));

    EXPECT_EQ(0, Set(-1, "OTHER", "x")) << "other numbers go to the logon key";
    EXPECT_EQ(std::string("x", 2), StoredValue(HKEY_LOCAL_MACHINE, kLogonKey, "OTHER"));
    EXPECT_EQ(0, Request(DeleteItem, ItemDomains, nullptr, "OTHER", "ignored"));
    EXPECT_EQ("<none>", StoredValue(HKEY_LOCAL_MACHINE, kLogonKey, "OTHER"));
}

TEST_F(RegistryServiceTest, AMissingKeyIsNeverCreated)
{
    const char kNetworkSetupKey[] = "SYSTEM\\CURRENTCONTROLSET\\SERVICES\\VXD\\VNETSUP";
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kNetworkSetupKey);
    EXPECT_NE(0, Set(ItemComputerName, "COMPUTERNAME", "ZORPC"));
    RegistryKey key;
    EXPECT_NE(ERROR_SUCCESS, key.Open(HKEY_LOCAL_MACHINE, kNetworkSetupKey));
}

TEST_F(RegistryServiceTest, ConnectionsAreListedDrivesFirstInUpperCase)
{
    char table[kConnectionsRoom];
    std::memset(table, '#', sizeof(table));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, Read(ItemPersistentConnections, table)) << "no connection keys";
    EXPECT_EQ('#', table[0]);

    Connect("LPT3:", "\\\\ZORSRV1\\LASER");
    Connect("c:", "\\\\ZORSRV1\\APPS");
    /* A connection without a remote path leaves no gap. */
    ASSERT_EQ(ERROR_SUCCESS, WriteTextValue(HKEY_CURRENT_USER, ConnectionKey("E").c_str(), "UserName", "X"));
    Connect("f", "\\\\ZORSRV1\\HOME");

    EXPECT_EQ(0, Read(ItemPersistentConnections, table));
    EXPECT_EQ("C:", LocalNameAt(table, 0));
    EXPECT_EQ("\\\\ZORSRV1\\APPS", RemotePathAt(table, 0));
    EXPECT_EQ("F:", LocalNameAt(table, 1));
    EXPECT_EQ("\\\\ZORSRV1\\HOME", RemotePathAt(table, 1));
    EXPECT_EQ("LPT3:", LocalNameAt(table, 2));
    EXPECT_EQ("\\\\ZORSRV1\\LASER", RemotePathAt(table, 2));
    EXPECT_EQ('#', table[3 * kConnectionEntrySize]) << "no count and no end marker";
    EXPECT_EQ('#', table[3]) << "the bytes after a drive's terminator are left alone";
}

TEST_F(RegistryServiceTest, AConnectionIsSetAndDeletedByItsLocalName)
{
    Connect("LPT1:", "\\\\ZORSRV1\\LASER", "ALICE");
    EXPECT_EQ(std::string("Microsoft Network", 18),
              StoredValue(HKEY_CURRENT_USER, ConnectionKey("LPT1"), "ProviderName"));
    EXPECT_STREQ("ALICE", StoredValue(HKEY_CURRENT_USER, ConnectionKey("LPT1"), "UserName").c_str());

    Connect("LPT1", "\\\\ZORSRV2\\LASER", "BOB"); /* the same connection */
    char table[kConnectionsRoom];
    EXPECT_EQ(0, Read(ItemPersistentConnections, table));
    EXPECT_EQ("\\\\ZORSRV2\\LASER", RemotePathAt(table, 0));

    Connect("X:Y:", "\\\\ZORSRV1\\TWO"); /* cut at the last colon */
    EXPECT_TRUE(ConnectionExists("X:Y"));

    Connect("F:", "\\\\ZORSRV1\\HOME");
    EXPECT_EQ(0, Delete(ItemPersistentConnections, "F:"));
    EXPECT_FALSE(ConnectionExists("F"));
    EXPECT_TRUE(ConnectionExists("LPT1")) << "only F was deleted";
}

TEST_F(RegistryServiceTest, AnEmptyOrOverlongConnectionNameChangesNothing)
{
    Connect("F:", "\\\\ZORSRV1\\HOME");
    for (const char *name : {"", ":", ":C"})
        EXPECT_EQ(ERROR_INVALID_PARAMETER, Delete(ItemPersistentConnections, name)) << name;
    const std::string longName(241, 'N');
    char user[] = "ALICE";
    EXPECT_EQ(ERROR_INVALID_PARAMETER,
              Request(SetItem, ItemPersistentConnections, user, longName.c_str(), "\\\\S\\P"));
    const std::string longest(240, 'N');
    EXPECT_EQ(0, Request(SetItem, ItemPersistentConnections, user, longest.c_str(), "\\\\S\\P"));
    EXPECT_EQ(0, Delete(ItemPersistentConnections, longest.c_str()));
    EXPECT_TRUE(ConnectionExists("F")) << "the other connections stay";
}

TEST_F(RegistryServiceTest, ALongRemotePathNeverSpillsOutOfItsEntry)
{
    const std::string longest = "\\\\S\\" + std::string(kRemotePathSize - 5, 'p');
    Connect("D:", longest.c_str());
    Connect("G:", (longest + "q").c_str());
    Connect("H:", "\\\\S\\SHORT");
    char table[kConnectionsRoom];
    std::memset(table, '#', sizeof(table));
    EXPECT_EQ(0, Read(ItemPersistentConnections, table));
    EXPECT_EQ("D:", LocalNameAt(table, 0));
    EXPECT_EQ(longest, RemotePathAt(table, 0));
    EXPECT_EQ("H:", LocalNameAt(table, 1)) << "a path longer than 30 characters is left out, never cut";
    EXPECT_EQ('#', table[2 * kConnectionEntrySize]);
}

TEST(SixteenToThirtyTwo, AResultReachesTheSixteenBitCallerWhole)
{
    /* The benchmark's bare connection, whose targets are built with the same
     * SL_TARGET as the product's, answers 0x12345678: both halves cross. */
    LoadedLibrary bare("BARESL32.DLL");
    ASSERT_TRUE(bare.Loaded());
    const BYTE image[18] = {};
    DWORD result = 0;
    ASSERT_TRUE(CallSixteenBitRoutine("BARESL16.DLL", "NOTHING18", image, sizeof(image), &result));
    EXPECT_EQ(0x12345678u, result);
}

TEST(RegistryServiceModule, ItsBlockIsConnectedByThePlatform)
{
    LoadedLibrary service("QENREGIO.DLL");
    ASSERT_TRUE(service.Loaded());
    auto *block = ThunkBlock<FlatThunkSL32>(service, "THK1632_ThunkData32", kRegistryChecksum);
    ASSERT_NE(nullptr, block);
    EXPECT_NE(nullptr, block->data) << "filled by ThunkConnect32 from QENTHUNK's half";
}

TEST(RegistryServiceModule, RefusesToLoadWithoutItsPartner)
{
    ExpectLoadsOnlyBesideConformingPartners("QENREGIO.DLL", {"QENTHUNK.DLL"},
                                            {"variants/qenthunk-no-connect16/QENTHUNK.DLL",
                                             "variants/qenthunk-bad-checksum/QENTHUNK.DLL",
                                             "variants/qenthunk-no-block/QENTHUNK.DLL"});
}

} // namespace
