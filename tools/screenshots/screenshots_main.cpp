/*
 * The pictures of "make screenshots": every dialog and message box that an
 * interactive logon or a password change shows a user, brought up on the
 * simulated network and worked by the scripted typist, and the help viewer
 * showing each topic of the dialogs' help. What they show is the tests' to
 * check; this program only takes the pictures.
 *
 * Usage: screenshots.exe FOLDER (a Windows path). Inside Wine's virtual
 * desktop the program cannot see the X display, so it asks
 * scripts/screenshots.sh for each picture with FOLDER\NAME.want and waits,
 * still drawing, until the script has taken it and removed the file.
 * FOLDER\finished.txt says at the end how many things went wrong.
 */
#include "client_session.h"
#include "help_viewer.h"
#include "provider_settings.h"
#include "scripted_typist.h"
#include "simnet.h"
#include "zornet32.h"

#include <cctype>
#include <cstdio>

namespace {

std::string folder;
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

/* Asks for a picture of the window, cropped to its frame ("left top width
 * height" on the desktop), and waits until it is taken. */
void Shoot(HWND window, const std::string &name)
{
    KeepDrawing(700, true);
    ShowCaretOfFocus();
    KeepDrawing(100, false);
    RECT frame;
    GetWindowRect(window, &frame);
    const std::string want = folder + "\\" + name + ".want", draft = want + ".draft";
    std::FILE *request = std::fopen(draft.c_str(), "wb");
    if (request == nullptr)
        return Fail("cannot write " + draft);
    std::fprintf(request, "%ld %ld %ld %ld\n", frame.left, frame.top, frame.right - frame.left,
                 frame.bottom - frame.top);
    std::fclose(request);
    /* Renamed whole, so the script never reads half a request. */
    MoveFileExA(draft.c_str(), want.c_str(), MOVEFILE_REPLACE_EXISTING);
    const DWORD start = GetTickCount();
    while (GetFileAttributesA(want.c_str()) != INVALID_FILE_ATTRIBUTES) {
        if (GetTickCount() - start > 60000) {
            DeleteFileA(want.c_str());
            return Fail("nobody took the picture " + name);
        }
        KeepDrawing(50, false);
    }
    std::printf("screenshots: %s\n", name.c_str());
}

/* Typist steps: a picture of the window, then what follows. */
using Step = ScriptedTypist::Step;

Step Answer(int button)
{
    return [=](HWND window) { Press(window, button); };
}

Step ShootThen(const char *name, const Step &then)
{
    return [=](HWND window) {
        Shoot(window, name);
        then(window);
    };
}

Step LogOn(const char *user, const char *password, const char *domain)
{
    return [=](HWND dialog) {
        TypeLogonFields(dialog, user, password, domain);
        Press(dialog, IDOK);
    };
}

/* Runs call while the steps work its windows. */
void Work(const std::function<DWORD()> &call, std::initializer_list<Step> steps)
{
    ScriptedTypist typist([](const std::string &problem) { Fail("typist: " + problem); });
    for (const Step &step : steps)
        typist.Then(step);
    typist.Run(call);
}

/* One interactive logon by the router for "alice", worked by the steps. */
void InteractiveLogon(const ProviderEntries &provider, std::initializer_list<Step> steps)
{
    LogonBuffers buffers = {"alice", ""};
    Work([&] { return RouterLogon(provider.NPLogon, &buffers, FlagsInteractive); }, steps);
}

void LogonPictures(const ProviderEntries &provider)
{
    SimReset();
    RememberDomain("ZORDOM");
    InteractiveLogon(provider, {
        ShootThen("logon-dialog",
                  [](HWND dialog) {
                      Type(dialog, IDC_PASSWORD, "guess");
                      Press(dialog, IDOK);
                  }),
        ShootThen("message-550-wrong-password", Answer(IDOK)),
        ShootThen("logon-dialog-after-wrong-password", LogOn("alice", "secret", "")),
        ShootThen("message-510-no-domain", Answer(IDOK)),
        LogOn("dave", "secret", "zordom"),
        ShootThen("message-540-user-not-found", Answer(IDOK)),
        LogOn("carol", "letmein", "zordom"),
        ShootThen("message-560-access-denied", Answer(IDOK)),
        Answer(IDCANCEL),
    });

    SimReset();
    SimForce(SimForceValidateReturn, 1326); /* a refusal the provider has no message of its own for */
    InteractiveLogon(provider, {LogOn("alice", "secret", "zordom"),
                                ShootThen("message-520-not-logged-on", Answer(IDOK)), Answer(IDCANCEL)});
    SimReset();
    SimForce(SimForceValidateReturn, 2214);
    InteractiveLogon(provider, {LogOn("alice", "secret", "zordom"),
                                ShootThen("message-530-no-domain-server", Answer(IDCANCEL)), Answer(IDCANCEL)});
}

void PasswordChangePictures(const ProviderEntries &provider)
{
    SimReset();
    InteractiveLogon(provider, {
        LogOn("bob", "oldpass", "zordom"),
        ShootThen("message-570-password-expired", Answer(IDOK)),
        ShootThen("change-password-dialog",
                  [](HWND dialog) {
                      Type(dialog, IDC_NEW_PASSWORD, "newpass1");
                      Type(dialog, IDC_CONFIRM_PASSWORD, "newpass2");
                      Press(dialog, IDOK);
                  }),
        ShootThen("message-580-passwords-differ", Answer(IDOK)),
        [](HWND dialog) {
            ClearField(dialog, IDC_CONFIRM_PASSWORD);
            Type(dialog, IDC_CONFIRM_PASSWORD, "newpass1");
            Shoot(dialog, "change-password-dialog-typed");
            Press(dialog, IDOK);
        },
    });

    /* A password change by the router (action 3) that the client refuses. */
    const struct {
        LONG status;
        const char *name;
    } refusals[] = {{ERROR_BAD_NETPATH, "message-590-server-not-found"}, {2242, "message-600-change-failed"},
                    {2246, "message-610-password-used"}, {2245, "message-620-password-too-short"}};
    for (const auto &refusal : refusals) {
        SimReset();
        SimForce(SimChangePassword, refusal.status);
        char user[] = "alice", oldPassword[] = "secret", newPassword[] = "fresh1";
        RouterLogonInfo newLogon = {user, newPassword}, previous = {user, oldPassword};
        Work([&] { return provider.PPChangePassword(&newLogon, &previous, ActionChange); },
             {ShootThen(refusal.name, Answer(IDOK))});
    }
    SimReset();
}

/* The help viewer showing what it was asked for. The picture waits until the
 * viewer's text is no longer what it showed before: which topic that is, the
 * help viewer's tests check. */
void ShootHelp(UINT command, DWORD id, const std::string &name, std::string *shown)
{
    if (!AskHelpViewer(nullptr, kHelpFileName, command, id))
        return Fail("the help viewer could not be asked for " + name);
    const DWORD start = GetTickCount();
    std::string text;
    while ((text = HelpWindowText(FindHelpWindow())).empty() || text == *shown) {
        if (GetTickCount() - start > 60000)
            return Fail("the help viewer shows no new topic for " + name);
        KeepDrawing(50, true);
    }
    *shown = text;
    /* One size for every topic, room for the contents' first part. */
    HWND viewer = FindHelpWindow();
    SetWindowPos(viewer, HWND_TOP, 40, 30, 520, command == HELP_CONTENTS ? 520 : 160, 0);
    Shoot(viewer, name);
}

/* The contents, and the topic of every help id of the dialogs' table, named
 * after the id and the topic: help-3000-user-name for IDH_USER_NAME. */
void HelpPictures()
{
    HelpListing listing;
    std::string error, shown;
    if (!ReadHelpListing(kHelpListingName, &listing, &error))
        return Fail(error);
    ShootHelp(HELP_CONTENTS, 0, "help-contents", &shown);
    for (DWORD id : DialogHelpIds()) {
        const HelpListing::Topic *topic = listing.ById(id);
        std::string name = "help-" + std::to_string(id);
        for (char ch : topic != nullptr ? topic->context.substr(3) : "")
            name += ch == '_' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        ShootHelp(HELP_CONTEXT, id, name, &shown);
    }
    QuitHelpViewer();
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
    if (LoadedLibrary provider("ZORNET32.DLL"); provider.Loaded()) {
        LogonPictures(ProviderEntries(provider));
        PasswordChangePictures(ProviderEntries(provider));
    } else {
        Fail("ZORNET32.DLL did not load");
    }
    HelpPictures();
    if (std::FILE *finished = std::fopen((folder + "\\finished.txt").c_str(), "wb")) {
        std::fprintf(finished, "%d\n", failures);
        std::fclose(finished);
    }
    return failures == 0 ? 0 : 1;
}
