/*
 * The platform's help viewer driven from outside. Wine's viewer keeps every
 * window in the class MS_WINHELP (its popups with WS_POPUP) and shows a topic's
 * text in a RichEdit child with the id 0x701; WM_GETTEXT and EM_POSFROMCHAR
 * in its RichEdit 1.0 form (a character index, coordinates returned) work
 * across processes.
 */
#include "help_viewer.h"

#include <richedit.h>

#include <cstdio>
#include <cstring>
#include <set>

namespace {

constexpr int kTextControl = 0x701;
constexpr int kIndexList = 0x151;       /* the keyword list of the viewer's Index */
constexpr DWORD kStartWait = 60000;     /* the viewer's start, under emulation */

void Pump(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(20);
    } while (GetTickCount() - start < milliseconds);
}

std::vector<std::string> SplitTabs(const std::string &line)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos)
            return fields;
        start = tab + 1;
    }
}

BOOL CALLBACK FindMainViewerWindow(HWND window, LPARAM lParam)
{
    char className[32] = "";
    GetClassNameA(window, className, sizeof(className));
    if (std::strcmp(className, "MS_WINHELP") != 0 || !IsWindowVisible(window) ||
        (GetWindowLongA(window, GWL_STYLE) & WS_POPUP) != 0 || GetDlgItem(window, kTextControl) == nullptr)
        return TRUE;
    *reinterpret_cast<HWND *>(lParam) = window;
    return FALSE;
}

BOOL CALLBACK FindDialog(HWND window, LPARAM lParam)
{
    char className[16] = "";
    GetClassNameA(window, className, sizeof(className));
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (std::strcmp(className, "#32770") == 0 && process != GetCurrentProcessId() && IsWindowVisible(window)) {
        *reinterpret_cast<HWND *>(lParam) = window;
        return FALSE;
    }
    return TRUE;
}

