/*
 * What the tests share: loading libraries as the router does, a view of the
 * shared logon block as another process sees it, a real window that counts
 * the logon notification, the simulated network's journal, and running the
 * probe program in a folder holding only the libraries a test chooses.
 */
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "child_process.h"
#include "loaded_library.h"
#include "shared_logon_record.h"
#include "simnet.h"

/* The tests load libraries as the router does. */
using Library = LoadedLibrary;

/* The shared logon block, opened by name as any other process would. */
class SharedBlockView {
public:
    SharedBlockView();
    ~SharedBlockView();
    SharedBlockView(const SharedBlockView &) = delete;
    SharedBlockView &operator=(const SharedBlockView &) = delete;

    bool Open() const { return record_ != nullptr; }
    SharedLogonRecord *operator->() const { return record_; }
    const BYTE *Bytes() const { return reinterpret_cast<const BYTE *>(record_); }

private:
    HANDLE mapping_ = nullptr;
    SharedLogonRecord *record_ = nullptr;
};

/* A real top-level window of the test that counts message 3000. */
class NotifyWindow {
public:
    NotifyWindow();
    ~NotifyWindow();
    NotifyWindow(const NotifyWindow &) = delete;
    NotifyWindow &operator=(const NotifyWindow &) = delete;

    HWND Handle() const { return window_; }
    /* The 16-bit handle the 16-bit side registers: the low word. */
    DWORD Handle16() const { return LOWORD(reinterpret_cast<ULONG_PTR>(window_)); }
    /* Messages 3000 that reached the window procedure directly (sent, not posted). */
    int Sent() const { return sent_; }
    /* Takes the posted messages 3000 from the queue; each must carry 0 and 0. */
    int TakePosted();

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND window_ = nullptr;
    int sent_ = 0;
};

/* The calls the stand-ins received since index from. */
std::vector<SimCall> JournalSince(DWORD from);
/* The same, only the calls of one source. */
std::vector<SimCall> JournalSince(DWORD from, SimSource source);

DWORD PointerArg(const void *pointer);


/*
 * A folder that holds only the files a test puts there, with the probe
 * program: what the probe loads there finds no other library of the build.
 */
class Sandbox {
public:
    explicit Sandbox(const std::string &name);
    ~Sandbox();
    /* Copies a file of the build (a path below bin) into the folder. */
    void Add(const std::string &relativePath);
    /* Copies the provider and every partner it needs to load. */
    void AddProviderWithPartners();
    /* Runs a program copied there; returns its exit code and its output. */
    DWORD Run(const std::string &program, const std::string &arguments, std::string *output) const;
    /* Runs the probe there; returns its exit code and its output. */
    DWORD Probe(const std::string &arguments, std::string *output = nullptr) const;
    bool Loads(const std::string &library) const { return Probe("load " + library) == 0; }
    /* The folder, with a trailing backslash. */
    std::string Folder() const { return path_ + "\\"; }

private:
    std::string path_;
};
