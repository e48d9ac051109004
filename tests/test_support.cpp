#include "test_support.h"

#include <algorithm>
#include <cstring>

SharedBlockView::SharedBlockView()
{
    mapping_ = OpenFileMappingA(FILE_MAP_WRITE, FALSE, kSharedRecordName);
    if (mapping_ != nullptr)
        record_ = static_cast<SharedLogonRecord *>(MapViewOfFile(mapping_, FILE_MAP_WRITE, 0, 0, 0));
}

SharedBlockView::~SharedBlockView()
{
    if (record_ != nullptr)
        UnmapViewOfFile(record_);
    if (mapping_ != nullptr)
        CloseHandle(mapping_);
}

NotifyWindow::NotifyWindow()
{
    static const char kClass[] = "ZorTestNotifyWindow";
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClass;
    RegisterClassA(&windowClass); /* fails harmlessly when already registered */
    window_ = CreateWindowA(kClass, "16-bit side", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                            windowClass.hInstance, this);
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

NotifyWindow::~NotifyWindow()
{
    DestroyWindow(window_);
}

LRESULT CALLBACK NotifyWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kLogonNotifyMessage) {
        auto *self = reinterpret_cast<NotifyWindow *>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self != nullptr)
            ++self->sent_;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int NotifyWindow::TakePosted()
{
    int count = 0;
    MSG message;
    while (PeekMessageA(&message, window_, kLogonNotifyMessage, kLogonNotifyMessage, PM_REMOVE)) {
        EXPECT_EQ(0u, message.wParam);
        EXPECT_EQ(0, message.lParam);
        ++count;
    }
    return count;
}

std::vector<SimCall> JournalSince(DWORD from)
{
    std::vector<SimCall> calls;
    SimCall call;
    for (DWORD i = from; SimJournalEntry(i, &call); ++i)
        calls.push_back(call);
    return calls;
}

std::vector<SimCall> JournalSince(DWORD from, SimSource source)
{
    std::vector<SimCall> calls;
    for (const SimCall &call : JournalSince(from))
        if (call.source == static_cast<DWORD>(source))
            calls.push_back(call);
    return calls;
}

DWORD PointerArg(const void *pointer)
{
    return static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(pointer));
}

namespace {

void RemoveTree(const std::string &path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path + "\\" + name);
            else
                DeleteFileA((path + "\\" + name).c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

std::string FileName(const std::string &path)
{
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

Sandbox::Sandbox(const std::string &name)
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    path_ = std::string(temp) + "zor-sandbox-" + name;
    RemoveTree(path_);
    CreateDirectoryA(path_.c_str(), nullptr);
    Add("load_probe.exe");
    Add("SIMNET.DLL");
    Add("simnet.ini");
}

Sandbox::~Sandbox()
{
    RemoveTree(path_);
}

void Sandbox::Add(const std::string &relativePath)
{
    std::string source = ProgramFolder() + relativePath;
    for (char &c : source)
        if (c == '/')
            c = '\\';
    const std::string target = path_ + "\\" + FileName(relativePath);
    ASSERT_TRUE(CopyFileA(source.c_str(), target.c_str(), FALSE)) << "cannot copy " << source;
}

void Sandbox::AddProviderWithPartners()
{
    for (const char *file : {"ZORNET32.DLL", "ZORN3216.DLL", "TORVEK.DLL", "ZORN1632.DLL"})
        Add(file);
}

DWORD Sandbox::Run(const std::string &program, const std::string &arguments, std::string *output) const
{
    return RunProgram("\"" + path_ + "\\" + program + "\" " + arguments, path_, output);
}

DWORD Sandbox::Probe(const std::string &arguments, std::string *output) const
{
    return Run("load_probe.exe", arguments, output);
}