std::string RawText(HWND window)
{
    HWND text = GetDlgItem(window, kTextControl);
    if (text == nullptr)
        return "";
    char buffer[8192] = "";
    SendMessageA(text, WM_GETTEXT, sizeof(buffer), reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

struct ChildSearch {
    const char *className;
    const char *text;           /* or nullptr */
    int id;                     /* or 0 */
    HWND found;
};

BOOL CALLBACK FindChild(HWND window, LPARAM lParam)
{
    auto *search = reinterpret_cast<ChildSearch *>(lParam);
    char className[32] = "", text[64] = "";
    GetClassNameA(window, className, sizeof(className));
    GetWindowTextA(window, text, sizeof(text));
    std::string shown;                  /* without the mnemonic's '&' */
    for (const char *ch = text; *ch != '\0'; ++ch)
        if (*ch != '&')
            shown += *ch;
    if (lstrcmpiA(className, search->className) == 0 && (search->id == 0 || GetDlgCtrlID(window) == search->id) &&
        (search->text == nullptr || shown == search->text)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindDescendant(HWND parent, const char *className, const char *text, int id)
{
    ChildSearch search = {className, text, id, nullptr};
    EnumChildWindows(parent, FindChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK FindIndexList(HWND window, LPARAM lParam)
{
    char className[16] = "";
    GetClassNameA(window, className, sizeof(className));
    if (std::strcmp(className, "#32770") != 0)
        return TRUE;
    *reinterpret_cast<HWND *>(lParam) = FindDescendant(window, "ListBox", nullptr, kIndexList);
    return *reinterpret_cast<HWND *>(lParam) == nullptr;
}

} // namespace

std::vector<DWORD> DialogHelpIds()
{
#define HELP_PAIR(control, topic) topic,
    const std::set<DWORD> ids = {ZORNET32_HELP_TABLE(HELP_PAIR)};
#undef HELP_PAIR
    return {ids.begin(), ids.end()};
}

const HelpListing::Topic *HelpListing::ByContext(const std::string &context) const
{
    for (const Topic &topic : topics)
        if (topic.context == context)
            return &topic;
    return nullptr;
}

const HelpListing::Topic *HelpListing::ById(DWORD id) const
{
    for (const Topic &topic : topics)
        if (id != 0 && topic.id == id)
            return &topic;
    return nullptr;
}

bool ReadHelpListing(const std::string &path, HelpListing *listing, std::string *error)
{
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        *error = "cannot open " + path;
        return false;
    }
    char line[4096];
    bool ok = true;
    while (ok && std::fgets(line, sizeof(line), file) != nullptr) {
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        const std::vector<std::string> fields = SplitTabs(text);
        if (fields[0] == "contents" && fields.size() == 2)
            listing->contents = fields[1];
        else if (fields[0] == "topic" && fields.size() == 5)
            listing->topics.push_back({static_cast<DWORD>(std::strtoul(fields[1].c_str(), nullptr, 10)),
                                       fields[2], fields[3], CollapseSpaces(fields[4])});
        else if (fields[0] == "keyword" && fields.size() == 3)
            listing->keywords.push_back({fields[1], fields[2]});
        else if (fields[0] == "jump" && fields.size() == 5)
            listing->jumps.push_back({fields[1], fields[2], fields[3], fields[4]});
        else {
            *error = path + ": not understood: " + text;
            ok = false;
        }
    }
    std::fclose(file);
    if (ok && (listing->contents.empty() || listing->topics.empty())) {
        *error = path + " names no contents topic or no topics";
        ok = false;
    }
    return ok;
}

std::string CollapseSpaces(const std::string &text)
{
    std::string out;
    for (char ch : text) {
        if (ch == ' ' || ch == '\r' || ch == '\n' || ch == '\t') {
            if (!out.empty() && out.back() != ' ')
                out += ' ';
        } else {
            out += ch;
        }
    }
    if (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

namespace {

struct Request {
    HWND owner;
    const char *file;
    UINT command;
    ULONG_PTR data;
    BOOL answered;
};

DWORD WINAPI SendRequest(LPVOID parameter)
{
    auto *request = static_cast<Request *>(parameter);
    request->answered = WinHelpA(request->owner, request->file, request->command, request->data);
    return 0;
}

/* Sends one request from a thread of its own: WinHelpA waits for the viewer
 * to handle it, and a viewer that asks a question (a file it cannot find)
 * does not answer until the question is. The question is answered No. */
bool SendOnce(HWND owner, const char *file, UINT command, ULONG_PTR data, std::string *question)
{
    auto *request = new Request{owner, file, command, data, FALSE};
    HANDLE thread = CreateThread(nullptr, 0, SendRequest, request, 0, nullptr);
    if (thread == nullptr) {
        delete request;
        return false;
    }
    const DWORD start = GetTickCount();
    bool refused = false;
    while (WaitForSingleObject(thread, 50) == WAIT_TIMEOUT) {
        if (HWND box = FindForeignDialog()) {
            char text[512] = "";
            GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));  /* a message box's text */
            if (question != nullptr)
                *question = text;
            PostMessageA(box, WM_COMMAND, IDNO, 0);
            refused = true;
        }
        if (GetTickCount() - start > kStartWait) {
            CloseHandle(thread);        /* the request stays with its thread */
            return false;
        }
    }
    CloseHandle(thread);
    const bool answered = request->answered && !refused;
    delete request;
    return answered;
}

} // namespace

bool AskHelpViewer(HWND owner, const char *file, UINT command, ULONG_PTR data, std::string *question)
{
    if (SendOnce(owner, file, command, data, question))
        return true;
    if (question != nullptr && !question->empty())
        return false;
    /* Started but not yet up when WinHelpA stopped looking: ask again once
     * its window exists. */
    const DWORD start = GetTickCount();
    while (FindWindowA("MS_WINHELP", nullptr) == nullptr) {
        if (GetTickCount() - start > kStartWait)
            return false;
        Pump(100);
    }
    return SendOnce(owner, file, command, data, question);
}

HWND FindHelpWindow()
{
    HWND found = nullptr;
    EnumWindows(FindMainViewerWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::string HelpWindowText(HWND window)
{
    return CollapseSpaces(RawText(window));
}

bool WaitForHelpText(const std::string &expected, DWORD milliseconds, std::string *seen)
{
    const DWORD start = GetTickCount();
    for (;;) {
        HWND window = FindHelpWindow();
        *seen = window != nullptr ? HelpWindowText(window) : "(no window)";
        if (*seen == expected)
            return true;
        if (GetTickCount() - start > milliseconds)
            return false;
        Pump(50);
    }
}

bool ClickHelpText(HWND window, const std::string &before, const std::string &label)
{
    HWND text = GetDlgItem(window, kTextControl);
    const std::string raw = RawText(window);
    const size_t at = raw.find(before + label);
    if (text == nullptr || at == std::string::npos)
        return false;
    /* The control counts a paragraph's end as one character, its text as two. */
    LONG index = static_cast<LONG>(at + before.size() + label.size() / 2);
    for (size_t crlf = raw.find("\r\n"); crlf != std::string::npos && crlf < at; crlf = raw.find("\r\n", crlf + 2))
        --index;
    const LRESULT where = SendMessageA(text, EM_POSFROMCHAR, index, 0);
    const LPARAM point = MAKELPARAM(LOWORD(where) + 1, HIWORD(where) + 3);
    PostMessageA(text, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostMessageA(text, WM_LBUTTONUP, 0, point);
    return true;
}

HWND OpenHelpIndex(HWND window, DWORD milliseconds)
{
    HWND button = FindDescendant(window, "Button", "Index", 0);
    if (button == nullptr)
        return nullptr;
    PostMessageA(button, BM_CLICK, 0, 0);
    const DWORD start = GetTickCount();
    for (;;) {
        HWND list = nullptr;
        EnumWindows(FindIndexList, reinterpret_cast<LPARAM>(&list));
        if (list != nullptr || GetTickCount() - start > milliseconds)
            return list;
        Pump(50);
    }
}

std::vector<std::string> ListBoxItems(HWND list)
{
    std::vector<std::string> items;
    const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT item = 0; item < count; ++item) {
        /* Asked in Unicode: across processes Wine hands an ANSI caller the
         * list's Unicode text unconverted. */
        WCHAR wide[512] = L"";
        char text[512] = "";
        if (SendMessageW(list, LB_GETTEXTLEN, item, 0) < static_cast<LRESULT>(sizeof(wide) / sizeof(wide[0])))
            SendMessageW(list, LB_GETTEXT, item, reinterpret_cast<LPARAM>(wide));
        WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof(text), nullptr, nullptr);
        items.push_back(text);
    }
    return items;
}

void ChooseIndexEntry(HWND list, int item)
{
    SendMessageA(list, LB_SETCURSEL, item, 0);
    PostMessageA(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(list));
}

HWND FindForeignDialog()
{
    HWND dialog = nullptr;
    EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&dialog));
    return dialog;
}

void QuitHelpViewer()
{
    const DWORD start = GetTickCount();
    while (FindWindowA("MS_WINHELP", nullptr) != nullptr && GetTickCount() - start < kStartWait) {
        if (HWND question = FindForeignDialog())
            PostMessageA(question, WM_COMMAND, IDNO, 0);
        WinHelpA(nullptr, kHelpFileName, HELP_QUIT, 0);
        Pump(200);
    }
}
