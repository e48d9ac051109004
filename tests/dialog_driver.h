/*
 * Drives the provider's dialogs and message boxes the way a person would,
 * from the dialog's own thread: while a call runs, a timer of this thread looks
 * for the dialog or message box that is up and hands it to the next step of a
 * script. A step checks what the window shows and types into it or presses a
 * button. A window that no step expects is cancelled and reported.
 *
 * Help never reaches the real viewer: HelpRecorder replaces the provider's
 * import of WinHelpA and records what would have reached it.
 */
#pragma once

#include "test_support.h"

#include <functional>
#include <string>
#include <vector>

class DialogDriver {
public:
    using Step = std::function<void(HWND window)>;

    /* Adds a step for the next window that comes up. */
    DialogDriver &Then(Step step)
    {
        steps_.push_back(std::move(step));
        return *this;
    }
    /* Runs call while the steps drive its windows; checks that every step ran. */
    DWORD Run(const std::function<DWORD()> &call);

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    void OnTick();

    std::vector<Step> steps_;
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
/* Presses a button of a dialog or message box (1 OK, 2 Cancel). */
void Press(HWND window, int button);
/* Presses a key in the focused field: VK_RETURN or VK_ESCAPE. */
void PressKey(HWND window, UINT key);
/* The text of a message box. */
std::string MessageText(HWND box);

/* Step makers for the common cases. */
DialogDriver::Step ExpectMessage(const std::string &text, int answer = IDOK);

struct HelpRequest {
    int control; /* the id of the window the help is for, taken when it was asked */
    std::string file;
    UINT command;
    const DWORD *table;
};

class HelpRecorder {
public:
    explicit HelpRecorder(HMODULE provider);
    ~HelpRecorder();
    const std::vector<HelpRequest> &Requests() const;
    /* The topic the recorded table gives a control, 0 when it names none. */
    static DWORD Topic(const DWORD *table, int control);

private:
    void **slot_ = nullptr;
    void *original_ = nullptr;
};

/* The remembered logon domain in the real registry. */
void SetRememberedDomain(const char *domain); /* nullptr deletes the value */
std::string RememberedDomain();               /* "<none>" when the value is missing */
void SetProviderValue(const char *name, DWORD type, const void *data, DWORD size);
void DeleteProviderValue(const char *name);
