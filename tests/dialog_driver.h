/*
 * Drives the provider's dialogs and message boxes with the shared scripted
 * typist; a window that no step expects is cancelled and fails the test.
 *
 * Help never reaches the real viewer: HelpRecorder replaces the provider's
 * import of WinHelpA and records what would have reached it.
 */
#pragma once

#include "help_ids.h"
#include "scripted_typist.h"
#include "test_support.h"
#include "zornet32.h"

#include <string>
#include <vector>

/* The shared typist, with every problem it meets reported as a test failure. */
class DialogDriver : public ScriptedTypist {
public:
    DialogDriver() : ScriptedTypist([](const std::string &problem) { ADD_FAILURE() << problem; }) {}
};

/* A step that expects the provider's message box showing string id (an
 * IDS_ of zornet32.h), and answers it with one of its buttons. */
DialogDriver::Step ExpectMessage(UINT id, int answer = IDOK);

/* A request for help: its command (HELP_WM_HELP, ...), and the topic its
 * table gives the control it was asked for (0 when none). */
using HelpRequest = std::pair<UINT, DWORD>;

class HelpRecorder {
public:
    explicit HelpRecorder(HMODULE provider);
    ~HelpRecorder();
    /* What was asked since; a request for another file than the help file fails the test. */
    const std::vector<HelpRequest> &Requests() const;

private:
    void **slot_ = nullptr;
    void *original_ = nullptr;
};
