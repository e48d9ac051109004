/*
 * The router console's command line: one subcommand per router entry and per
 * service of the 16-bit side, each with its own --help.
 */
#include "console.h"

#include "child_process.h"
#include "inf_install.h"
#include "provider_settings.h"
#include "registry_values.h"
#include "status_text.h"

#include <cstdio>
#include <cstdlib>

namespace {

struct Subcommand {
    const char *name;
    const char *usage;
    const char *summary;
    std::vector<std::string> options;
    size_t minPositional;
    size_t maxPositional;
    int (*run)(const Arguments &args);
    const char *details;
};

const std::vector<Subcommand> &Subcommands()
{
    static const std::vector<Subcommand> table = {
        {"install", "install", "put the provider into the registry (the install file, and the router's order)",
         {}, 0, 0, RunInstall,
         "Applies the registry entries of ZORNET.INF (from the program's folder) through the setup\n"
         "API, as its DefaultInstall writes them; ZORSETUP.DLL beside it adds ZORNET32 to the\n"
         "NT-style ProviderOrder without dropping the providers already listed. No files are copied.\n"},
        {"uninstall", "uninstall", "take the provider out of the registry again (what install wrote)",
         {}, 0, 0, RunUninstall,
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
        {"listen", "listen [--count N] [--seconds N]",
         "be the 16-bit side: register a window and print each message 3000", {"count", "seconds"}, 0, 0,
         RunListen,
         "Runs until N messages arrived or N seconds passed (default: until ended with Ctrl+C).\n"
         "While it runs, other console commands share its logon block and simulated network.\n"},
        {"agent", "agent [--count N] [--seconds N] [--order 16|32]",
         "run the network client's 16-bit program (ZORAGENT.EXE) in its own process and show its journal",
         {"count", "seconds", "order"}, 0, 0, RunAgent,
         "The Win16 program registers its window through ZORN1632's thunk; each message 3000\n"
         "it hears, it fetches the credentials and reads items 7 and 2 through QENTHUNK.\n"
         "Runs until N notices came or N seconds passed (default: until ended with Ctrl+C);\n"
         "--order 32 has it load ZORNET32.DLL and QENREGIO.DLL before their 16-bit partners,\n"
         "so that the 32-bit halves of the thunks connect first (default 16: the 16-bit ones).\n"},
        {"credentials", "credentials", "fetch the credentials of the last logon, as the 16-bit side does", {}, 0, 0,
         RunCredentials, nullptr},
        {"registry", "registry read ITEM\n"
                     "       registry set ITEM NAME VALUE [--user NAME]\n"
                     "       registry delete ITEM NAME",
         "the 16-bit side's registry service (QENREGIO through QENTHUNK)", {"user"}, 2, 4, RunRegistry,
         "ITEM is a number or a name: username 1, agent 2, domains 3, passwordcaching 4, fmshare 5,\n"
         "lmlogon 6, connections 7, computername 8, msnp32 9 (set and delete only).\n"
         "For connections, NAME is the local device (F: or LPT1:), VALUE the remote path, --user\n"
         "the user name stored with it. Yes/no items take VALUE yes or no.\n"},
    };
    return table;
}

void PrintOverview()
{
    std::printf("usage: router_console SUBCOMMAND [ARGUMENTS]\n\n"
                "Loads ZORNET32.DLL as the router does and calls one of its entries.\n\n");
    for (const Subcommand &command : Subcommands())
        std::printf("  %-16s %s\n", command.name, command.summary);
    std::printf("\n\"router_console SUBCOMMAND --help\" tells more. Exit status: 0 success, 1 the entry\n"
                "answered an error, 2 the command line was not understood, 3 a library did not load.\n");
}

void PrintHelp(const Subcommand &command)
{
    std::printf("usage: router_console %s\n\n%s.\n", command.usage, command.summary);
    if (command.details != nullptr)
        std::printf("\n%s", command.details);
}

} // namespace

Arguments::Arguments(const std::vector<std::string> &words, const std::vector<std::string> &allowed)
{
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string &word = words[i];
        if (word.size() < 3 || word.compare(0, 2, "--") != 0) {
            positional_.push_back(word);
            continue;
        }
        std::string name = word.substr(2), value;
        const size_t equals = name.find('=');
        const bool inlineValue = equals != std::string::npos;
        if (inlineValue) {
            value = name.substr(equals + 1);
            name.erase(equals);
        }
        if (name == "help") {
            help_ = true;
            continue;
        }
        bool known = false;
        for (const std::string &option : allowed)
            known = known || option == name;
        if (!known) {
            if (error_.empty())
                error_ = "unknown option --" + name;
            continue;
        }
        /* Switches take no value; every other option takes the next word. */
        const bool isSwitch = name == "default" || name == "off";
        if (!isSwitch && !inlineValue) {
            if (i + 1 >= words.size()) {
                if (error_.empty())
                    error_ = "option --" + name + " needs a value";
                continue;
            }
            value = words[++i];
        }
        options_.emplace_back(name, value);
    }
}

bool Arguments::Has(const std::string &option) const
{
    for (const auto &entry : options_)
        if (entry.first == option)
            return true;
    return false;
}

std::string Arguments::Value(const std::string &option, const std::string &fallback) const
{
    for (const auto &entry : options_)
        if (entry.first == option)
            return entry.second;
    return fallback;
}

bool ParseNumber(const std::string &text, DWORD *number)
{
    if (text.empty() || text.size() > 10 || text[0] == '-' || text[0] == '+' || text[0] == ' ')
        return false;
    char *end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 0);
    if (end == nullptr || *end != '\0' || value > 0xFFFFFFFFull)
        return false;
    *number = static_cast<DWORD>(value);
    return true;
}

int UsageError(const char *command, const std::string &problem)
{
    std::fprintf(stderr, "router_console %s: %s\n", command, problem.c_str());
    std::fprintf(stderr, "try \"router_console %s --help\"\n", command);
    return ExitUsage;
}

int ReportStatus(DWORD status)
{
    std::printf("result %s\n", DescribeStatus(status).c_str());
    return status == 0 ? ExitSuccess : ExitFailed;
}

ConsoleLibrary::ConsoleLibrary(const char *name) : LoadedLibrary(name)
{
    if (!Loaded())
        std::printf("%s did not load: %s\n", name, DescribeStatus(GetLastError()).c_str());
}

bool DisplayAvailable()
{
    std::string driver;
    return !(ReadTextValue(HKEY_CURRENT_USER, "Software\\Wine\\Drivers", "Graphics", &driver) &&
             lstrcmpiA(driver.c_str(), "null") == 0);
}

int main(int argc, char **argv)
{
    if (argc < 2) {
        PrintOverview();
        return ExitUsage;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "help" || name == "-h") {
        PrintOverview();
        return ExitSuccess;
    }
    for (const Subcommand &command : Subcommands()) {
        if (name != command.name)
            continue;
        const Arguments args(std::vector<std::string>(argv + 2, argv + argc), command.options);
        if (args.WantsHelp()) {
            PrintHelp(command);
            return ExitSuccess;
        }
        if (!args.Error().empty())
            return UsageError(command.name, args.Error());
        const size_t count = args.Positional().size();
        if (count < command.minPositional)
            return UsageError(command.name, "missing arguments");
        if (count > command.maxPositional)
            return UsageError(command.name, "unexpected argument \"" + args.Positional()[command.maxPositional] + "\"");
        return command.run(args);
    }
    std::fprintf(stderr, "router_console: unknown subcommand \"%s\"\n", name.c_str());
    std::fprintf(stderr, "try \"router_console --help\"\n");
    return ExitUsage;
}
