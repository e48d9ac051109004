/*
 * QENREGIO as the 16-bit side reaches it: requests through QENTHUNK's thunk
 * entry with 16-bit numbers, and the exports ReadRegistry (2) and
 * WriteRegistry (3), against the real registry of the Wine prefix.
 */
#include "flat_thunk.h"
#include "sixteen_bit.h"
#include "test_support.h"

#include <cstring>
#include <string>
#include <vector>

namespace {


constexpr char kPersistent[] = "NETWORK\\PERSISTENT";

void DeleteConnections()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kPersistent, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        char name[MAX_PATH];
        while (RegEnumKeyA(key, 0, name, sizeof(name)) == ERROR_SUCCESS)
            RegDeleteKeyA(key, name);
        RegCloseKey(key);
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, kPersistent);
}

class RegistryServiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(service_.Loaded());
        read_ = RegistryServiceEntries(service_).ReadRegistry;
        write_ = RegistryServiceEntries(service_).WriteRegistry;
        ASSERT_NE(nullptr, read_);
        ASSERT_NE(nullptr, write_);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, "NETWORK\\LOGON");
        DeleteConnections();
    }
    void TearDown() override
    {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, "NETWORK\\LOGON");
        DeleteConnections();
    }

    void CreateLogonKey()
    {
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, "NETWORK\\LOGON", &key));
        RegCloseKey(key);
    }
    void SetLogonValue(const char *name, DWORD type, const void *data, DWORD size)
    {
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, "NETWORK\\LOGON", &key));
        RegSetValueExA(key, name, 0, type, static_cast<const BYTE *>(data), size);
        RegCloseKey(key);
    }
    /* A request of the 16-bit side. */
    DWORD Request(SHORT op, SHORT item, char *data, const char *name = "", const char *text = "", SHORT length = 0)
    {
        return QenthunkRequest(op, item, data, length, const_cast<char *>(name), const_cast<char *>(text));
    }
    void Connect(const char *localName, const char *remotePath, const char *user = "ALICE")
    {
        char userBuffer[64];
        lstrcpynA(userBuffer, user, sizeof(userBuffer));
        ASSERT_EQ(0u, Request(1, 7, userBuffer, localName, remotePath)) << localName;
    }

    Library service_{"QENREGIO.DLL"};
    decltype(&ReadRegistry) read_ = nullptr;
    decltype(&WriteRegistry) write_ = nullptr;
};

TEST_F(RegistryServiceTest, ItemsOutsideTheCatalogueAreBadRequests)
{
    char buffer[8];
    std::memset(buffer, '#', sizeof(buffer));
    for (int item : {0, 9, -1}) {
        EXPECT_EQ(5, read_(item, buffer, sizeof(buffer))) << item;
        EXPECT_EQ(5u, Request(0, static_cast<SHORT>(item), buffer)) << item;
    }
    EXPECT_EQ(5u, Request(0, static_cast<SHORT>(0xFFFF), buffer)) << "a 16-bit 0xFFFF arrives as -1";
    EXPECT_EQ(std::string(8, '#'), std::string(buffer, 8));
}

TEST_F(RegistryServiceTest, ValuesAreFoundByNameWithoutRegardToAsciiCase)
{
    CreateLogonKey();
    char buffer[1024];
    std::strcpy(buffer, "untouched");
    EXPECT_EQ(0u, Request(0, 3, buffer)) << "a key without the value";
    EXPECT_STREQ("untouched", buffer);

    SetLogonValue("username", REG_SZ, "alice", 6);
    EXPECT_EQ(0u, Request(0, 1, buffer));
    EXPECT_STREQ("alice", buffer);

    SetLogonValue("DOMAINS", REG_SZ, "", 1);
    std::strcpy(buffer, "untouched");
    EXPECT_EQ(0u, Request(0, 3, buffer));
    EXPECT_EQ('\0', buffer[0]) << "the empty text";
    EXPECT_EQ('n', buffer[1]);

    const DWORD one = 1;
    SetLogonValue("DOMAINS", REG_DWORD, &one, sizeof(one));
    EXPECT_EQ(0u, Request(0, 3, buffer));
    EXPECT_EQ(1, buffer[0]) << "a number read as text";
    EXPECT_EQ(0, buffer[1]);
}

