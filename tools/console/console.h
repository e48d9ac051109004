/*
 * The router console: loads ZORNET32.DLL as the router does and calls one of
 * its entries per subcommand, or plays the 16-bit side through the partner
 * stand-ins. Every answer is printed as its number and its meaning.
 */
#pragma once

#include <windows.h>

#include "loaded_library.h"

#include <string>
#include <vector>

/* Exit statuses of the console. */
enum ConsoleExit : int {
    ExitSuccess = 0,   /* the entry answered success */
    ExitFailed = 1,    /* the entry answered an error; it was printed */
    ExitUsage = 2,     /* the command line was not understood */
    ExitNoLibrary = 3, /* a library could not be loaded */
};

/* A subcommand's command line: positional words and --name value options. */
class Arguments {
public:
    /* Splits words; options not in allowed (names without "--"), or without
     * their value, make error non-empty. "--help" is always allowed. */
    Arguments(const std::vector<std::string> &words, const std::vector<std::string> &allowed);

    const std::string &Error() const { return error_; }
    bool WantsHelp() const { return help_; }
    const std::vector<std::string> &Positional() const { return positional_; }
    bool Has(const std::string &option) const;
    std::string Value(const std::string &option, const std::string &fallback = "") const;

private:
    std::vector<std::string> positional_;
    std::vector<std::pair<std::string, std::string>> options_;
    std::string error_;
    bool help_ = false;
};

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

/* Whether windows can be seen here (Wine's null graphics driver shows none). */
bool DisplayAvailable();

/* The subcommands. */
int RunInstall(const Arguments &args);
int RunUninstall(const Arguments &args);
int RunAgent(const Arguments &args);
int RunCaps(const Arguments &args);
int RunPasswordStatus(const Arguments &args);
int RunLogon(const Arguments &args);
int RunLogoff(const Arguments &args);
int RunChangePassword(const Arguments &args);
int RunHome(const Arguments &args);
int RunPolicy(const Arguments &args);
int RunListen(const Arguments &args);
int RunCredentials(const Arguments &args);
int RunRegistry(const Arguments &args);
