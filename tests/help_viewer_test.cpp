/*
 * ZORNET32.HLP as the platform's help viewer reads it, asked the way the
 * dialogs ask: every help id of the dialogs' table shows its topic, the
 * contents command shows the contents topic, the contents topic's jumps reach
 * their targets, every topic opens by its name, the Index lists the keywords
 * and leads to their topics, and an id the file does not have shows no topic
 * and leaves nothing waiting. The ids come from the header the dialogs'
 * table is built from; what each topic should say, from the help source (the
 * writer's listing), never from the help file itself.
 *
 * Wine's viewer does not handle HELP_WM_HELP and HELP_CONTEXTMENU; it looks
 * an id up for HELP_CONTEXT in the same map they use.
 */
#include "child_process.h"
#include "help_viewer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {

constexpr DWORD kShowWait = 60000;
constexpr char kCaption[] = "ZOR Networks Client Help";

class HelpViewerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(ReadHelpListing(kHelpListingName, &listing, &error)) << error;
        contents = listing.ByContext(listing.contents);
        ASSERT_NE(contents, nullptr) << "the listing names no contents topic";
    }
    static void TearDownTestSuite() { QuitHelpViewer(); }

    /* Asks for a topic and waits until the main window shows the text; the
     * first topic not shown ends the test (each costs the whole wait). */
    static void ExpectShown(UINT command, DWORD data, const HelpListing::Topic &topic)
    {
        ASSERT_TRUE(AskHelpViewer(nullptr, kHelpFileName, command, data)) << "the viewer could not be asked";
        std::string seen;
        ASSERT_TRUE(WaitForHelpText(topic.text, kShowWait, &seen))
            << "asked for " << topic.context << " (" << data << ")\n  expected: " << topic.text
            << "\n  shown:    " << seen;
    }

    HelpListing listing;
    const HelpListing::Topic *contents = nullptr;
};

TEST_F(HelpViewerTest, EveryHelpIdOfTheDialogsShowsItsTopic)
{
    for (DWORD id : DialogHelpIds()) {
        const HelpListing::Topic *topic = listing.ById(id);
        ASSERT_NE(topic, nullptr) << "the help source has no topic for help id " << id;
        ASSERT_NO_FATAL_FAILURE(ExpectShown(HELP_CONTEXT, id, *topic));
    }
    char caption[128] = "";
    GetWindowTextA(FindHelpWindow(), caption, sizeof(caption));
    EXPECT_STREQ(caption, kCaption) << "the file's main window record names the window";
}

TEST_F(HelpViewerTest, ContentsCommandShowsTheContentsTopic)
{
    ExpectShown(HELP_CONTENTS, 0, *contents);
}

TEST_F(HelpViewerTest, EveryJumpOfTheContentsReachesItsTarget)
{
    int jumps = 0;
    for (const HelpListing::Jump &jump : listing.jumps) {
        if (jump.from != listing.contents)
            continue;
        ++jumps;
        const HelpListing::Topic *target = listing.ByContext(jump.target);
        ASSERT_NE(target, nullptr) << jump.target;
        ASSERT_NO_FATAL_FAILURE(ExpectShown(HELP_CONTENTS, 0, *contents));
        ASSERT_TRUE(ClickHelpText(FindHelpWindow(), jump.before, jump.label))
            << "no \"" << jump.label << "\" to click";
        std::string seen;
        ASSERT_TRUE(WaitForHelpText(target->text, kShowWait, &seen))
            << "the jump \"" << jump.label << "\" should show " << jump.target << "\n  expected: "
            << target->text << "\n  shown:    " << seen;
    }
    EXPECT_GE(jumps, 7) << "the contents topic leads to the dialogs' topics";
}

TEST_F(HelpViewerTest, TheIndexListsEveryKeywordAndLeadsToItsTopic)
{
    ASSERT_NO_FATAL_FAILURE(ExpectShown(HELP_CONTENTS, 0, *contents));
    std::set<std::string> expected;
    for (const HelpListing::Keyword &keyword : listing.keywords)
        expected.insert(keyword.keyword);
    for (const char *wanted : {"password", "domain", "logging on"}) {
        HWND list = OpenHelpIndex(FindHelpWindow(), kShowWait);
        ASSERT_NE(list, nullptr) << "the viewer's Index did not open";
        const std::vector<std::string> items = ListBoxItems(list);
        const std::set<std::string> shown(items.begin(), items.end());
        EXPECT_EQ(shown, expected) << "the Index lists the keywords of the help source";
        const auto item = std::find(items.begin(), items.end(), wanted);
        ASSERT_NE(item, items.end()) << "no keyword \"" << wanted << "\"";
        const HelpListing::Topic *target = nullptr;
        for (const HelpListing::Keyword &keyword : listing.keywords)
            if (keyword.keyword == wanted)
                target = listing.ByContext(keyword.context);
        ASSERT_NE(target, nullptr);
        ChooseIndexEntry(list, static_cast<int>(item - items.begin()));
        std::string seen;
        ASSERT_TRUE(WaitForHelpText(target->text, kShowWait, &seen))
            << "the keyword \"" << wanted << "\" should show " << target->context << "\n  shown: " << seen;
    }
}

/* A jump in the file names its target by a hash the writer computed; the
 * viewer's "-i NAME" option computes it itself from the topic's name. */
TEST_F(HelpViewerTest, EveryTopicNameOpensItsTopicByTheViewersOwnHash)
{
    for (const HelpListing::Topic &topic : listing.topics) {
        QuitHelpViewer();
        const std::string command = "winhlp32.exe -i " + topic.context + " " + kHelpFileName;
        ChildProcess viewer;
        ASSERT_TRUE(viewer.Start(command)) << command << ": " << GetLastError();
        std::string seen;
        const bool shown = WaitForHelpText(topic.text, kShowWait, &seen);
        QuitHelpViewer();
        viewer.Wait(kShowWait);
        ASSERT_TRUE(shown) << command << "\n  expected: " << topic.text << "\n  shown:    " << seen;
    }
}

TEST_F(HelpViewerTest, AnIdTheFileDoesNotHaveShowsNoTopicAndLeavesNothingWaiting)
{
    QuitHelpViewer();
    ASSERT_TRUE(AskHelpViewer(nullptr, kHelpFileName, HELP_CONTEXT, 2999));
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 5000) {
        ASSERT_EQ(FindForeignDialog(), nullptr) << "the viewer left a message box waiting";
        HWND shown = FindHelpWindow();
        ASSERT_TRUE(shown == nullptr || HelpWindowText(shown).empty()) << HelpWindowText(shown);
        Sleep(100);
    }
    /* The viewer still answers. */
    const HelpListing::Topic *password = listing.ById(IDH_PASSWORD);
    ASSERT_NE(password, nullptr);
    ExpectShown(HELP_CONTEXT, IDH_PASSWORD, *password);
}

} // namespace
