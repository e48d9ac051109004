#include "test_support.h"

#include "provider_settings.h"

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

std::vector<SimCall> JournalSince(DWORD from, DWORD source, LONG entry)
{
    std::vector<SimCall> calls;
    SimCall call;
    for (DWORD i = from; SimJournalEntry(i, &call); ++i)
        if ((source == kAnySource || call.source == source) && (entry == kAnyEntry || call.entry == entry))
            calls.push_back(call);
    return calls;
}

DWORD PointerArg(const void *pointer)
{
    return static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(pointer));
}

::testing::AssertionResult Contains(const std::string &text, const std::string &part)
{
    if (text.find(part) != std::string::npos)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "no \"" << part << "\" in:\n" << text;
}

void ProviderTest::SetUp()
{
    SimReset();
    ASSERT_EQ(ERROR_SUCCESS, RememberDomain("ZORDOM"));
    ASSERT_TRUE(provider_.Loaded());
    ASSERT_TRUE(entries_.found) << "ZORNET32.DLL lacks an entry";
    from_ = SimJournalCount();
}

namespace {

/* A sandbox and its files (it holds no folders; "." and ".." are not deleted). */
void RemoveSandbox(const std::string &path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
        DeleteFileA((path + "\\" + found.cFileName).c_str());
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    RemoveDirectoryA(path.c_str());
}

} // namespace

Sandbox::Sandbox(const std::string &name)
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    path_ = std::string(temp) + "zor-sandbox-" + name;
    RemoveSandbox(path_);
    CreateDirectoryA(path_.c_str(), nullptr);
    Add("load_probe.exe");
    Add("SIMNET.DLL");
    Add("simnet.ini");
}

Sandbox::~Sandbox()
{
    RemoveSandbox(path_);
}

void Sandbox::Add(const std::string &relativePath)
{
    std::string source = ProgramFolder() + relativePath;
    for (char &c : source)
        if (c == '/')
            c = '\\';
    const std::string fileName = relativePath.substr(relativePath.find_last_of("/\\") + 1); /* npos + 1 is 0 */
    const std::string target = path_ + "\\" + fileName;
    ASSERT_TRUE(CopyFileA(source.c_str(), target.c_str(), FALSE)) << "cannot copy " << source;
}

const std::vector<std::string> kProviderPartners = {"ZORN3216.DLL", "TORVEK.DLL", "ZORN1632.DLL"};

void Sandbox::AddProviderWithPartners()
{
    Add("ZORNET32.DLL");
    for (const std::string &file : kProviderPartners)
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

void ExpectLoadsOnlyBesideConformingPartners(const std::string &library, const std::vector<std::string> &partners,
                                             const std::vector<std::string> &variants)
{
    const auto expectLoad = [&](const std::string &setup, const std::string &leftOut, const std::string &variant,
                                DWORD status) {
        SCOPED_TRACE(library + " " + setup);
        Sandbox box(library + "-partners");
        box.Add(library);
        for (const std::string &partner : partners)
            if (partner != leftOut)
                box.Add(partner);
        if (!variant.empty())
            box.Add(variant);
        std::string output;
        EXPECT_EQ(status, box.Probe("load " + library, &output)) << output;
    };
    expectLoad("beside its partners", "", "", 0);
    for (const std::string &partner : partners)
        expectLoad("without " + partner, partner, "", 1);
    for (const std::string &variant : variants)
        expectLoad("beside " + variant, "", variant, 1);
}
