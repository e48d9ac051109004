/*
 * The provider's resources as the platform reads them: the two dialog
 * templates control by control, the message strings, and the icon.
 */
#include "scripted_typist.h"
#include "test_support.h"
#include "zornet32.h"

#include <cstring>
#include <map>
#include <tuple>

namespace {

/* The classes of a template's items, by their atoms. */
constexpr WORD kButton = 0x80, kEdit = 0x81, kStatic = 0x82;

struct Item {
    WORD id;
    WORD atom;
    std::string text;
    short x, y, cx, cy;
    DWORD style;
};

struct Dialog {
    DWORD style, exStyle;
    short x, y, cx, cy;
    std::string caption, font;
    WORD pointSize;
    std::vector<Item> items;
};

/* What a template and an item lay out, in one value that prints itself. */
auto Layout(const Dialog &d)
{
    return std::make_tuple(d.style, d.exStyle, d.x, d.y, d.cx, d.cy, d.caption, d.font, d.pointSize);
}
auto Layout(const Item &i)
{
    return std::make_tuple(i.id, i.atom, i.text, i.x, i.y, i.cx, i.cy);
}

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
    Dialog dialog = {};
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
        Item read = {static_cast<WORD>(item->id), 0, "", item->x, item->y, item->cx, item->cy, item->style};
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

/* The template as the platform reads it, with exactly the items expected, in
 * their tab order; an item's style holds at least the expected bits, and an
 * edit field is a password field exactly where one is expected. */
void ExpectTemplate(const char *name, const Dialog &expected)
{
    LoadedLibrary provider("ZORNET32.DLL");
    const Dialog dialog = ReadTemplate(provider.Module(), name);
    EXPECT_EQ(Layout(expected), Layout(dialog)) << "style " << std::hex << dialog.style;
    ASSERT_EQ(expected.items.size(), dialog.items.size());
    for (size_t i = 0; i < expected.items.size(); ++i) {
        const Item &want = expected.items[i];
        const Item &got = dialog.items[i];
        SCOPED_TRACE(want.id);
        EXPECT_EQ(Layout(want), Layout(got)) << "in tab order";
        EXPECT_EQ(want.style, got.style & want.style) << std::hex << got.style;
        EXPECT_TRUE(got.style & WS_CHILD);
        EXPECT_TRUE(got.style & WS_VISIBLE);
        if (want.atom == kEdit) {
            EXPECT_EQ(want.style & ES_PASSWORD, got.style & ES_PASSWORD) << "a password field or not";
        }
    }
}

constexpr DWORD kLabel = SS_LEFT | WS_GROUP;
constexpr DWORD kField = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kPasswordField = kField | ES_PASSWORD;
const std::string kIcon = "#" + std::to_string(IDI_ZORNET);

TEST(Resources, TheLogonDialogTemplate)
{
    ExpectTemplate("ZORLOGON", {0x90C82842u, 0, 6, 18, 304, 100, "ZOR Networks Client", "MS Sans Serif", 8, {
        {IDC_LOGON_PROMPT, kStatic, "Enter your network password.", 10, 9, 210, 8, kLabel},
        {IDC_USERNAME_LABEL, kStatic, "User name:", 45, 25, 60, 8, kLabel},
        {IDC_PASSWORD_LABEL, kStatic, "Password:", 45, 45, 60, 8, kLabel},
        {IDC_DOMAIN_LABEL, kStatic, "Domain:", 45, 65, 60, 8, kLabel},
        {IDC_USERNAME, kEdit, "", 113, 24, 129, 12, kField},
        {IDC_PASSWORD, kEdit, "", 113, 44, 129, 12, kPasswordField},
        {IDC_DOMAIN, kEdit, "", 113, 64, 129, 12, kField},
        {IDOK, kButton, "&OK", 258, 6, 40, 14, BS_DEFPUSHBUTTON | WS_TABSTOP},
        {IDCANCEL, kButton, "&Cancel", 258, 23, 40, 14, WS_TABSTOP},
        {IDC_LOGON_ICON, kStatic, kIcon, 10, 30, 16, 16, SS_ICON},
    }});
}

TEST(Resources, TheChangePasswordDialogTemplate)
{
    ExpectTemplate("CHANGEPW", {0x90C828C0u, 0, 51, 16, 231, 83, "ZOR Networks Client", "MS Sans Serif", 8, {
        {IDC_CHANGE_PROMPT, kStatic, "Change your network password.", 6, 6, 175, 8, kLabel},
        {IDC_OLD_LABEL, kStatic, "Old password:", 6, 25, 97, 8, kLabel},
        {IDC_NEW_LABEL, kStatic, "New password:", 6, 45, 97, 8, kLabel},
        {IDC_CONFIRM_LABEL, kStatic, "Confirm password:", 6, 65, 97, 8, kLabel},
        {IDC_OLD_PASSWORD, kEdit, "", 105, 24, 69, 12, kPasswordField},
        {IDC_NEW_PASSWORD, kEdit, "", 105, 44, 69, 12, kPasswordField},
        {IDC_CONFIRM_PASSWORD, kEdit, "", 105, 64, 69, 12, kPasswordField},
        {IDOK, kButton, "&OK", 186, 5, 40, 14, BS_DEFPUSHBUTTON | WS_TABSTOP},
        {IDCANCEL, kButton, "&Cancel", 186, 23, 40, 14, WS_TABSTOP},
    }});
}

TEST(Resources, TheMessageStringsAreExactAndThereAreNoOthers)
{
    LoadedLibrary provider("ZORNET32.DLL");
    const std::map<UINT, std::string> strings = {
        {IDS_CAPTION, "ZOR Networks Client"},
        {IDS_NO_DOMAIN, "You must specify a logon domain."},
        {IDS_NOT_LOGGED_ON, "You are not logged on to the local area network."},
        {IDS_NO_DOMAIN_SERVER, "No domain server was available to validate your password.\n"
                               "You may not be able to access some network resources."},
        {IDS_USER_NOT_FOUND, "The Username cannot be found."},
        {IDS_WRONG_PASSWORD, "The domain password you supplied is not correct,\n"
                             "or your access to the server has been denied."},
        {IDS_ACCESS_DENIED, "Your access to the server has been denied.\n"
                            "Access is not permitted at this time of day or your account may have expired."},
        {IDS_PASSWORD_EXPIRED, "Your domain password has expired.\nYou must specify a new password to logon."},
        {IDS_PASSWORDS_DIFFER, "The new password and the confirm password do not match."},
        {IDS_SERVER_NOT_FOUND, "The domain server name could not be found."},
        {IDS_CHANGE_FAILED, "The domain password could not be changed."},
        {IDS_PASSWORD_USED, "The new domain password was used recently and cannot be used now.\n"
                            "Specify a new domain password that you have not used before."},
        {IDS_PASSWORD_TOO_SHORT, "The new domain password is too short.\nSpecify a longer password or see your "
                                 "network administrator for the required length for network passwords."},
    };
    for (UINT id = IDS_CAPTION - 20; id <= IDS_PASSWORD_TOO_SHORT + 20; ++id) {
        const auto expected = strings.find(id);
        EXPECT_EQ(expected != strings.end() ? expected->second : "", ProviderString(provider.Module(), id)) << id;
    }
}

TEST(Resources, IconTwoHundredIsOne32By32SixteenColourImage)
{
    LoadedLibrary provider("ZORNET32.DLL");
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

    HICON icon =
        static_cast<HICON>(LoadImageA(provider.Module(), MAKEINTRESOURCEA(IDI_ZORNET), IMAGE_ICON, 32, 32, 0));
    ASSERT_NE(nullptr, icon);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    EXPECT_NE(nullptr, info.hbmMask) << "the icon has a transparency mask";
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    DestroyIcon(icon);
}

} // namespace
