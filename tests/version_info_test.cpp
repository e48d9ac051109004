/*
 * The version resources of the four DLLs as Explorer's Properties > Version
 * and the setup read them, through VERSION.DLL: the fixed info the setup
 * compares, every string Explorer shows, each file agreeing with the others
 * and with the build's product version; and the install file naming it too.
 */
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "product_version.h"

namespace {

struct ShippedFile {
    const char *name;
    const char *internalName;
};
constexpr ShippedFile kShipped[] = {
    {"ZORNET32.DLL", "ZORNET32"},
    {"ZORN3216.DLL", "ZORN3216"},
    {"QENREGIO.DLL", "QENREGIO"},
    {"ZORSETUP.DLL", "ZORSETUP"},
};

/* The whole version resource of a file; empty when it has none. */
std::vector<BYTE> VersionResource(const char *file)
{
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(file, &handle);
    std::vector<BYTE> data(size);
    if (size == 0 || !GetFileVersionInfoA(file, 0, size, data.data()))
        data.clear();
    return data;
}

/* One string of the US English, code page 1252 table; "(none)" when absent. */
std::string VersionString(std::vector<BYTE> &data, const char *name)
{
    const std::string path = std::string("\\StringFileInfo\\040904E4\\") + name;
    char *text = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data.data(), path.c_str(), reinterpret_cast<void **>(&text), &length) || text == nullptr)
        return "(none)";
    return std::string(text, strnlen(text, length));
}

std::string Dotted(DWORD ms, DWORD ls)
{
    char text[64];
    std::snprintf(text, sizeof(text), "%u.%u.%u.%u", unsigned(HIWORD(ms)), unsigned(LOWORD(ms)), unsigned(HIWORD(ls)), unsigned(LOWORD(ls)));
    return text;
}

constexpr DWORD kBuildVersionMS = MAKELONG(ZOR_VERSION_MINOR, ZOR_VERSION_MAJOR);
constexpr DWORD kBuildVersionLS = MAKELONG(ZOR_VERSION_TWEAK, ZOR_VERSION_PATCH);

TEST(VersionInfo, EachFileCarriesTheProductVersionInFixedInfoAndStrings)
{
    for (const ShippedFile &file : kShipped) {
        SCOPED_TRACE(file.name);
        std::vector<BYTE> data = VersionResource(file.name);
        ASSERT_FALSE(data.empty()) << "no version resource, error " << GetLastError();

        VS_FIXEDFILEINFO *fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void **>(&fixed), &length));
        ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
        EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
        EXPECT_EQ(Dotted(fixed->dwFileVersionMS, fixed->dwFileVersionLS), ZOR_VERSION_TEXT);
        EXPECT_EQ(fixed->dwFileVersionMS, kBuildVersionMS);
        EXPECT_EQ(fixed->dwFileVersionLS, kBuildVersionLS);
        EXPECT_EQ(fixed->dwProductVersionMS, kBuildVersionMS);
        EXPECT_EQ(fixed->dwProductVersionLS, kBuildVersionLS);
        EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u) << "debug, prerelease or another flag set";
        EXPECT_EQ(fixed->dwFileFlagsMask, static_cast<DWORD>(VS_FFI_FILEFLAGSMASK));
        EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
        EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));

        /* The one translation Explorer looks the strings up under. */
        WORD *translation = nullptr;
        ASSERT_TRUE(VerQueryValueA(data.data(), "\\VarFileInfo\\Translation",
                                   reinterpret_cast<void **>(&translation), &length));
        ASSERT_EQ(length, 4u);
        EXPECT_EQ(translation[0], 0x0409);
        EXPECT_EQ(translation[1], 1252);

        /* The text Explorer shows must say what the numbers say. */
        const std::string fixedText = Dotted(fixed->dwFileVersionMS, fixed->dwFileVersionLS);
        EXPECT_EQ(VersionString(data, "FileVersion"), fixedText);
        EXPECT_EQ(VersionString(data, "ProductVersion"),
                  Dotted(fixed->dwProductVersionMS, fixed->dwProductVersionLS));
        EXPECT_EQ(VersionString(data, "CompanyName"), "ZOR Networks");
        EXPECT_EQ(VersionString(data, "ProductName"), "ZOR Networks Client");
        EXPECT_EQ(VersionString(data, "InternalName"), file.internalName);
        EXPECT_EQ(VersionString(data, "OriginalFilename"), file.name);
        const std::string description = VersionString(data, "FileDescription");
        EXPECT_EQ(description.rfind("ZOR Networks Client ", 0), 0u) << description;
        EXPECT_EQ(VersionString(data, "LegalCopyright"), "Copyright (C) " ZOR_RELEASE_YEAR " ZOR Networks");
    }
}

/* The install file an administrator opens names the version it installs:
 * the NT-style setup shows its DriverVer, and its heading says it in words. */
TEST(VersionInfo, TheInstallFileNamesTheSameVersion)
{
    char full[MAX_PATH];
    ASSERT_NE(GetFullPathNameA("ZORNET.INF", sizeof(full), full, nullptr), 0u);
    char driverVer[128] = "";
    GetPrivateProfileStringA("Version", "DriverVer", "", driverVer, sizeof(driverVer), full);
    const std::string text = driverVer;
    const size_t comma = text.find(',');
    ASSERT_NE(comma, std::string::npos) << "DriverVer is \"" << text << "\"";
    EXPECT_EQ(text.substr(comma + 1), ZOR_VERSION_TEXT);
    const std::string date = ZOR_RELEASE_DATE; /* YYYY-MM-DD; DriverVer has MM/DD/YYYY */
    EXPECT_EQ(text.substr(0, comma), date.substr(5, 2) + "/" + date.substr(8, 2) + "/" + date.substr(0, 4));

    FILE *inf = std::fopen("ZORNET.INF", "rb");
    ASSERT_NE(inf, nullptr);
    char heading[256] = "", line[256] = "";
    while (std::fgets(line, sizeof(line), inf) != nullptr && line[0] == ';')
        if (std::string(line).find("Version ") != std::string::npos)
            std::snprintf(heading, sizeof(heading), "%s", line);
    std::fclose(inf);
    EXPECT_NE(std::string(heading).find(std::string("Version ") + ZOR_VERSION_TEXT + ","), std::string::npos)
        << "no \"Version " << ZOR_VERSION_TEXT << ",\" in the INF's heading";
}

} // namespace
