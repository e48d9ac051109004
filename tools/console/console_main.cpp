/*
 * The router console's command line: one subcommand per router entry and per
 * service of the 16-bit side, each with its own --help.
 */
#include "console.h"

#include "registry_values.h"
#include "status_text.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

Arguments::Arguments(const std::vector<std::string> &words, const std::vector<std::string> &allowed)
{
    const auto fail = [this](const std::string &problem) {
        if (error.empty())
            error = problem;
    };
    for (size_t i = 0; i < words.size(); ++i) {
        if (words[i].size() < 3 || words[i].compare(0, 2, "--") != 0) {
            positional.push_back(words[i]);
            continue;
        }
        std::string name = words[i].substr(2), value;
        const size_t equals = name.find('=');
        if (equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.erase(equals);
        }
        /* Switches take no value; every other option takes the next word. */
        const bool isSwitch = name == "default" || name == "off";
        if (name == "help")
            help = true;
        else if (std::find(allowed.begin(), allowed.end(), name) == allowed.end())
            fail("unknown option --" + name);
        else if (!isSwitch && equals == std::string::npos && i + 1 >= words.size())
            fail("option --" + name + " needs a value");
        else
            options.emplace(name, isSwitch || equals != std::string::npos ? value : words[++i]);
    }
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

namespace {

/* The subcommands, in the overview's order. */
const std::vector<Subcommand> *const kTables[] = {&kRouterSubcommands, &kSixteenBitSubcommands};

void PrintOverview()
{
    std::printf("usage: router_console SUBCOMMAND [ARGUMENTS]\n\n"
                "Loads ZORNET32.DLL as the router does and calls one of its entries.\n\n");
    for (const std::vector<Subcommand> *table : kTables)
        for (const Subcommand &command : *table)
            std::printf("  %-16s %s\n", command.name, command.summary);
    std::printf("\n\"router_console SUBCOMMAND --help\" tells more. Exit status: 0 success, 1 the entry\n"
                "answered an error, 2 the command line was not understood, 3 a library did not load.\n");
}

/* Runs a subcommand with the words after its name, once they are understood. */
int Run(const Subcommand &command, const std::vector<std::string> &words)
{
    const Arguments args(words, command.options);
    if (args.help) {
        std::printf("usage: router_console %s\n\n%s.\n", command.usage, command.summary);
        if (command.details != nullptr)
            std::printf("\n%s", command.details);
        return ExitSuccess;
    }
    if (!args.error.empty())
        return UsageError(command.name, args.error);
    if (args.positional.size() < command.minPositional)
        return UsageError(command.name, "missing arguments");
    if (args.positional.size() > command.maxPositional)
        return UsageError(command.name, "unexpected argument \"" + args.positional[command.maxPositional] + "\"");
    return command.run(args);
}

} // namespace

int main(int argc, char **argv)
{
    const std::string name = argc < 2 ? "" : argv[1];
    if (argc < 2 || name == "--help" || name == "help" || name == "-h") {
        PrintOverview();
        return argc < 2 ? ExitUsage : ExitSuccess;
    }
    for (const std::vector<Subcommand> *table : kTables)
        for (const Subcommand &command : *table)
            if (name == command.name)
                return Run(command, std::vector<std::string>(argv + 2, argv + argc));
    std::fprintf(stderr, "router_console: unknown subcommand \"%s\"\n", name.c_str());
    std::fprintf(stderr, "try \"router_console --help\"\n");
    return ExitUsage;
}
