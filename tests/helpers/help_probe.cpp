/*
 * Asks the platform's help viewer for one topic of ZORNET32.HLP by its bare
 * name, as the dialogs do, and says whether the viewer showed it: the install
 * tests run it from a folder without the help file, so only an installed copy
 * the viewer finds by itself can answer.
 *
 * Usage: help_probe.exe LISTING HELP-ID
 * LISTING is the help writer's listing of what each topic shows. Exit status:
 * 0 the topic was shown, 1 it was not (what was shown is printed), 2 usage.
 */
#include "help_viewer.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::printf("usage: help_probe.exe LISTING HELP-ID\n");
        return 2;
    }
    HelpListing listing;
    std::string error;
    if (!ReadHelpListing(argv[1], &listing, &error)) {
        std::printf("help_probe: %s\n", error.c_str());
        return 2;
    }
    const DWORD id = std::strtoul(argv[2], nullptr, 10);
    const HelpListing::Topic *topic = listing.ById(id);
    if (topic == nullptr) {
        std::printf("help_probe: the listing has no topic %lu\n", id);
        return 2;
    }
    std::string seen, question;
    const bool shown = AskHelpViewer(nullptr, kHelpFileName, HELP_CONTEXT, id, &question) &&
                       WaitForHelpText(topic->text, 60000, &seen);
    if (!question.empty())
        std::printf("help_probe: the viewer asked (answered No): %s\n", question.c_str());
    QuitHelpViewer();
    if (!shown) {
        std::printf("help_probe: topic %lu not shown%s%s\n", id, seen.empty() ? "" : "; the viewer shows: ",
                    seen.c_str());
        return 1;
    }
    std::printf("help_probe: topic %lu (%s) shown\n", id, topic->context.c_str());
    return 0;
}