TEST_F(RegistryServiceTest, DataThatFillsTheBlockIsNeverReadPastIt)
{
    const std::string full(1024, 'x'); /* no terminator within the 1024 bytes */
    SetLogonValue("DOMAINS", REG_NONE, full.data(), 1024);
    std::string buffer(1100, '#');
    EXPECT_EQ(0u, Request(0, 3, &buffer[0]));
    EXPECT_EQ(std::string(1023, 'x'), std::string(buffer.c_str()));
    EXPECT_EQ('#', buffer[1024]) << "the answer stays within 1024 bytes";
}

TEST_F(RegistryServiceTest, AMissingKeyReturnsTheRegistrysStatus)
{
    char buffer[16];
    std::strcpy(buffer, "untouched");
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), Request(0, 1, buffer));
    EXPECT_STREQ("untouched", buffer);
}

TEST_F(RegistryServiceTest, BinaryValuesAnswerYesOrNo)
{
    char buffer[8];
    const BYTE yes[] = {1, 0, 0, 0}, no[] = {0, 0, 0, 0}, zeroOne[] = {0, 1};
    SetLogonValue("PASSWORDCACHING", REG_BINARY, yes, sizeof(yes));
    std::memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(3u, Request(0, 4, buffer));
    EXPECT_EQ(std::string("YES\0####", 8), std::string(buffer, 8));

    SetLogonValue("PASSWORDCACHING", REG_BINARY, no, sizeof(no));
    std::memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(2u, Request(0, 4, buffer));
    EXPECT_EQ(std::string("NO\0#####", 8), std::string(buffer, 8)) << "the fourth byte is left as it was";

    SetLogonValue("FMSHARE", REG_BINARY, zeroOne, sizeof(zeroOne));
    EXPECT_EQ(2u, Request(0, 5, buffer)) << "only the first byte counts";
    SetLogonValue("LMLOGON", REG_BINARY, nullptr, 0);
    EXPECT_EQ(2u, Request(0, 6, buffer)) << "no data is no";
}

TEST_F(RegistryServiceTest, AnAnswerLongerThanTheItemsRoomIsNeverWritten)
{
    /* A yes/no item holding text (regedit makes one in a moment): the caller
     * provides 4 bytes. Up to 3 characters still answer as text. */
    char buffer[16];
    SetLogonValue("PASSWORDCACHING", REG_SZ, "TRUE", 5);
    std::memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MORE_DATA), Request(0, 4, buffer));
    EXPECT_EQ(std::string(16, '#'), std::string(buffer, 16)) << "untouched";
    SetLogonValue("LMLOGON", REG_DWORD, "\x01\x02\x03\x04", 4);
    EXPECT_EQ(static_cast<DWORD>(ERROR_MORE_DATA), Request(0, 6, buffer)) << "four bytes and no terminator";
    SetLogonValue("FMSHARE", REG_SZ, "ON", 3);
    EXPECT_EQ(0u, Request(0, 5, buffer));
    EXPECT_EQ(std::string("ON\0#", 4), std::string(buffer, 4));
    /* A text item has its 1024 bytes: the longest value a read can hold fits. */
    const std::string longest(1023, 'u');
    SetLogonValue("USERNAME", REG_SZ, longest.c_str(), 1024);
    std::vector<char> text(1100, '#');
    EXPECT_EQ(0u, Request(0, 1, text.data()));
    EXPECT_EQ(longest, std::string(text.data()));
    EXPECT_EQ('#', text[1024]);
}

TEST_F(RegistryServiceTest, ReadsIgnoreLengthNameAndText)
{
    SetLogonValue("USERNAME", REG_SZ, "alice", 6);
    char buffer[64];
    for (SHORT length : {0, 1, -1, 0x7FFF})
        EXPECT_EQ(0u, Request(0, 1, buffer, "DOMAINS", "ignored", length));
    EXPECT_STREQ("alice", buffer);
}

