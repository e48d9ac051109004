/*
 * The subcommands that call the provider's router entries.
 */
#include "console.h"

#include "bounded_text.h"
#include "child_process.h"
#include "inf_install.h"
#include "provider_settings.h"
#include "registry_values.h"
#include "loaded_library.h"
#include "scripted_typist.h"
#include "zornet32.h"

#include <cstdio>
#include <iterator>

namespace {

constexpr char kProvider[] = "ZORNET32.DLL";

struct NamedIndex {
    DWORD index;
    const char *name;
};

constexpr NamedIndex kCapabilityNames[] = {
    {1, "spec version"}, {2, "network type"}, {3, "driver version"}, {4, "user"},
    {6, "connection"},   {8, "dialog"},       {9, "admin"},          {11, "enumeration"},
    {12, "start"},       {13, "connection flags"},
};
constexpr DWORD kHighestIndex = 15;

const char *IndexName(const NamedIndex *names, size_t count, DWORD index)
{
    for (size_t i = 0; i < count; ++i)
        if (names[i].index == index)
            return names[i].name;
    return "";
}

/* caps and password-status: one index, or every index up to the highest;
 * the indexes the platform names are shown with their names. */
int PrintTable(const Arguments &args, const char *command, const char *entry, const NamedIndex *names, size_t count)
{
    DWORD first = 0, last = kHighestIndex;
    if (!args.Positional().empty()) {
        if (!ParseNumber(args.Positional()[0], &first))
            return UsageError(command, "INDEX must be a number, not \"" + args.Positional()[0] + "\"");
        last = first;
    }
    ConsoleLibrary provider(kProvider);
    if (!provider.Loaded())
        return ExitNoLibrary;
    auto query = provider.Export<decltype(&NPGetCaps)>(entry);
    for (DWORD index = first; index <= last && index >= first; ++index)
        std::printf("index %2lu  %-17s 0x%08lX\n", index, IndexName(names, count, index), query(index));
    return ExitSuccess;
}

/* Splits USER:PASSWORD:DOMAIN; the password may not hold a colon, the domain may. */
bool SplitTyping(const std::string &text, std::string *user, std::string *password, std::string *domain)
{
    const size_t first = text.find(':');
    const size_t second = first == std::string::npos ? std::string::npos : text.find(':', first + 1);
    if (second == std::string::npos)
        return false;
    *user = text.substr(0, first);
    *password = text.substr(first + 1, second - first - 1);
    *domain = text.substr(second + 1);
    return true;
}

/*
 * Stands in for the person in front of the dialogs: types what the command
 * line gave once, cancels a dialog that comes back, and prints and answers
 * every message box with OK.
 */
class ConsoleTypist {
public:
    std::string user, password, domain, newPassword;
    bool typeLogon = false;

    void OnWindow(HWND window)
    {
        if (IsMessageBox(window)) {
            std::printf("message box \"%s\": %s  [OK]\n", Caption(window).c_str(),
                        MessageLine(window).c_str());
            Press(window, IDOK);
        } else if (IsLogonDialog(window) && typeLogon && !logonTyped_) {
            logonTyped_ = true;
            TypeLogonFields(window, user, password, domain);
            std::printf("logon dialog: typed user \"%s\", a password of %u characters, domain \"%s\"  [OK]\n",
                        user.c_str(), static_cast<unsigned>(password.size()), domain.c_str());
            Press(window, IDOK);
        } else if (IsChangePasswordDialog(window) && !newPassword.empty() && !changeTyped_) {
            changeTyped_ = true;
            TypeNewPassword(window, newPassword);
            std::printf("change-password dialog: typed the new password twice  [OK]\n");
            Press(window, IDOK);
        } else {
            std::printf("%s came back with nothing more to type  [Cancel]\n",
                        IsLogonDialog(window) ? "the logon dialog" : "the change-password dialog");
            Press(window, IDCANCEL);
        }
    }

private:
    bool logonTyped_ = false;
    bool changeTyped_ = false;
};

/* Runs a call that may bring up windows: typed by the console, or by a person who can see them. */
DWORD RunWithWindows(ConsoleTypist &typist, bool personTypes, const std::function<DWORD()> &call)
{
    if (personTypes)
        return call();
    ScriptedTypist driver([](const std::string &problem) { std::printf("typist: %s\n", problem.c_str()); });
    driver.Otherwise([&typist](HWND window) { typist.OnWindow(window); });
    return driver.Run(call);
}

} // namespace

int RunInstall(const Arguments &)
{
    std::string log;
    const DWORD status = InstallProvider(&log);
    std::printf("%s", log.c_str());
    return ReportStatus(status);
}

int RunUninstall(const Arguments &)
{
    std::string log;
    const DWORD status = UninstallProvider(&log);
    std::printf("%s", log.c_str());
    return ReportStatus(status);
}

int RunCaps(const Arguments &args)
{
    return PrintTable(args, "caps", "NPGetCaps", kCapabilityNames, std::size(kCapabilityNames));
}

int RunPasswordStatus(const Arguments &args)
{
    return PrintTable(args, "password-status", "PPGetPasswordStatus", nullptr, 0);
}

