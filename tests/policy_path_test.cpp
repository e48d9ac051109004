/*
 * NPGetPolicyPath (ordinal 50) against the real registry: every row of the
 * policy-update settings, values of other types and other letter case, and
 * the logon server that the client names.
 */
#include "test_support.h"

#include <cstring>
#include <string>

namespace {


constexpr char kDefaultPath[] = "\\\\ZORSRV1\\NETLOGON\\CONFIG.POL";
constexpr char kConfiguredPath[] = "\\\\POLSRV\\POLICIES\\ZOR.POL";

class PolicyPathTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SimReset();
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUpdateKey);
        ASSERT_TRUE(provider_.Loaded());
        policyPath_ = ProviderEntries(provider_).NPGetPolicyPath;
        ASSERT_NE(nullptr, policyPath_);
    }
    void TearDown() override { RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUpdateKey); }

    void CreateKey()
    {
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kUpdateKey, 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, &key, nullptr));
        RegCloseKey(key);
    }
    void Set(const char *name, DWORD type, const void *data, DWORD size)
    {
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kUpdateKey, 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, &key, nullptr));
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name, 0, type, static_cast<const BYTE *>(data), size));
        RegCloseKey(key);
    }
    void SetNumber(const char *name, DWORD value) { Set(name, REG_DWORD, &value, sizeof(value)); }
    void SetText(const char *name, const std::string &text)
    {
        Set(name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
    }

    /* Asks for the path; the buffer starts dirty so that "empty" is seen. */
    DWORD Ask(std::string *path)
    {
        char buffer[512];
        std::strcpy(buffer, "dirty");
        from_ = SimJournalCount();
        const DWORD status = policyPath_(buffer, nullptr, 0);
        *path = buffer;
        return status;
    }
    size_t ClientAsked() const { return JournalSince(from_, SimTorvek).size(); }

    Library provider_{"ZORNET32.DLL"};
    decltype(&NPGetPolicyPath) policyPath_ = nullptr;
    DWORD from_ = 0;
};

TEST_F(PolicyPathTest, NoKeyOrNoValuesMeansNoPath)
{
    std::string path;
    EXPECT_EQ(50u, Ask(&path));
    EXPECT_EQ("", path);
    CreateKey();
    EXPECT_EQ(50u, Ask(&path));
    EXPECT_EQ("", path);
}

TEST_F(PolicyPathTest, OnlyUpdateModeOneSuppliesAPath)
{
    std::string path;
    SetText("NetworkPath", kConfiguredPath);
    SetNumber("UseDefaultNetLocation", 0);
    EXPECT_EQ(50u, Ask(&path)) << "no UpdateMode";
    SetNumber("UpdateMode", 2);
    EXPECT_EQ(50u, Ask(&path));
    SetText("UpdateMode", "1");
    EXPECT_EQ(50u, Ask(&path)) << "the character 1 is not the byte 1";
    EXPECT_EQ("", path);
    const BYTE binaryOne[] = {1, 0};
    Set("UpdateMode", REG_BINARY, binaryOne, sizeof(binaryOne));
    EXPECT_EQ(0u, Ask(&path));
    EXPECT_EQ(kConfiguredPath, path);
    EXPECT_EQ(0u, ClientAsked()) << "a configured path needs no logon server";
}

TEST_F(PolicyPathTest, NamesInAnotherLetterCaseAreIgnored)
{
    std::string path;
    SetNumber("updatemode", 1);
    EXPECT_EQ(50u, Ask(&path));
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUpdateKey);
    SetNumber("UpdateMode", 1);
    SetNumber("USEDEFAULTNETLOCATION", 0);
    SetText("NetworkPath", kConfiguredPath);
    EXPECT_EQ(0u, Ask(&path));
    EXPECT_EQ(kDefaultPath, path) << "the switch was not seen: the default location";
}

TEST_F(PolicyPathTest, TheDefaultLocationIsOnTheLogonServer)
{
    std::string path;
    SetNumber("UpdateMode", 1);
    EXPECT_EQ(0u, Ask(&path));
    EXPECT_EQ(kDefaultPath, path);
    EXPECT_EQ(1u, ClientAsked());

    SetNumber("UseDefaultNetLocation", 1);
    SetText("NetworkPath", kConfiguredPath);
    EXPECT_EQ(0u, Ask(&path));
    EXPECT_EQ(kDefaultPath, path) << "NetworkPath is ignored";

    /* A server name without its two backslashes is no server. */
    SimSetLogonServer("ZORSRV1");
    EXPECT_EQ(50u, Ask(&path));
    EXPECT_EQ("", path);
    SimSetLogonServer("\\ZORSRV1");
    EXPECT_EQ(50u, Ask(&path));
    SimSetLogonServer("\\\\SRV-OF-19-CHARS1");
    EXPECT_EQ(0u, Ask(&path));
    EXPECT_EQ("\\\\SRV-OF-19-CHARS1\\NETLOGON\\CONFIG.POL", path);
}

TEST_F(PolicyPathTest, AConfiguredPathIsUsedExactlyOrNotAtAll)
{
    std::string path;
    SetNumber("UpdateMode", 1);
    SetNumber("UseDefaultNetLocation", 0);
    EXPECT_EQ(50u, Ask(&path)) << "no NetworkPath: no fallback to the default";
    EXPECT_EQ(0u, ClientAsked());

    const std::string longest = "\\\\SRV\\" + std::string(249, 'p');
    SetText("NetworkPath", longest);
    EXPECT_EQ(0u, Ask(&path));
    EXPECT_EQ(longest, path);

    SetText("NetworkPath", longest + "q");
    EXPECT_EQ(50u, Ask(&path)) << "256 characters do not fit: ignored, not cut";
    EXPECT_EQ("", path);
}

TEST_F(PolicyPathTest, NothingIsWrittenPastTheRoutersBuffer)
{
    SetNumber("UpdateMode", 1);
    char buffer[16];
    std::memset(buffer, '#', sizeof(buffer));
    DWORD size = 10;
    EXPECT_EQ(static_cast<DWORD>(ERROR_MORE_DATA), policyPath_(buffer, &size, 0));
    EXPECT_EQ(sizeof(kDefaultPath), size);
    EXPECT_EQ('\0', buffer[0]);
    EXPECT_EQ('#', buffer[10]);

    char large[64];
    size = sizeof(large);
    EXPECT_EQ(0u, policyPath_(large, &size, 0));
    EXPECT_STREQ(kDefaultPath, large);
}

} // namespace
