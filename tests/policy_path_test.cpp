/*
 * NPGetPolicyPath against the real registry: every row of the policy-update
 * settings, values of other types and other letter case, and the logon
 * server that the client names.
 */
#include "registry_key.h"
#include "test_support.h"

#include <cstring>

namespace {

constexpr char kDefaultPath[] = "\\\\ZORSRV1\\NETLOGON\\CONFIG.POL";
constexpr char kConfiguredPath[] = "\\\\POLSRV\\POLICIES\\ZOR.POL";

/* A value of the policy-update settings; no name: the key alone. */
struct Setting {
    const char *name;
    DWORD type;
    std::string data;
};

Setting Number(const char *name, DWORD number)
{
    return {name, REG_DWORD, std::string(reinterpret_cast<const char *>(&number), sizeof(number))};
}

Setting Text(const char *name, const std::string &text)
{
    return {name, REG_SZ, text + '\0'};
}

class PolicyPathTest : public ProviderTest {
protected:
    void SetUp() override
    {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUpdateKey);
        ProviderTest::SetUp();
    }
    void TearDown() override { RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUpdateKey); }

    /* The settings alone, every other value and the key gone first. */
    void Configure(const std::vector<Setting> &settings)
    {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUpdateKey);
        for (const Setting &s : settings) {
            RegistryKey key;
            ASSERT_EQ(ERROR_SUCCESS, key.Create(HKEY_LOCAL_MACHINE, kUpdateKey));
            const auto *data = reinterpret_cast<const BYTE *>(s.data.data());
            const auto size = static_cast<DWORD>(s.data.size());
            if (s.name != nullptr) {
                ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, s.name, 0, s.type, data, size));
            }
        }
    }

    /* Asks for the path; the buffer starts dirty so that "empty" is seen. */
    DWORD Ask(std::string *path)
    {
        char buffer[512];
        std::strcpy(buffer, "dirty");
        RestartJournal();
        const DWORD status = entries_.NPGetPolicyPath(buffer, nullptr, 0);
        *path = buffer;
        return status;
    }
};

/* Only UpdateMode 1, by its exact name and as a number, supplies a path: the
 * configured one, used whole or not at all, or the default location on the
 * logon server, which only then is asked for. */
TEST_F(PolicyPathTest, EachRowOfTheSettingsGivesItsPath)
{
    const Setting modeOne = Number(kUpdateModeValue, 1), configured = Text(kNetworkPathValue, kConfiguredPath),
                  notDefault = Number(kUseDefaultLocationValue, 0);
    const std::string longest = "\\\\SRV\\" + std::string(249, 'p');
    const struct {
        std::vector<Setting> settings;
        DWORD status;
        std::string path;
        size_t serverAsked;
        const char *why;
    } cases[] = {
        {{}, 50, "", 0, "no key"},
        {{{nullptr, REG_NONE, ""}}, 50, "", 0, "no values"},
        {{configured, notDefault}, 50, "", 0, "no UpdateMode"},
        {{configured, notDefault, Number(kUpdateModeValue, 2)}, 50, "", 0, "UpdateMode 2"},
        {{configured, notDefault, Text(kUpdateModeValue, "1")}, 50, "", 0, "the character 1 is not the byte 1"},
        {{configured, notDefault, {kUpdateModeValue, REG_BINARY, std::string("\1\0", 2)}}, 0, kConfiguredPath, 0,
         "the byte 1; a configured path needs no logon server"},
        {{Number("updatemode", 1)}, 50, "", 0, "UpdateMode in another letter case"},
        {{modeOne, Number("USEDEFAULTNETLOCATION", 0), configured}, 0, kDefaultPath, 1,
         "the switch in another letter case is not seen: the default location"},
        {{modeOne}, 0, kDefaultPath, 1, "the default location"},
        {{modeOne, Number(kUseDefaultLocationValue, 1), configured}, 0, kDefaultPath, 1, "NetworkPath is ignored"},
        {{modeOne, notDefault}, 50, "", 0, "no NetworkPath: no fallback to the default"},
        {{modeOne, notDefault, Text(kNetworkPathValue, longest)}, 0, longest, 0, "the longest path"},
        {{modeOne, notDefault, Text(kNetworkPathValue, longest + "q")}, 50, "", 0, "256 characters: ignored, not cut"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.why);
        Configure(c.settings);
        std::string path;
        EXPECT_EQ(c.status, Ask(&path));
        EXPECT_EQ(c.path, path);
        EXPECT_EQ(c.serverAsked, ClientCalls().size());
    }
}

TEST_F(PolicyPathTest, TheDefaultLocationIsOnTheLogonServer)
{
    Configure({Number(kUpdateModeValue, 1)});
    /* A server name without its two backslashes is no server. */
    const std::pair<const char *, std::string> servers[] = {
        {"\\\\ZORSRV1", kDefaultPath},
        {"ZORSRV1", ""},
        {"\\ZORSRV1", ""},
        {"\\\\SRV-OF-19-CHARS1", "\\\\SRV-OF-19-CHARS1\\NETLOGON\\CONFIG.POL"},
    };
    for (const auto &[server, expected] : servers) {
        SimSetLogonServer(server);
        std::string path;
        EXPECT_EQ(expected.empty() ? 50u : 0u, Ask(&path)) << server;
        EXPECT_EQ(expected, path);
    }
}

TEST_F(PolicyPathTest, NothingIsWrittenPastTheRoutersBuffer)
{
    Configure({Number(kUpdateModeValue, 1)});
    char buffer[16];
    std::memset(buffer, '#', sizeof(buffer));
    DWORD size = 10;
    EXPECT_EQ(static_cast<DWORD>(ERROR_MORE_DATA), entries_.NPGetPolicyPath(buffer, &size, 0));
    EXPECT_EQ(sizeof(kDefaultPath), size);
    EXPECT_EQ('\0', buffer[0]);
    EXPECT_EQ('#', buffer[10]);

    char large[64];
    size = sizeof(large);
    EXPECT_EQ(0u, entries_.NPGetPolicyPath(large, &size, 0));
    EXPECT_STREQ(kDefaultPath, large);
}

} // namespace
