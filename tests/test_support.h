/*
 * What the tests share and no tool needs: the provider loaded as the router
 * loads it for a test, a thunk block's check, a real window that counts the
 * logon notification, the simulated network's journal, and folders holding
 * only the libraries a test chooses.
 */
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "child_process.h"
#include "flat_thunk.h"
#include "loaded_library.h"
#include "shared_block_view.h"
#include "shared_logon_record.h"
#include "simnet.h"

/* The calls the stand-ins received since index from; only one source's, and
 * of those only one entry's, when given. */
constexpr DWORD kAnySource = 0;
constexpr LONG kAnyEntry = -1;
std::vector<SimCall> JournalSince(DWORD from, DWORD source = kAnySource, LONG entry = kAnyEntry);

DWORD PointerArg(const void *pointer);

/* Copies text into a caller's buffer, as much as fits. */
template <size_t N> void CopyText(char (&buffer)[N], const std::string &text)
{
    lstrcpynA(buffer, text.c_str(), N);
}

/* Whether text holds part; a failure shows the whole text. */
::testing::AssertionResult Contains(const std::string &text, const std::string &part);

/* The flat-thunk block a library exports by name, with its kind's magic and
 * the checksum of its connection; null, failing the test, where it is not. */
template <class Block> Block *ThunkBlock(const LoadedLibrary &library, const char *name, DWORD checksum)
{
    const char *magic = std::is_same<Block, FlatThunkLS32>::value ? FLAT_THUNK_LS_MAGIC : FLAT_THUNK_SL_MAGIC;
    auto *block = library.Export<Block *>(name);
    if (block != nullptr && std::memcmp(block->magic, magic, 4) == 0 && block->checksum == checksum)
        return block;
    ADD_FAILURE() << name << ": no " << magic << " block with checksum " << std::hex << checksum;
    return nullptr;
}

/*
 * The provider as the router loads it, freed after each test: the simulated
 * network started again from simnet.ini, the remembered domain its ZORDOM,
 * every entry found, and the journal read from the test's start.
 */
class ProviderTest : public ::testing::Test {
protected:
    void SetUp() override;
    /* The calls the client (TORVEK: all, or one entry's) and the domain
     * validation (MSNET32) received since the test started or RestartJournal. */
    std::vector<SimCall> ClientCalls(LONG entry = kAnyEntry) const { return JournalSince(from_, SimTorvek, entry); }
    std::vector<SimCall> Validations() const { return JournalSince(from_, SimMsnet32); }
    void RestartJournal() { from_ = SimJournalCount(); }

    LoadedLibrary provider_{"ZORNET32.DLL"};
    const ProviderEntries entries_{provider_};
    DWORD from_ = 0;
};

/* A real top-level window of the test that counts message 3000. */
class NotifyWindow {
public:
    NotifyWindow();
    ~NotifyWindow();
    NotifyWindow(const NotifyWindow &) = delete;
    NotifyWindow &operator=(const NotifyWindow &) = delete;

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

/*
 * A folder that holds only the files a test puts there, with the probe
 * program: what the probe loads there finds no other library of the build.
 */
class Sandbox {
public:
    explicit Sandbox(const std::string &name);
    ~Sandbox();
    /* Copies a file of the build (a path below bin) into the folder, over one of its name. */
    void Add(const std::string &relativePath);
    /* Copies the provider and every partner it needs to load. */
    void AddProviderWithPartners();
    /* Runs a program copied there; returns its exit code and its output. */
    DWORD Run(const std::string &program, const std::string &arguments, std::string *output) const;
    /* Runs the probe there; returns its exit code and its output. */
    DWORD Probe(const std::string &arguments, std::string *output = nullptr) const;
    /* The folder, with a trailing backslash. */
    std::string Folder() const { return path_ + "\\"; }

private:
    std::string path_;
};

/* The libraries the provider needs beside it to load. */
extern const std::vector<std::string> kProviderPartners;

/* A library loads beside its partners, and refuses to load (the probe's exit
 * status 1) without any one of them, or with a variant (a path below bin) in
 * place of the partner of its name. */
void ExpectLoadsOnlyBesideConformingPartners(const std::string &library, const std::vector<std::string> &partners,
                                             const std::vector<std::string> &variants);
