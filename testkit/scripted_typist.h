/*
 * Works the provider's dialogs and message boxes the way a person would, from
 * the dialog's own thread: while a call runs, a timer of this thread looks for
 * the dialog or message box that is up and hands it to the next step of a
 * script. A step reads what the window shows and types into it or presses a
 * button. A window that no step expects goes to the fallback, which by default
 * reports it and cancels it, so a script never leaves a modal loop hanging.
 *
 * The tests, the demo and the router console share it.
 */
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class ScriptedTypist {
public:
    using Step = std::function<void(HWND window)>;
    using Report = std::function<void(const std::string &problem)>;

    explicit ScriptedTypist(Report report) : report_(std::move(report)) {}

    /* Adds a step for the next window that comes up. */
    ScriptedTypist &Then(Step step)
    {
        steps_.push_back(std::move(step));
        return *this;
    }
    /* What to do with every window once the steps have run out. */
    ScriptedTypist &Otherwise(Step step)
    {
        fallback_ = std::move(step);
        return *this;
    }
    /* Runs call while the steps work its windows; reports steps that met no window. */
    DWORD Run(const std::function<DWORD()> &call);

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    void OnTick();

    Report report_;
    std::vector<Step> steps_;
    Step fallback_;
    size_t next_ = 0;
    HWND lastWindow_ = nullptr;
};

/* The window kinds a step can meet. */
bool IsLogonDialog(HWND window);
bool IsChangePasswordDialog(HWND window);
bool IsMessageBox(HWND window);

std::string FieldText(HWND dialog, int control);
std::string Caption(HWND window);
/* The id of the control that has the keyboard focus. */
int FocusedControl();
/* Types text into a field key by key, as WM_CHAR messages. */
void Type(HWND dialog, int control, const std::string &text);
void ClearField(HWND dialog, int control);
/* Replaces the three fields of the logon dialog with what a person types. */
void TypeLogonFields(HWND dialog, const std::string &user, const std::string &password, const std::string &domain);
/* Types the new password into the change-password dialog, twice. */
void TypeNewPassword(HWND dialog, const std::string &newPassword);
/* Presses a button of a dialog or message box (1 OK, 2 Cancel). */
void Press(HWND window, int button);
/* Presses a key in the focused field: VK_RETURN or VK_ESCAPE. */
void PressKey(HWND window, UINT key);
/* The text of a message box; and the same on one line, for a transcript. */
std::string MessageText(HWND box);
std::string MessageLine(HWND box);
/* One of the provider's strings, as its message boxes show it. */
std::string ProviderString(HMODULE provider, UINT id);
