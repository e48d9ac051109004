/*
 * The subcommands that call the provider's router entries.
 */
#include "console.h"

#include "bounded_text.h"
#include "client_session.h"
#include "inf_install.h"
#include "provider_settings.h"
#include "scripted_typist.h"

#include <cstdio>
#include <functional>
#include <iterator>

namespace {

struct NamedIndex {
    DWORD index;
    const char *name;
};

/* The capability indexes the platform names. */
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

/* Loads the provider as the router does and runs body with its entries. */
int WithProvider(const std::function<int(const ProviderEntries &provider)> &body)
{
    ConsoleLibrary provider(kProviderLibrary);
    return provider.Loaded() ? body(ProviderEntries(provider)) : ExitNoLibrary;
}

/* caps and password-status: one index, or every index up to the highest. */
int PrintTable(const Arguments &args, const char *command, decltype(&NPGetCaps) ProviderEntries::*entry,
               const NamedIndex *names, size_t count)
{
    DWORD first = 0, last = kHighestIndex;
    if (!args.positional.empty()) {
        if (!ParseNumber(args.positional[0], &first))
            return UsageError(command, "INDEX must be a number, not \"" + args.positional[0] + "\"");
        last = first;
    }
    return WithProvider([&](const ProviderEntries &provider) {
        for (DWORD index = first; index <= last && index >= first; ++index)
            std::printf("index %2lu  %-17s 0x%08lX\n", index, IndexName(names, count, index), (provider.*entry)(index));
        return ExitSuccess;
    });
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

/* What the console types in place of a person: the logon dialog's fields
 * (when typeLogon), and the new password when the change-password dialog comes. */
struct Typing {
    std::string user, password, domain, newPassword;
    bool typeLogon = false;
};

/* Runs call while the console stands in for the person at its windows: it
 * types each dialog once, cancels a dialog that comes back, and prints and
 * answers every message box with OK. */
DWORD RunTyping(const Typing &typing, const std::function<DWORD()> &call)
{
    bool logonTyped = false, changeTyped = false;
    ScriptedTypist typist([](const std::string &problem) { std::printf("typist: %s\n", problem.c_str()); });
    typist.Otherwise([&](HWND window) {
        if (IsMessageBox(window)) {
            std::printf("message box \"%s\": %s  [OK]\n", Caption(window).c_str(), MessageLine(window).c_str());
            Press(window, IDOK);
        } else if (IsLogonDialog(window) && typing.typeLogon && !logonTyped) {
            logonTyped = true;
            TypeLogonFields(window, typing.user, typing.password, typing.domain);
            std::printf("logon dialog: typed user \"%s\", a password of %u characters, domain \"%s\"  [OK]\n",
                        typing.user.c_str(), static_cast<unsigned>(typing.password.size()), typing.domain.c_str());
            Press(window, IDOK);
        } else if (IsChangePasswordDialog(window) && !typing.newPassword.empty() && !changeTyped) {
            changeTyped = true;
            TypeNewPassword(window, typing.newPassword);
            std::printf("change-password dialog: typed the new password twice  [OK]\n");
            Press(window, IDOK);
        } else {
            std::printf("%s came back with nothing more to type  [Cancel]\n",
                        IsLogonDialog(window) ? "the logon dialog" : "the change-password dialog");
            Press(window, IDCANCEL);
        }
    });
    return typist.Run(call);
}

/* --flags, --type and --new-password; 0 when they are good, otherwise the
 * usage error's status. */
int ParseLogon(const Arguments &args, DWORD *flags, Typing *typing)
{
    if (args.Has("flags") && (!ParseNumber(args.Value("flags"), flags) ||
                              (*flags != FlagsInteractive && *flags != FlagsSilent &&
                               *flags != FlagsInteractiveValidated)))
        return UsageError("logon", "--flags must be 2, 4 or 6");
    typing->newPassword = args.Value("new-password");
    if (args.Has("type")) {
        if (*flags == FlagsSilent)
            return UsageError("logon", "--type is for the logon dialog of --flags 2 or 6");
        if (!SplitTyping(args.Value("type"), &typing->user, &typing->password, &typing->domain))
            return UsageError("logon", "--type must be USER:PASSWORD:DOMAIN");
        typing->typeLogon = true;
    }
    if (*flags != FlagsSilent && !typing->typeLogon && !DisplayAvailable())
        return UsageError("logon", "no display here to show the logon dialog: give --type USER:PASSWORD:DOMAIN");
    return 0;
}

int ApplyInstallFile(DWORD (*apply)(std::string *log))
{
    std::string log;
    const DWORD status = apply(&log);
    std::printf("%s", log.c_str());
    return ReportStatus(status);
}

/* --configure, --default or --off: the machine's policy settings written first. */
LONG WritePolicySettings(const Arguments &args)
{
    if (args.Has("configure"))
        return ConfigurePolicyPath(args.Value("configure"));
    if (args.Has("default"))
        return UseDefaultPolicyPath();
    if (args.Has("off"))
        return TurnPolicyPathOff();
    return ERROR_SUCCESS;
}

int RunCaps(const Arguments &args)
{
    return PrintTable(args, "caps", &ProviderEntries::NPGetCaps, kCapabilityNames, std::size(kCapabilityNames));
}

int RunPasswordStatus(const Arguments &args)
{
    return PrintTable(args, "password-status", &ProviderEntries::PPGetPasswordStatus, nullptr, 0);
}

int RunLogon(const Arguments &args)
{
    DWORD flags = FlagsSilent;
    Typing typing;
    if (const int usage = ParseLogon(args, &flags, &typing))
        return usage;
    if (args.Has("domain")) {
        const LONG status = RememberDomain(args.Value("domain"));
        if (status != ERROR_SUCCESS) {
            std::printf("could not remember the domain (is the provider installed?)\n");
            return ReportStatus(static_cast<DWORD>(status));
        }
    }
    return WithProvider([&](const ProviderEntries &provider) {
        LogonBuffers buffers;
        if (!CopyWhole(buffers.user, args.Value("user").c_str()) ||
            !CopyWhole(buffers.password, args.Value("password").c_str()))
            return UsageError("logon", "--user and --password take at most 255 characters");
        const auto call = [&] { return RouterLogon(provider.NPLogon, &buffers, flags); };
        const bool personTypes = flags != FlagsSilent && !typing.typeLogon;
        const DWORD status = personTypes ? call() : RunTyping(typing, call);
        std::printf("the router's buffers: user \"%s\", a password of %u characters\n", buffers.user,
                    static_cast<unsigned>(LengthOf(buffers.password)));
        return ReportStatus(status);
    });
}

int RunLogoff(const Arguments &args)
{
    DWORD reason = kLogoffReasonLogoff;
    if (args.Has("reason") && !ParseNumber(args.Value("reason"), &reason))
        return UsageError("logoff", "--reason must be a number");
    return WithProvider(
        [&](const ProviderEntries &provider) { return ReportStatus(provider.NPLogoff(nullptr, nullptr, reason)); });
}

int RunChangePassword(const Arguments &args)
{
    DWORD action = ActionChange;
    if (args.Has("action") && (!ParseNumber(args.Value("action"), &action) ||
                               (action != ActionChange && action != ActionChangeQuietly)))
        return UsageError("change-password", "--action must be 3 or 777");
    if (!args.Has("user") || !args.Has("old") || !args.Has("new"))
        return UsageError("change-password", "--user, --old and --new are needed");
    return WithProvider([&](const ProviderEntries &provider) {
        char user[256] = "", oldPassword[256] = "", newPassword[256] = "";
        if (!CopyWhole(user, args.Value("user").c_str()) || !CopyWhole(oldPassword, args.Value("old").c_str()) ||
            !CopyWhole(newPassword, args.Value("new").c_str()))
            return UsageError("change-password", "--user, --old and --new take at most 255 characters");
        RouterLogonInfo changed = {user, newPassword}, previous = {user, oldPassword};
        const auto call = [&] { return provider.PPChangePassword(&changed, &previous, action); };
        return ReportStatus(DisplayAvailable() ? call() : RunTyping(Typing(), call));
    });
}

int RunHome(const Arguments &)
{
    return WithProvider([](const ProviderEntries &provider) {
        char directory[MAX_PATH] = "";
        DWORD size = sizeof(directory);
        const DWORD status = provider.NPGetHomeDirectory(directory, &size);
        if (status == 0)
            std::printf("home directory: %s\n", directory);
        return ReportStatus(status);
    });
}

int RunPolicy(const Arguments &args)
{
    if (args.Has("configure") + args.Has("default") + args.Has("off") > 1)
        return UsageError("policy", "give at most one of --configure, --default and --off");
    if (args.Has("configure") && (args.Value("configure").empty() || args.Value("configure").size() > 255))
        return UsageError("policy", "--configure needs a path of 1 to 255 characters");
    if (const LONG written = WritePolicySettings(args)) {
        std::printf("could not write the policy settings\n");
        return ReportStatus(static_cast<DWORD>(written));
    }
    return WithProvider([](const ProviderEntries &provider) {
        char path[MAX_PATH] = "";
        DWORD size = sizeof(path);
        const DWORD status = provider.NPGetPolicyPath(path, &size, 0);
        std::printf(path[0] != '\0' ? "policy path: %s\n" : "no policy path%s\n", path);
        return ReportStatus(status);
    });
}

} // namespace

const std::vector<Subcommand> kRouterSubcommands = {
    {"install", "install", "put the provider into the registry (the install file, and the router's order)",
     {}, 0, 0, [](const Arguments &) { return ApplyInstallFile(InstallProvider); },
     "Applies the registry entries of ZORNET.INF (from the program's folder) through the setup\n"
     "API, as its DefaultInstall writes them; ZORSETUP.DLL beside it adds ZORNET32 to the\n"
     "NT-style ProviderOrder without dropping the providers already listed. No files are copied.\n"},
    {"uninstall", "uninstall", "take the provider out of the registry again (what install wrote)",
     {}, 0, 0, [](const Arguments &) { return ApplyInstallFile(UninstallProvider); },
     "Applies the registry entries of ZORNET.INF's DefaultUninstall through the setup API:\n"
     "the provider's keys and its place in the router's order go, every other provider's stay.\n"},
    {"caps", "caps [INDEX]", "what NPGetCaps (ordinal 13) answers, for one index or all",
     {}, 0, 1, RunCaps, nullptr},
    {"password-status", "password-status [INDEX]",
     "what PPGetPasswordStatus (ordinal 51) answers, for one index or all", {}, 0, 1, RunPasswordStatus,
     nullptr},
    {"logon", "logon [--flags 2|4|6] [--user NAME] [--password TEXT] [--domain NAME]\n"
              "       [--type USER:PASSWORD:DOMAIN] [--new-password TEXT]",
     "log a user on through NPLogon (ordinal 43)",
     {"flags", "user", "password", "domain", "type", "new-password"}, 0, 0, RunLogon,
     "  --flags 4  silent: validates --user and --password against the remembered domain\n"
     "             (default; --domain first remembers that domain)\n"
     "  --flags 2  interactive: shows the logon dialog; --flags 6 also requires validation\n"
     "  --type U:P:D  fills the logon dialog once and presses OK (a dialog that comes back\n"
     "             is cancelled); without it a person types, which needs a display\n"
     "  --new-password  fills the change-password dialog once when the password has expired\n"
     "Message boxes are printed and answered OK when no person can see them.\n"},
    {"logoff", "logoff [--reason N]", "log the user off through NPLogoff (ordinal 44)", {"reason"}, 0, 0,
     RunLogoff, "  --reason 1  logoff (default): closes an open logon dialog, waits 2 s, logs off\n"},
    {"change-password", "change-password --user NAME --old TEXT --new TEXT [--action 3|777]",
     "change a password through PPChangePassword (ordinal 47)", {"user", "old", "new", "action"}, 0, 0,
     RunChangePassword,
     "  --action 3   with a message box on failure (default); 777 without\n"},
    {"home", "home", "the user's home directory through NPGetHomeDirectory (ordinal 45)", {}, 0, 0,
     RunHome, nullptr},
    {"policy", "policy [--configure PATH | --default | --off]",
     "the policy file's path through NPGetPolicyPath (ordinal 50)", {"configure", "default", "off"}, 0, 0,
     RunPolicy,
     "  --configure PATH  first set the machine's policy settings to that path\n"
     "  --default         first set them to the logon server's NETLOGON share\n"
     "  --off             first turn policy updates off\n"},
};
