/*
 * The client's files that a running program holds. On a running machine the
 * router keeps ZORNET32.DLL loaded, and ZORNET32.DLL keeps ZORN3216.DLL; a
 * file held that way can be neither overwritten nor deleted (the attempt
 * fails with a sharing violation). Windows 95's setup copies such a file
 * under a temporary name beside the old one, renames it over the old one when
 * the machine restarts, and the Network control panel asks for the restart;
 * a removed file held open is deleted at the restart the same way. Wine's
 * setup API instead skips the file, says so only in its log, and reports
 * success, which leaves the old file for good. The INF's NT-style sections
 * run these steps after their own CopyFiles and DelFiles to finish the job
 * as Windows 95's setup would.
 *
 * Guaranteed: only the client's three files in the system folder are looked
 * at, and only while a program holds them; a file the setup API could write
 * was its to copy or delete and is left as it is, as is one absent from the
 * system folder (the router console applies the INF's registry sections
 * only). An installed file newer than the disk's is kept, as the setup keeps
 * it; one with the disk's bytes already is left. The replacement is a whole
 * copy of the disk's file in the system folder before it is queued, so the
 * restart never renames a partial file; until the restart the running
 * programs keep the files they loaded, and new ones load the same.
 * Not guaranteed: that the machine restarts. A removal queued here and an
 * install before the restart: the restart deletes the installed file, as
 * Windows 95's own queue would.
 */
#include <windows.h>

#include "setup_steps.h"

/* The start of this DLL's image, which the linker provides: its module
 * handle, whatever name it was loaded under. */
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

/* [ZORNET.CopyFiles] of the INF: what goes into the system folder. */
constexpr const char *kSystemFiles[] = {"ZORNET32.DLL", "ZORN3216.DLL", "QENREGIO.DLL"};

