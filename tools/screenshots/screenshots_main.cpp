/*
 * The pictures of "make screenshots": every dialog and message box that an
 * interactive logon or a password change shows a user, brought up on the
 * simulated network and worked by the scripted typist, and the help viewer
 * showing each topic of the dialogs' help.
 *
 * Usage: screenshots.exe FOLDER (a Windows path). The program runs inside
 * Wine's virtual desktop and cannot see the X display itself, so each picture
 * is asked for: it writes FOLDER\NAME.want with the window's place on the
 * desktop ("left top width height") and waits, still drawing its windows,
 * until scripts/screenshots.sh has taken the picture and removed the file.
 * Every picture taken is listed in FOLDER\pictures.txt ("NAME WIDTHxHEIGHT"),
 * and FOLDER\finished.txt says how many things were not as expected.
 */
#include "help_viewer.h"
#include "child_process.h"
#include "inf_install.h"
#include "provider_settings.h"
#include "registry_values.h"
#include "loaded_library.h"
#include "scripted_typist.h"
#include "simnet.h"
#include "zornet32.h"

#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string folder;
std::FILE *manifest = nullptr;
HMODULE provider = nullptr;
int failures = 0;

void Fail(const std::string &what)
{
    std::printf("screenshots: %s\n", what.c_str());
    ++failures;
}

/* Lets the windows of this thread paint, and Wine hand what they painted to
 * the display. Unless everything is dispatched, only painting is: the caret's
 * blink timer then stays queued and cannot hide the caret. */
