/*
 * The router console: loads ZORNET32.DLL as the router does and calls one of
 * its entries per subcommand, or plays the 16-bit side through the partner
 * stand-ins. Every answer is printed as its number and its meaning.
 */
#pragma once

#include <windows.h>

#include "loaded_library.h"

#include <map>
#include <string>
#include <vector>

/* Exit statuses of the console. */
enum ConsoleExit : int {
    ExitSuccess = 0,   /* the entry answered success */
    ExitFailed = 1,    /* the entry answered an error; it was printed */
    ExitUsage = 2,     /* the command line was not understood */
    ExitNoLibrary = 3, /* a library could not be loaded */
};

/* A subcommand's command line: positional words and --name value options.
 * error names the first option not in allowed (names without "--") or
 * without its value; "--help" is always allowed. */
struct Arguments {
    Arguments(const std::vector<std::string> &words, const std::vector<std::string> &allowed);
    bool Has(const std::string &option) const { return options.count(option) != 0; }
    std::string Value(const std::string &option, const std::string &fallback = "") const
    {
        const auto found = options.find(option);
        return found != options.end() ? found->second : fallback;
    }

    std::vector<std::string> positional;
    std::map<std::string, std::string> options;
    std::string error;
    bool help = false;
};

/* A subcommand: its command line, its help, and what runs it. */
struct Subcommand {
    const char *name;
    const char *usage;
    const char *summary;
    std::vector<std::string> options; /* the --name options it takes, without "--" */
    size_t minPositional;
    size_t maxPositional;
    int (*run)(const Arguments &args);
    const char *details; /* more help, or nullptr */
};

/* The router's subcommands (router_commands.cpp) and the 16-bit side's
 * (sixteen_bit_commands.cpp), in the overview's order. */
extern const std::vector<Subcommand> kRouterSubcommands;
extern const std::vector<Subcommand> kSixteenBitSubcommands;

/* A decimal or 0x-hexadecimal number that fits 32 bits, nothing else. */
bool ParseNumber(const std::string &text, DWORD *number);

/* Prints a usage error for the subcommand and returns ExitUsage. */
int UsageError(const char *command, const std::string &problem);

/* Prints "result N: meaning" and maps it to the console's exit status. */
int ReportStatus(DWORD status);

/* A library loaded as the router loads it; one that does not load is reported. */
class ConsoleLibrary : public LoadedLibrary {
public:
    explicit ConsoleLibrary(const char *name);
};

constexpr char kProviderLibrary[] = "ZORNET32.DLL";

/* Whether windows can be seen here (Wine's null graphics driver shows none). */
bool DisplayAvailable();