int RunLogon(const Arguments &args)
{
    DWORD flags = FlagsSilent;
    if (args.Has("flags") && (!ParseNumber(args.Value("flags"), &flags) ||
                              (flags != FlagsInteractive && flags != FlagsSilent &&
                               flags != FlagsInteractiveValidated)))
        return UsageError("logon", "--flags must be 2, 4 or 6");
    ConsoleTypist typist;
    typist.newPassword = args.Value("new-password");
    if (args.Has("type")) {
        if (flags == FlagsSilent)
            return UsageError("logon", "--type is for the logon dialog of --flags 2 or 6");
        if (!SplitTyping(args.Value("type"), &typist.user, &typist.password, &typist.domain))
            return UsageError("logon", "--type must be USER:PASSWORD:DOMAIN");
        typist.typeLogon = true;
    }
    const bool personTypes = flags != FlagsSilent && !typist.typeLogon && DisplayAvailable();
    if (flags != FlagsSilent && !typist.typeLogon && !personTypes)
        return UsageError("logon", "no display here to show the logon dialog: give --type USER:PASSWORD:DOMAIN");

    if (args.Has("domain")) {
        const LONG status = RememberDomain(args.Value("domain"));
        if (status != ERROR_SUCCESS) {
            std::printf("could not remember the domain (is the provider installed?)\n");
            return ReportStatus(static_cast<DWORD>(status));
        }
    }

    ConsoleLibrary provider(kProvider);
    if (!provider.Loaded())
        return ExitNoLibrary;
    /* The router's buffers, larger than anything the provider writes back. */
    char user[256] = "", password[256] = "";
    if (!CopyWhole(user, args.Value("user").c_str()) || !CopyWhole(password, args.Value("password").c_str()))
        return UsageError("logon", "--user and --password take at most 255 characters");
    RouterLogonInfo logon = {user, password};
    auto entry = ProviderEntries(provider).NPLogon;
    const DWORD status = RunWithWindows(typist, personTypes, [&] {
        return entry(nullptr, &logon, nullptr, nullptr, 0, flags);
    });
    std::printf("the router's buffers: user \"%s\", a password of %u characters\n", user,
                static_cast<unsigned>(LengthOf(password)));
    return ReportStatus(status);
}

int RunLogoff(const Arguments &args)
{
    DWORD reason = kLogoffReasonLogoff;
    if (args.Has("reason") && !ParseNumber(args.Value("reason"), &reason))
        return UsageError("logoff", "--reason must be a number");
    ConsoleLibrary provider(kProvider);
    if (!provider.Loaded())
        return ExitNoLibrary;
    return ReportStatus(ProviderEntries(provider).NPLogoff(nullptr, nullptr, reason));
}

int RunChangePassword(const Arguments &args)
{
    DWORD action = ActionChange;
    if (args.Has("action") && (!ParseNumber(args.Value("action"), &action) ||
                               (action != ActionChange && action != ActionChangeQuietly)))
        return UsageError("change-password", "--action must be 3 or 777");
    if (!args.Has("user") || !args.Has("old") || !args.Has("new"))
        return UsageError("change-password", "--user, --old and --new are needed");

    ConsoleLibrary provider(kProvider);
    if (!provider.Loaded())
        return ExitNoLibrary;
    char user[256] = "", oldPassword[256] = "", newPassword[256] = "";
    if (!CopyWhole(user, args.Value("user").c_str()) || !CopyWhole(oldPassword, args.Value("old").c_str()) ||
        !CopyWhole(newPassword, args.Value("new").c_str()))
        return UsageError("change-password", "--user, --old and --new take at most 255 characters");
    RouterLogonInfo changed = {user, newPassword};
    RouterLogonInfo previous = {user, oldPassword};
    auto entry = ProviderEntries(provider).PPChangePassword;
    ConsoleTypist typist;
    const DWORD status = RunWithWindows(typist, DisplayAvailable(), [&] {
        return entry(&changed, &previous, action);
    });
    return ReportStatus(status);
}

int RunHome(const Arguments &)
{
    ConsoleLibrary provider(kProvider);
    if (!provider.Loaded())
        return ExitNoLibrary;
    char directory[MAX_PATH] = "";
    DWORD size = sizeof(directory);
    const DWORD status = ProviderEntries(provider).NPGetHomeDirectory(directory, &size);
    if (status == 0)
        std::printf("home directory: %s\n", directory);
    return ReportStatus(status);
}

int RunPolicy(const Arguments &args)
{
    const int settings = args.Has("configure") + args.Has("default") + args.Has("off");
    if (settings > 1)
        return UsageError("policy", "give at most one of --configure, --default and --off");
    LONG written = ERROR_SUCCESS;
    if (args.Has("configure")) {
        if (args.Value("configure").empty() || args.Value("configure").size() > 255)
            return UsageError("policy", "--configure needs a path of 1 to 255 characters");
        written = ConfigurePolicyPath(args.Value("configure"));
    } else if (args.Has("default")) {
        written = UseDefaultPolicyPath();
    } else if (args.Has("off")) {
        written = TurnPolicyPathOff();
    }
    if (written != ERROR_SUCCESS) {
        std::printf("could not write the policy settings\n");
        return ReportStatus(static_cast<DWORD>(written));
    }

    ConsoleLibrary provider(kProvider);
    if (!provider.Loaded())
        return ExitNoLibrary;
    char path[MAX_PATH] = "";
    DWORD size = sizeof(path);
    const DWORD status = ProviderEntries(provider).NPGetPolicyPath(path, &size, 0);
    if (path[0] != '\0')
        std::printf("policy path: %s\n", path);
    else
        std::printf("no policy path\n");
    return ReportStatus(status);
}