void KeepDrawing(DWORD milliseconds, bool everything)
{
    const DWORD start = GetTickCount();
    do {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, everything ? QS_ALLINPUT : QS_PAINT);
        MSG message;
        while (PeekMessageA(&message, nullptr, everything ? 0 : WM_PAINT, everything ? 0 : WM_PAINT, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    } while (GetTickCount() - start < milliseconds);
}

bool FileExists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

/* A field that has the focus shows its caret, which blinks: the focus is
 * given to it again, which shows the caret afresh. */
void ShowCaretOfFocus()
{
    HWND focus = GetFocus();
    char className[16] = "";
    GetClassNameA(focus, className, sizeof(className));
    if (lstrcmpiA(className, "Edit") != 0)
        return;
    SetFocus(nullptr);
    SetFocus(focus);
}

/* Asks for a picture of the window, cropped to its frame, and waits until it
 * is taken. */
void Shoot(HWND window, const char *name)
{
    KeepDrawing(700, true);
    ShowCaretOfFocus();
    KeepDrawing(100, false);
    RECT frame;
    GetWindowRect(window, &frame);
    const std::string want = folder + "\\" + name + ".want", draft = want + ".draft";
    std::FILE *request = std::fopen(draft.c_str(), "wb");
    if (request == nullptr) {
        Fail("cannot write " + draft);
        return;
    }
    std::fprintf(request, "%ld %ld %ld %ld\n", frame.left, frame.top, frame.right - frame.left,
                 frame.bottom - frame.top);
    std::fclose(request);
    /* Renamed whole, so the script never reads half a request. */
    MoveFileExA(draft.c_str(), want.c_str(), MOVEFILE_REPLACE_EXISTING);
    const DWORD start = GetTickCount();
    while (FileExists(want)) {
        if (GetTickCount() - start > 60000) {
            DeleteFileA(want.c_str());
            Fail(std::string("nobody took the picture ") + name);
            return;
        }
        KeepDrawing(50, false);
    }
    std::fprintf(manifest, "%s %ldx%ld\n", name, frame.right - frame.left, frame.bottom - frame.top);
    std::fflush(manifest);
    std::printf("screenshots: %s\n", name);
}

void ReportTypist(const std::string &problem)
{
    Fail("typist: " + problem);
}

/* Typist steps. */
using Step = ScriptedTypist::Step;

Step ShootDialog(const char *name, bool (*isKind)(HWND), Step then)
{
    return [=](HWND dialog) {
        if (!isKind(dialog))
            Fail(std::string("expected the dialog of ") + name + ", found \"" + Caption(dialog) + "\"");
        Shoot(dialog, name);
        then(dialog);
    };
}

Step ShootMessage(UINT id, const char *name, int answer = IDOK)
{
    return [=](HWND box) {
        if (!IsMessageBox(box) || MessageText(box) != ProviderString(provider, id))
            Fail(std::string("expected message ") + std::to_string(id) + ", found \"" + MessageLine(box) + "\"");
        Shoot(box, name);
        Press(box, answer);
    };
}

Step LogOn(const char *user, const char *password, const char *domain)
{
    return [=](HWND dialog) {
        TypeLogonFields(dialog, user, password, domain);
        Press(dialog, IDOK);
    };
}

Step Cancel()
{
    return [](HWND window) { Press(window, IDCANCEL); };
}

/* One interactive logon by the router for "alice", worked by the steps. */
void InteractiveLogon(const std::vector<Step> &steps)
{
    auto logon = ProviderEntries(provider).NPLogon;
    char user[256] = "alice", password[256] = "";
    RouterLogonInfo info = {user, password};
    ScriptedTypist typist(ReportTypist);
    for (const Step &step : steps)
        typist.Then(step);
    typist.Run([&] { return logon(nullptr, &info, nullptr, nullptr, 0, FlagsInteractive); });
}

/* One password change by the router (action 3) that the client refuses with status. */
void RefusedPasswordChange(LONG status, UINT id, const char *name)
{
    auto change =
        ProviderEntries(provider).PPChangePassword;
    SimReset();
    SimForce(SimChangePassword, status);
    char user[] = "alice", oldPassword[] = "secret", newPassword[] = "fresh1";
    RouterLogonInfo newLogon = {user, newPassword}, previous = {user, oldPassword};
    ScriptedTypist typist(ReportTypist);
    typist.Then(ShootMessage(id, name));
    typist.Run([&] { return change(&newLogon, &previous, 3); });
}

/* The help behind the dialogs as the platform's viewer shows it: the
 * contents, and the topic of every help id of the dialogs' table, each
 * checked to show its text before it is taken. */
void HelpTopics()
{
    HelpListing listing;
    std::string error;
    if (!ReadHelpListing(kHelpListingName, &listing, &error)) {
        Fail(error);
        return;
    }
    auto shoot = [](UINT command, DWORD id, const HelpListing::Topic *topic, std::string name) {
        std::string seen;
        if (topic == nullptr) {
            Fail("no help topic for " + name);
        } else if (!AskHelpViewer(nullptr, kHelpFileName, command, id)) {
            Fail("the help viewer could not be asked for " + name);
        } else if (!WaitForHelpText(topic->text, 60000, &seen)) {
            Fail(name + ": the help viewer shows \"" + seen.substr(0, 60) + "\"");
        } else {
            /* One size for every topic, room for the contents' first part. */
            HWND viewer = FindHelpWindow();
            SetWindowPos(viewer, HWND_TOP, 40, 30, 520, command == HELP_CONTENTS ? 520 : 160, 0);
            Shoot(viewer, name.c_str());
        }
    };
    shoot(HELP_CONTENTS, 0, listing.ByContext(listing.contents), "help-contents");
    for (DWORD id : DialogHelpIds()) {
        const HelpListing::Topic *topic = listing.ById(id);
        std::string name = "help-" + std::to_string(id);
        if (topic != nullptr)
            for (char ch : topic->context.substr(3))   /* IDH_USER_NAME: -user-name */
                name += ch == '_' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        shoot(HELP_CONTEXT, id, topic, name);
    }
    QuitHelpViewer();
}

int CALLBACK NoteFont(const LOGFONTA *, const TEXTMETRICA *, DWORD, LPARAM found)
{
    *reinterpret_cast<bool *>(found) = true;
    return 0;
}

/* Wine draws the buttons of a title bar with the Marlett font; without it
 * they show plain letters. */
bool MarlettInstalled()
{
    LOGFONTA wanted = {};
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpyA(wanted.lfFaceName, "Marlett");
    bool found = false;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExA(screen, &wanted, NoteFont, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found;
}

} // namespace

int main(int argc, char **argv)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc != 2) {
        std::printf("usage: screenshots.exe FOLDER\n");
        return 2;
    }
    folder = argv[1];
    manifest = std::fopen((folder + "\\pictures.txt").c_str(), "wb");
    if (manifest == nullptr) {
        std::printf("screenshots: cannot write in %s\n", folder.c_str());
        return 2;
    }
    if (!MarlettInstalled())
        Fail("the Marlett font is not installed in this prefix: title-bar buttons show letters");

    provider = LoadLibraryA("ZORNET32.DLL");
    if (provider == nullptr) {
        Fail("ZORNET32.DLL did not load");
    } else {
        SimReset();
        RememberDomain("ZORDOM");
        InteractiveLogon({
            ShootDialog("logon-dialog", IsLogonDialog,
                        [](HWND dialog) {
                            Type(dialog, IDC_PASSWORD, "guess");
                            Press(dialog, IDOK);
                        }),
            ShootMessage(IDS_WRONG_PASSWORD, "message-550-wrong-password"),
            ShootDialog("logon-dialog-after-wrong-password", IsLogonDialog, LogOn("alice", "secret", "")),
            ShootMessage(IDS_NO_DOMAIN, "message-510-no-domain"),
            LogOn("dave", "secret", "zordom"),
            ShootMessage(IDS_USER_NOT_FOUND, "message-540-user-not-found"),
            LogOn("carol", "letmein", "zordom"),
            ShootMessage(IDS_ACCESS_DENIED, "message-560-access-denied"),
            Cancel(),
        });

        SimReset();
        SimForce(SimForceValidateReturn, 1326); /* a refusal the provider has no message of its own for */
        InteractiveLogon({LogOn("alice", "secret", "zordom"),
                          ShootMessage(IDS_NOT_LOGGED_ON, "message-520-not-logged-on"), Cancel()});

        SimReset();
        SimForce(SimForceValidateReturn, 2214);
        InteractiveLogon({LogOn("alice", "secret", "zordom"),
                          ShootMessage(IDS_NO_DOMAIN_SERVER, "message-530-no-domain-server", IDCANCEL), Cancel()});

        SimReset();
        InteractiveLogon({
            LogOn("bob", "oldpass", "zordom"),
            ShootMessage(IDS_PASSWORD_EXPIRED, "message-570-password-expired"),
            ShootDialog("change-password-dialog", IsChangePasswordDialog,
                        [](HWND dialog) {
                            Type(dialog, IDC_NEW_PASSWORD, "newpass1");
                            Type(dialog, IDC_CONFIRM_PASSWORD, "newpass2");
                            Press(dialog, IDOK);
                        }),
            ShootMessage(IDS_PASSWORDS_DIFFER, "message-580-passwords-differ"),
            [](HWND dialog) {
                ClearField(dialog, IDC_CONFIRM_PASSWORD);
                Type(dialog, IDC_CONFIRM_PASSWORD, "newpass1");
                Shoot(dialog, "change-password-dialog-typed");
                Press(dialog, IDOK);
            },
        });

        RefusedPasswordChange(ERROR_BAD_NETPATH, IDS_SERVER_NOT_FOUND, "message-590-server-not-found");
        RefusedPasswordChange(2242, IDS_CHANGE_FAILED, "message-600-change-failed");
        RefusedPasswordChange(2246, IDS_PASSWORD_USED, "message-610-password-used");
        RefusedPasswordChange(2245, IDS_PASSWORD_TOO_SHORT, "message-620-password-too-short");
        SimReset();
        FreeLibrary(provider);
    }

    HelpTopics();

    std::fclose(manifest);
    if (std::FILE *finished = std::fopen((folder + "\\finished.txt").c_str(), "wb")) {
        std::fprintf(finished, "%d\n", failures);
        std::fclose(finished);
    }
    return failures == 0 ? 0 : 1;
}
