/*
 * The platform's help viewer driven from outside, as the dialogs and a user
 * drive it: WinHelpA asks it for a topic, its windows are found by their
 * class, the topic's text is read back from its text window, and a jump is
 * clicked where the viewer draws it. Every wait is bounded.
 *
 * What each topic of ZORNET32.HLP should show comes from the listing the
 * help file's writer leaves beside it (zornet32_help_topics.txt).
 */
#ifndef ZOR_HELP_VIEWER_H
#define ZOR_HELP_VIEWER_H

#include <windows.h>

#include "help_ids.h"

#include <string>
#include <vector>

constexpr char kHelpFileName[] = ZORNET32_HELP_FILE;
constexpr char kHelpListingName[] = "zornet32_help_topics.txt";

/* The help ids the dialogs' table names, each once, in ascending order. */
std::vector<DWORD> DialogHelpIds();

struct HelpListing {
    struct Topic {
        DWORD id;               /* the help id, 0 for a topic reached only by jumps */
        std::string context, title, text;
    };
    struct Jump {
        std::string from, label, target;
        std::string before;     /* its paragraph's text before it */
    };
    struct Keyword {
        std::string keyword, context;
    };
    std::string contents;
    std::vector<Topic> topics;
    std::vector<Jump> jumps;
    std::vector<Keyword> keywords;

    const Topic *ByContext(const std::string &context) const;
    const Topic *ById(DWORD id) const;
};

/* Reads the writer's listing; false (with the reason in *error) if it is
 * missing or not understood. */
bool ReadHelpListing(const std::string &path, HelpListing *listing, std::string *error);

/* Runs of blanks and line breaks as one space, none at either end: text as a
 * reader sees it, whatever the viewer's line breaks. */
std::string CollapseSpaces(const std::string &text);

/* Asks the viewer for something (HELP_CONTEXT, HELP_CONTENTS, ...). Starts it
 * if it is not running and waits for it, longer than WinHelpA itself does:
 * its start can outlast WinHelpA's own wait. A question the viewer asks
 * instead (it cannot find the file) is answered No, its text goes to
 * *question, and the request counts as refused. */
bool AskHelpViewer(HWND owner, const char *file, UINT command, ULONG_PTR data, std::string *question = nullptr);

/* The viewer's main window showing a topic, if there is one. */
HWND FindHelpWindow();

/* The text of the topic a viewer window shows, blanks collapsed. */
std::string HelpWindowText(HWND window);

/* Waits until the viewer's main window shows exactly this text (blanks
 * collapsed); *seen receives the last text seen. */
bool WaitForHelpText(const std::string &expected, DWORD milliseconds, std::string *seen);

/* Clicks the middle of label where it follows before in the window's text. */
bool ClickHelpText(HWND window, const std::string &before, const std::string &label);

/* Opens the viewer's Index (its Index button) and returns its list of
 * keywords, or nullptr if it did not open in time. */
HWND OpenHelpIndex(HWND window, DWORD milliseconds);

/* The entries of a list box of another process. */
std::vector<std::string> ListBoxItems(HWND list);

/* Chooses an entry of the open Index and confirms it, as a double click does. */
void ChooseIndexEntry(HWND list, int item);

/* A message box or dialog of another process (the viewer's "cannot find"
 * question, its error boxes), if one is open. */
HWND FindForeignDialog();

/* Asks the viewer to quit and waits until its windows are gone; answers No to
 * a question it left open. */
void QuitHelpViewer();

#endif
