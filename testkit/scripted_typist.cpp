#include "scripted_typist.h"

#include "zornet32.h"

#include <cstring>

namespace {

ScriptedTypist *running = nullptr;

struct Found {
    HWND window;
};

BOOL CALLBACK FindActiveDialog(HWND window, LPARAM lParam)
{
    char className[32] = "";
    GetClassNameA(window, className, sizeof(className));
    if (std::strcmp(className, "#32770") == 0 && IsWindowVisible(window) && IsWindowEnabled(window))
        reinterpret_cast<Found *>(lParam)->window = window;
    return TRUE;
}

} // namespace

DWORD ScriptedTypist::Run(const std::function<DWORD()> &call)
{
    ScriptedTypist *outer = running;
    running = this;
    const UINT_PTR timer = SetTimer(nullptr, 0, 40, Tick);
    const DWORD result = call();
    KillTimer(nullptr, timer);
    running = outer;
    if (next_ != steps_.size())
        report_(std::to_string(steps_.size() - next_) + " of " + std::to_string(steps_.size()) +
                " steps found no window");
    return result;
}

void CALLBACK ScriptedTypist::Tick(HWND, UINT, UINT_PTR, DWORD)
{
    if (running != nullptr)
        running->OnTick();
}

void ScriptedTypist::OnTick()
{
    Found found = {nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindActiveDialog, reinterpret_cast<LPARAM>(&found));
    if (found.window == nullptr || found.window == lastWindow_)
        return;
    lastWindow_ = found.window;
    if (next_ < steps_.size()) {
        steps_[next_++](found.window);
        return;
    }
    if (fallback_) {
        fallback_(found.window);
        return;
    }
    report_("unexpected window \"" + Caption(found.window) +
            "\": " + (IsMessageBox(found.window) ? MessageText(found.window) : std::string("dialog")));
    Press(found.window, IDCANCEL);
}

bool IsLogonDialog(HWND window)
{
    return GetDlgItem(window, IDC_USERNAME) != nullptr && GetDlgItem(window, IDC_DOMAIN) != nullptr;
}

bool IsChangePasswordDialog(HWND window)
{
    return GetDlgItem(window, IDC_NEW_PASSWORD) != nullptr && GetDlgItem(window, IDC_CONFIRM_PASSWORD) != nullptr;
}

bool IsMessageBox(HWND window)
{
    return GetDlgItem(window, 0xFFFF) != nullptr && !IsLogonDialog(window) &&
           !IsChangePasswordDialog(window);
}

std::string FieldText(HWND dialog, int control)
{
    char text[1024] = "";
    GetDlgItemTextA(dialog, control, text, sizeof(text));
    return text;
}

std::string Caption(HWND window)
{
    char text[256] = "";
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

std::string MessageText(HWND box)
{
    return FieldText(box, 0xFFFF);
}

std::string MessageLine(HWND box)
{
    std::string text = MessageText(box);
    for (char &c : text)
        if (c == '\n' || c == '\r')
            c = ' ';
    return text;
}

std::string ProviderString(HMODULE provider, UINT id)
{
    char text[1024] = "";
    LoadStringA(provider, id, text, sizeof(text));
    return text;
}

int FocusedControl()
{
    return GetDlgCtrlID(GetFocus());
}

void Type(HWND dialog, int control, const std::string &text)
{
    HWND field = GetDlgItem(dialog, control);
    SetFocus(field);
    for (char c : text)
        SendMessageA(field, WM_CHAR, static_cast<BYTE>(c), 1);
}

void ClearField(HWND dialog, int control)
{
    SetDlgItemTextA(dialog, control, "");
}

void TypeLogonFields(HWND dialog, const std::string &user, const std::string &password, const std::string &domain)
{
    ClearField(dialog, IDC_USERNAME);
    ClearField(dialog, IDC_PASSWORD);
    ClearField(dialog, IDC_DOMAIN);
    Type(dialog, IDC_USERNAME, user);
    Type(dialog, IDC_PASSWORD, password);
    Type(dialog, IDC_DOMAIN, domain);
}

void TypeNewPassword(HWND dialog, const std::string &newPassword)
{
    Type(dialog, IDC_NEW_PASSWORD, newPassword);
    Type(dialog, IDC_CONFIRM_PASSWORD, newPassword);
}

void Press(HWND window, int button)
{
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, button)));
}

void PressKey(HWND, UINT key)
{
    HWND focus = GetFocus();
    PostMessageA(focus, WM_KEYDOWN, key, 1);
    PostMessageA(focus, WM_KEYUP, key, 0xC0000001);
}