TEST_F(RegistryServiceTest, WritesStoreTextAndYesNoNumbers)
{
    CreateLogonKey();
    EXPECT_EQ(0u, Request(1, 1, nullptr, "USERNAME", "bobbie"));
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_LOCAL_MACHINE, "NETWORK\\LOGON", &key));
    BYTE data[16];
    DWORD type = 0, size = sizeof(data);
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "USERNAME", nullptr, &type, data, &size));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(7u, size);

    const struct {
        const char *text;
        BYTE stored;
    } spellings[] = {{"yes", 1}, {"YES", 1}, {"Yes", 1}, {"no", 0}, {"y", 0}, {"yes ", 0}, {"", 0}};
    for (const auto &s : spellings) {
        EXPECT_EQ(0u, Request(1, 4, nullptr, "PASSWORDCACHING", s.text)) << s.text;
        type = 0, size = sizeof(data);
        ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "PASSWORDCACHING", nullptr, &type, data, &size));
        EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);
        ASSERT_EQ(4u, size);
        EXPECT_EQ(s.stored, data[0]) << s.text;
        EXPECT_EQ(0, data[1] | data[2] | data[3]);
    }
    char buffer[8];
    EXPECT_EQ(0u, Request(1, 5, nullptr, "FMSHARE", "Yes"));
    EXPECT_EQ(3u, Request(0, 5, buffer));

    EXPECT_EQ(0u, Request(1, -1, nullptr, "OTHER", "x")) << "other numbers go to the logon key";
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "OTHER", nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(0u, Request(2, 3, nullptr, "OTHER", "ignored"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExA(key, "OTHER", nullptr, nullptr, nullptr, nullptr));
    RegCloseKey(key);
}

TEST_F(RegistryServiceTest, AMissingKeyIsNeverCreated)
{
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SYSTEM\\CURRENTCONTROLSET\\SERVICES\\VXD\\VNETSUP");
    EXPECT_NE(0u, Request(1, 8, nullptr, "COMPUTERNAME", "ZORPC"));
    HKEY key;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyA(HKEY_LOCAL_MACHINE, "SYSTEM\\CURRENTCONTROLSET\\SERVICES\\VXD\\VNETSUP", &key));
}

TEST_F(RegistryServiceTest, ConnectionsAreListedDrivesFirstInUpperCase)
{
    char buffer[1400];
    std::memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), Request(0, 7, buffer)) << "no connection keys";
    EXPECT_EQ('#', buffer[0]);

    Connect("LPT3:", "\\\\ZORSRV1\\LASER");
    Connect("c:", "\\\\ZORSRV1\\APPS");
    HKEY key; /* a connection without a remote path leaves no gap */
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, "NETWORK\\PERSISTENT\\E", &key));
    RegSetValueExA(key, "UserName", 0, REG_SZ, reinterpret_cast<const BYTE *>("X"), 2);
    RegCloseKey(key);
    Connect("f", "\\\\ZORSRV1\\HOME");

    EXPECT_EQ(0u, Request(0, 7, buffer));
    EXPECT_STREQ("C:", buffer);
    EXPECT_STREQ("\\\\ZORSRV1\\APPS", buffer + 9);
    EXPECT_STREQ("F:", buffer + 40);
    EXPECT_STREQ("\\\\ZORSRV1\\HOME", buffer + 49);
    EXPECT_STREQ("LPT3:", buffer + 80);
    EXPECT_STREQ("\\\\ZORSRV1\\LASER", buffer + 89);
    EXPECT_EQ('#', buffer[120]) << "no count and no end marker";
    EXPECT_EQ('#', buffer[3]) << "the bytes after a drive's terminator are left alone";
}

TEST_F(RegistryServiceTest, AConnectionIsSetAndDeletedByItsLocalName)
{
    Connect("LPT1:", "\\\\ZORSRV1\\LASER", "ALICE");
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_CURRENT_USER, "NETWORK\\PERSISTENT\\LPT1", &key));
    char data[64];
    DWORD size = sizeof(data);
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "ProviderName", nullptr, nullptr, reinterpret_cast<BYTE *>(data), &size));
    EXPECT_STREQ("Microsoft Network", data);
    EXPECT_EQ(18u, size);
    size = sizeof(data);
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "UserName", nullptr, nullptr, reinterpret_cast<BYTE *>(data), &size));
    EXPECT_STREQ("ALICE", data);
    RegCloseKey(key);

    Connect("LPT1", "\\\\ZORSRV2\\LASER", "BOB"); /* the same connection */
    char buffer[1400];
    EXPECT_EQ(0u, Request(0, 7, buffer));
    EXPECT_STREQ("\\\\ZORSRV2\\LASER", buffer + 9);

    Connect("X:Y:", "\\\\ZORSRV1\\TWO"); /* cut at the last colon: X:Y */
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_CURRENT_USER, "NETWORK\\PERSISTENT\\X:Y", &key));
    RegCloseKey(key);

    Connect("F:", "\\\\ZORSRV1\\HOME");
    EXPECT_EQ(0u, Request(2, 7, nullptr, "F:"));
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyA(HKEY_CURRENT_USER, "NETWORK\\PERSISTENT\\F", &key));
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_CURRENT_USER, "NETWORK\\PERSISTENT\\LPT1", &key))
        << "only F was deleted";
    RegCloseKey(key);
}