/* A file handle closed on every path. */
class OpenFile {
public:
    OpenFile(const char *path, DWORD access, DWORD share)
        : handle_(CreateFileA(path, access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    OpenFile(const OpenFile &) = delete;
    OpenFile &operator=(const OpenFile &) = delete;
    ~OpenFile()
    {
        if (Opened())
            CloseHandle(handle_);
    }
    bool Opened() const { return handle_ != INVALID_HANDLE_VALUE; }
    operator HANDLE() const { return handle_; }

private:
    HANDLE handle_;
};

/* folder\name into path; false when it does not fit. */
bool JoinPath(char (&path)[MAX_PATH], const char *folder, const char *name)
{
    const int folderLength = lstrlenA(folder);
    if (folderLength + 1 + lstrlenA(name) >= MAX_PATH)
        return false;
    lstrcpyA(path, folder);
    if (folderLength > 0 && folder[folderLength - 1] != '\\')
        lstrcatA(path, "\\");
    lstrcatA(path, name);
    return true;
}

/* The folder this DLL was loaded from: the install disk, which the INF's
 * RegisterDlls names as the INF's own folder. */
bool DiskFolder(char (&folder)[MAX_PATH])
{
    const DWORD length = GetModuleFileNameA(reinterpret_cast<HMODULE>(&__ImageBase), folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    for (DWORD i = length; i > 0; --i)
        if (folder[i - 1] == '\\') {
            folder[i - 1] = '\0';
            return true;
        }
    return false;
}

/* Whether a program holds the file so that it cannot be written. */
bool HeldByAProgram(const char *path)
{
    OpenFile file(path, GENERIC_WRITE, 0);
    return !file.Opened() && GetLastError() == ERROR_SHARING_VIOLATION;
}

/* The file version of a DLL's version resource, read as data (the file is
 * not run); false when it has none. */
bool FileVersion(const char *path, ULONGLONG *version)
{
    HMODULE module = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr)
        return false;
    bool found = false;
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(VS_VERSION_INFO), MAKEINTRESOURCEA(16) /* RT_VERSION */);
    HGLOBAL loaded = resource != nullptr ? LoadResource(module, resource) : nullptr;
    const BYTE *data = loaded != nullptr ? static_cast<const BYTE *>(LockResource(loaded)) : nullptr;
    /* VS_VERSIONINFO: its length, its value's length and type (three WORDs),
     * the key L"VS_VERSION_INFO" with its terminator (32 bytes), padding to
     * the next DWORD, then the value: the fixed info. */
    constexpr DWORD kFixedInfoAt = 40;
    if (data != nullptr && SizeofResource(module, resource) >= kFixedInfoAt + sizeof(VS_FIXEDFILEINFO) &&
        reinterpret_cast<const WORD *>(data)[1] == sizeof(VS_FIXEDFILEINFO)) {
        const auto *fixed = reinterpret_cast<const VS_FIXEDFILEINFO *>(data + kFixedInfoAt);
        if (fixed->dwSignature == VS_FFI_SIGNATURE) {
            *version = (static_cast<ULONGLONG>(fixed->dwFileVersionMS) << 32) | fixed->dwFileVersionLS;
            found = true;
        }
    }
    FreeLibrary(module);
    return found;
}

/* Whether two files hold the same bytes; false when either cannot be read. */
bool SameBytes(const char *one, const char *other)
{
    OpenFile a(one, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    OpenFile b(other, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    if (!a.Opened() || !b.Opened() || GetFileSize(a, nullptr) != GetFileSize(b, nullptr))
        return false;
    /* Small enough for a frame without a stack probe. */
    BYTE chunkA[1024], chunkB[1024];
    for (;;) {
        DWORD readA = 0, readB = 0;
        if (!ReadFile(a, chunkA, sizeof(chunkA), &readA, nullptr) ||
            !ReadFile(b, chunkB, sizeof(chunkB), &readB, nullptr) || readA != readB)
            return false;
        if (readA == 0)
            return true;
        for (DWORD i = 0; i < readA; ++i)
            if (chunkA[i] != chunkB[i])
                return false;
    }
}

/* MoveFileExA, which queues a rename or a deletion for the next restart on
 * NT-style systems and Wine. Looked up, not imported: Windows 95 lacks it
 * (its setup queues through WININIT.INI) and must still load this DLL. */
using MoveFileExFunction = BOOL(WINAPI *)(LPCSTR, LPCSTR, DWORD);
MoveFileExFunction MoveFileExEntry()
{
    HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
    return kernel != nullptr ? reinterpret_cast<MoveFileExFunction>(GetProcAddress(kernel, "MoveFileExA")) : nullptr;
}

/* The disk's file copied whole beside the installed one, under a temporary
 * name the restart renames over it. */
LONG ReplaceAtRestart(const char *source, const char *target, const char *systemFolder)
{
    const MoveFileExFunction moveFileEx = MoveFileExEntry();
    if (moveFileEx == nullptr)
        return ERROR_CALL_NOT_IMPLEMENTED;
    char temporary[MAX_PATH];
    if (GetTempFileNameA(systemFolder, "ZOR", 0, temporary) == 0)
        return static_cast<LONG>(GetLastError());
    if (CopyFileA(source, temporary, FALSE) &&
        moveFileEx(temporary, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT))
        return ERROR_SUCCESS;
    const LONG error = static_cast<LONG>(GetLastError());
    DeleteFileA(temporary);
    return error;
}

inline HRESULT Result(LONG status)
{
    return HRESULT_FROM_WIN32(static_cast<DWORD>(status));
}

} // namespace

HRESULT ReplaceFilesInUseAtRestart()
{
    char systemFolder[MAX_PATH], diskFolder[MAX_PATH];
    const UINT length = GetSystemDirectoryA(systemFolder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || !DiskFolder(diskFolder))
        return Result(ERROR_PATH_NOT_FOUND);
    LONG status = ERROR_SUCCESS;
    for (const char *name : kSystemFiles) {
        char source[MAX_PATH], target[MAX_PATH];
        if (!JoinPath(source, diskFolder, name) || !JoinPath(target, systemFolder, name)) {
            status = ERROR_FILENAME_EXCED_RANGE;
            continue;
        }
        if (!HeldByAProgram(target))
            continue;
        ULONGLONG disk = 0, installed = 0;
        if (!FileVersion(source, &disk)) {
            status = ERROR_BAD_FORMAT; /* no disk of ours: every file carries a version */
            continue;
        }
        if ((FileVersion(target, &installed) && installed > disk) || SameBytes(source, target))
            continue;
        const LONG replaced = ReplaceAtRestart(source, target, systemFolder);
        if (replaced != ERROR_SUCCESS && status == ERROR_SUCCESS)
            status = replaced;
    }
    return Result(status);
}

HRESULT DeleteFilesInUseAtRestart()
{
    char systemFolder[MAX_PATH];
    const UINT length = GetSystemDirectoryA(systemFolder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return Result(ERROR_PATH_NOT_FOUND);
    const MoveFileExFunction moveFileEx = MoveFileExEntry();
    LONG status = ERROR_SUCCESS;
    for (const char *name : kSystemFiles) {
        char target[MAX_PATH];
        if (!JoinPath(target, systemFolder, name) || !HeldByAProgram(target))
            continue;
        if (moveFileEx == nullptr)
            status = ERROR_CALL_NOT_IMPLEMENTED;
        else if (!moveFileEx(target, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
            status = static_cast<LONG>(GetLastError());
    }
    return Result(status);
}
