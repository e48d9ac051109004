/*
 * The provider's resources as the platform reads them: the two dialog
 * templates control by control, the message strings, and icon 200.
 */
#include "test_support.h"

#include "zornet32.h"

#include <cstring>
#include <string>

namespace {

struct Item {
    WORD id;
    WORD atom; /* 0x80 button, 0x81 edit, 0x82 static */
    std::string text;
    short x, y, cx, cy;
    DWORD style;
};

struct Dialog {
    DWORD style = 0, exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::string caption, font;
    WORD pointSize = 0;
    std::vector<Item> items;
};

std::string Narrow(const WORD *&p)
{
    std::string text;
    while (*p != 0)
        text += static_cast<char>(*p++);
    ++p;
    return text;
}

/* A name or ordinal field of a template: 0xFFFF and an ordinal, or a string. */
std::string NameOrOrdinal(const WORD *&p, WORD *ordinal)
{
    if (*p == 0xFFFF) {
        *ordinal = p[1];
        p += 2;
        return "";
    }
    *ordinal = 0;
    return Narrow(p);
}

const WORD *AlignToDword(const WORD *p)
{
    return reinterpret_cast<const WORD *>((reinterpret_cast<ULONG_PTR>(p) + 3) & ~ULONG_PTR(3));
}

Dialog ReadTemplate(HMODULE module, const char *name)
{
    Dialog dialog;
    HRSRC resource = FindResourceExA(module, RT_DIALOG, name, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    EXPECT_NE(nullptr, resource) << name << " in language 0x0409";
    if (resource == nullptr)
        return dialog;
    const auto *header = static_cast<const DLGTEMPLATE *>(LockResource(LoadResource(module, resource)));
    dialog.style = header->style;
    dialog.exStyle = header->dwExtendedStyle;
    dialog.x = header->x, dialog.y = header->y, dialog.cx = header->cx, dialog.cy = header->cy;
    const WORD *p = reinterpret_cast<const WORD *>(header + 1);
    WORD ordinal;
    NameOrOrdinal(p, &ordinal); /* menu */
    NameOrOrdinal(p, &ordinal); /* class */
    dialog.caption = Narrow(p);
    dialog.pointSize = *p++;
    dialog.font = Narrow(p);
    for (WORD i = 0; i < header->cdit; ++i) {
        p = AlignToDword(p);
        const auto *item = reinterpret_cast<const DLGITEMTEMPLATE *>(p);
        EXPECT_EQ(0u, item->dwExtendedStyle);
        Item read = {item->id, 0, "", item->x, item->y, item->cx, item->cy, item->style};
        p = reinterpret_cast<const WORD *>(item + 1);
        NameOrOrdinal(p, &read.atom);
        WORD iconOrdinal;
        read.text = NameOrOrdinal(p, &iconOrdinal);
        if (iconOrdinal != 0)
            read.text = "#" + std::to_string(iconOrdinal);
        p = reinterpret_cast<const WORD *>(reinterpret_cast<const BYTE *>(p) + sizeof(WORD) + *p);
        dialog.items.push_back(read);
    }
    return dialog;
}

void ExpectItems(const Dialog &dialog, const std::vector<Item> &expected)
{
    ASSERT_EQ(expected.size(), dialog.items.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const Item &want = expected[i];
        const Item &got = dialog.items[i];
        SCOPED_TRACE(want.id);
        EXPECT_EQ(want.id, got.id) << "tab order";
        EXPECT_EQ(want.atom, got.atom);
        EXPECT_EQ(want.text, got.text);
        EXPECT_EQ(want.x, got.x);
        EXPECT_EQ(want.y, got.y);
        EXPECT_EQ(want.cx, got.cx);
        EXPECT_EQ(want.cy, got.cy);
        EXPECT_EQ(want.style, got.style & want.style) << std::hex << got.style;
        EXPECT_TRUE(got.style & WS_CHILD);
        EXPECT_TRUE(got.style & WS_VISIBLE);
    }
}

constexpr DWORD kLabel = SS_LEFT | WS_GROUP;
constexpr DWORD kField = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kPasswordField = kField | ES_PASSWORD;

TEST(Resources, TheLogonDialogTemplate)
{
    Library provider("ZORNET32.DLL");
    const Dialog dialog = ReadTemplate(provider.Module(), "ZORLOGON");
    EXPECT_EQ(0x90C82842u, dialog.style);
    EXPECT_EQ(0u, dialog.exStyle);
    EXPECT_EQ(6, dialog.x);
    EXPECT_EQ(18, dialog.y);
    EXPECT_EQ(304, dialog.cx);
    EXPECT_EQ(100, dialog.cy);
    EXPECT_EQ("ZOR Networks Client", dialog.caption);
    EXPECT_EQ(8, dialog.pointSize);
    EXPECT_EQ("MS Sans Serif", dialog.font);
    ExpectItems(dialog, {
        {5000, 0x82, "Enter your network password.", 10, 9, 210, 8, kLabel},
        {400, 0x82, "User name:", 45, 25, 60, 8, kLabel},
        {410, 0x82, "Password:", 45, 45, 60, 8, kLabel},
        {420, 0x82, "Domain:", 45, 65, 60, 8, kLabel},
        {210, 0x81, "", 113, 24, 129, 12, kField},
        {220, 0x81, "", 113, 44, 129, 12, kPasswordField},
        {230, 0x81, "", 113, 64, 129, 12, kField},
        {1, 0x80, "&OK", 258, 6, 40, 14, BS_DEFPUSHBUTTON | WS_TABSTOP},
        {2, 0x80, "&Cancel", 258, 23, 40, 14, WS_TABSTOP},
        {240, 0x82, "#200", 10, 30, 16, 16, SS_ICON},
    });
    EXPECT_FALSE(dialog.items[4].style & ES_PASSWORD);
    EXPECT_FALSE(dialog.items[6].style & ES_PASSWORD);
}

TEST(Resources, TheChangePasswordDialogTemplate)
{
    Library provider("ZORNET32.DLL");
    const Dialog dialog = ReadTemplate(provider.Module(), "CHANGEPW");
    EXPECT_EQ(0x90C828C0u, dialog.style);
    EXPECT_EQ(51, dialog.x);
    EXPECT_EQ(16, dialog.y);
    EXPECT_EQ(231, dialog.cx);
    EXPECT_EQ(83, dialog.cy);
    EXPECT_EQ("ZOR Networks Client", dialog.caption);
    EXPECT_EQ(8, dialog.pointSize);
    EXPECT_EQ("MS Sans Serif", dialog.font);
    ExpectItems(dialog, {
        {5100, 0x82, "Change your network password.", 6, 6, 175, 8, kLabel},
        {700, 0x82, "Old password:", 6, 25, 97, 8, kLabel},
        {710, 0x82, "New password:", 6, 45, 97, 8, kLabel},
        {720, 0x82, "Confirm password:", 6, 65, 97, 8, kLabel},
        {300, 0x81, "", 105, 24, 69, 12, kPasswordField},
        {310, 0x81, "", 105, 44, 69, 12, kPasswordField},
        {320, 0x81, "", 105, 64, 69, 12, kPasswordField},
        {1, 0x80, "&OK", 186, 5, 40, 14, BS_DEFPUSHBUTTON | WS_TABSTOP},
        {2, 0x80, "&Cancel", 186, 23, 40, 14, WS_TABSTOP},
    });
}

TEST(Resources, TheMessageStringsAreExactAndThereAreNoOthers)
{
    Library provider("ZORNET32.DLL");
    const std::pair<UINT, const char *> strings[] = {
        {500, "ZOR Networks Client"},
        {510, "You must specify a logon domain."},
        {520, "You are not logged on to the local area network."},
        {530, "No domain server was available to validate your password.\nYou may not be able to access some network resources."},
        {540, "The Username cannot be found."},
        {550, "The domain password you supplied is not correct,\nor your access to the server has been denied."},
        {560, "Your access to the server has been denied.\nAccess is not permitted at this time of day or your account may have expired."},
        {570, "Your domain password has expired.\nYou must specify a new password to logon."},
        {580, "The new password and the confirm password do not match."},
        {590, "The domain server name could not be found."},
        {600, "The domain password could not be changed."},
        {610, "The new domain password was used recently and cannot be used now.\nSpecify a new domain password that you have not used before."},
        {620, "The new domain password is too short.\nSpecify a longer password or see your network administrator for the required length for network passwords."},
    };
    char text[1024];
    for (const auto &s : strings) {
        ASSERT_GT(LoadStringA(provider.Module(), s.first, text, sizeof(text)), 0) << s.first;
        EXPECT_STREQ(s.second, text) << s.first;
    }
    for (UINT id = 480; id <= 640; ++id) {
        if (id % 10 != 0 || id < 500 || id > 620) {
            EXPECT_EQ(0, LoadStringA(provider.Module(), id, text, sizeof(text))) << id;
        }
    }
}

TEST(Resources, IconTwoHundredIsOne32By32SixteenColourImage)
{
    Library provider("ZORNET32.DLL");
    HRSRC group = FindResourceA(provider.Module(), MAKEINTRESOURCEA(IDI_ZORNET), RT_GROUP_ICON);
    ASSERT_NE(nullptr, group);
    const BYTE *directory = static_cast<const BYTE *>(LockResource(LoadResource(provider.Module(), group)));
    WORD count;
    std::memcpy(&count, directory + 4, sizeof(count));
    ASSERT_EQ(1, count);
    const BYTE *entry = directory + 6; /* width, height, colours, reserved, planes, bit count, ... */
    EXPECT_EQ(32, entry[0]);
    EXPECT_EQ(32, entry[1]);
    EXPECT_EQ(16, entry[2]);
    WORD bitCount;
    std::memcpy(&bitCount, entry + 6, sizeof(bitCount));
    EXPECT_EQ(4, bitCount);

    HICON icon = static_cast<HICON>(LoadImageA(provider.Module(), MAKEINTRESOURCEA(IDI_ZORNET), IMAGE_ICON, 32, 32, 0));
    ASSERT_NE(nullptr, icon);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    EXPECT_NE(nullptr, info.hbmMask) << "the icon has a transparency mask";
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    DestroyIcon(icon);
}

} // namespace