TEST_F(RegistryServiceTest, AnEmptyOrOverlongConnectionNameChangesNothing)
{
    Connect("F:", "\\\\ZORSRV1\\HOME");
    for (const char *name : {"", ":", ":C"})
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), Request(2, 7, nullptr, name)) << name;
    const std::string longName(241, 'N');
    char user[] = "ALICE";
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), Request(1, 7, user, longName.c_str(), "\\\\S\\P"));
    const std::string longest(240, 'N');
    EXPECT_EQ(0u, Request(1, 7, user, longest.c_str(), "\\\\S\\P"));
    EXPECT_EQ(0u, Request(2, 7, nullptr, longest.c_str()));

    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_CURRENT_USER, "NETWORK\\PERSISTENT\\F", &key))
        << "the other connections stay";
    RegCloseKey(key);
}

TEST_F(RegistryServiceTest, ALongRemotePathNeverSpillsOutOfItsEntry)
{
    const std::string thirty = "\\\\S\\" + std::string(26, 'p');
    Connect("D:", thirty.c_str());
    Connect("G:", (thirty + "q").c_str());
    Connect("H:", "\\\\S\\SHORT");
    char buffer[1400];
    std::memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(0u, Request(0, 7, buffer));
    EXPECT_STREQ("D:", buffer);
    EXPECT_EQ(thirty, std::string(buffer + 9));
    EXPECT_STREQ("H:", buffer + 40) << "a path longer than 30 characters is left out, never cut";
    EXPECT_EQ('#', buffer[80]);
}

TEST_F(RegistryServiceTest, OtherOperationsAreBadRequestsAndTouchNothing)
{
    CreateLogonKey();
    for (SHORT op : {3, 255, -1})
        EXPECT_EQ(5u, Request(op, 1, nullptr, "USERNAME", "x")) << op;
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_LOCAL_MACHINE, "NETWORK\\LOGON", &key));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExA(key, "USERNAME", nullptr, nullptr, nullptr, nullptr));
    RegCloseKey(key);
}

TEST(SixteenToThirtyTwo, AResultReachesTheSixteenBitCallerWhole)
{
    /* The benchmark's bare connection, whose targets are built with the same
     * SL_TARGET as the product's, answers 0x12345678: both halves cross. */
    Library bare("BARESL32.DLL");
    ASSERT_TRUE(bare.Loaded());
    const BYTE image[18] = {};
    DWORD result = 0;
    ASSERT_TRUE(CallSixteenBitRoutine("BARESL16.DLL", "NOTHING18", image, sizeof(image), &result));
    EXPECT_EQ(0x12345678u, result);
}

TEST(RegistryServiceModule, ItsBlockIsConnectedByThePlatform)
{
    Library service("QENREGIO.DLL");
    ASSERT_TRUE(service.Loaded());
    auto *block = service.Export<FlatThunkSL32 *>("THK1632_ThunkData32");
    ASSERT_NE(nullptr, block);
    EXPECT_EQ(0, std::memcmp(block->magic, FLAT_THUNK_SL_MAGIC, 4));
    EXPECT_EQ(kRegistryChecksum, block->checksum);
    EXPECT_NE(nullptr, block->data) << "filled by ThunkConnect32 from QENTHUNK's half";
}

TEST(RegistryServiceModule, RefusesToLoadWithoutItsPartner)
{
    Sandbox complete("qenregio-complete");
    complete.Add("QENREGIO.DLL");
    complete.Add("QENTHUNK.DLL");
    EXPECT_TRUE(complete.Loads("QENREGIO.DLL"));

    Sandbox missing("qenregio-no-partner");
    missing.Add("QENREGIO.DLL");
    EXPECT_FALSE(missing.Loads("QENREGIO.DLL"));

    for (const char *variant : {"qenthunk-no-connect16", "qenthunk-bad-checksum", "qenthunk-no-block"}) {
        Sandbox box(std::string("qenregio-") + variant);
        box.Add("QENREGIO.DLL");
        box.Add(std::string("variants/") + variant + "/QENTHUNK.DLL");
        EXPECT_FALSE(box.Loads("QENREGIO.DLL")) << variant;
    }
}

} // namespace
