#include "dialog_driver.h"

#include <cstring>

namespace {

std::vector<HelpRequest> helpRequests;

} // namespace

DialogDriver::Step ExpectMessage(UINT id, int answer)
{
    return [id, answer](HWND box) {
        const std::string text = ProviderString(GetModuleHandleA("ZORNET32.DLL"), id);
        EXPECT_FALSE(text.empty()) << "the provider has no string " << id;
        EXPECT_TRUE(IsMessageBox(box));
        EXPECT_EQ("ZOR Networks Client", Caption(box));
        EXPECT_EQ(text, MessageText(box)) << "string " << id;
        EXPECT_NE(nullptr, GetDlgItem(box, answer)) << "no button " << answer << " to press";
        Press(box, answer);
    };
}

namespace {

BOOL WINAPI RecordHelp(HWND window, LPCSTR file, UINT command, ULONG_PTR data)
{
    EXPECT_STREQ(ZORNET32_HELP_FILE, file);
    DWORD topic = 0;
    for (auto *pair = reinterpret_cast<const DWORD *>(data); pair != nullptr && (pair[0] != 0 || pair[1] != 0);
         pair += 2)
        if (topic == 0 && pair[0] == static_cast<DWORD>(GetDlgCtrlID(window)))
            topic = pair[1];
    helpRequests.push_back({command, topic});
    return TRUE;
}

} // namespace

HelpRecorder::HelpRecorder(HMODULE provider)
{
    helpRequests.clear();
    auto *base = reinterpret_cast<BYTE *>(provider);
    auto *dos = reinterpret_cast<IMAGE_DOS_HEADER *>(base);
    auto *nt = reinterpret_cast<IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY &imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto *descriptor = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR *>(base + imports.VirtualAddress);
         descriptor->Name != 0; ++descriptor) {
        if (lstrcmpiA(reinterpret_cast<char *>(base + descriptor->Name), "USER32.dll") != 0)
            continue;
        auto *names = reinterpret_cast<IMAGE_THUNK_DATA *>(base + descriptor->OriginalFirstThunk);
        auto *slots = reinterpret_cast<IMAGE_THUNK_DATA *>(base + descriptor->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            auto *byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME *>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<char *>(byName->Name), "WinHelpA") == 0)
                slot_ = reinterpret_cast<void **>(&slots->u1.Function);
        }
    }
    if (slot_ == nullptr) {
        ADD_FAILURE() << "the provider does not import WinHelpA";
        return;
    }
    DWORD old;
    VirtualProtect(slot_, sizeof(void *), PAGE_READWRITE, &old);
    original_ = *slot_;
    *slot_ = reinterpret_cast<void *>(RecordHelp);
    VirtualProtect(slot_, sizeof(void *), old, &old);
}

HelpRecorder::~HelpRecorder()
{
    if (slot_ == nullptr)
        return;
    DWORD old;
    VirtualProtect(slot_, sizeof(void *), PAGE_READWRITE, &old);
    *slot_ = original_;
    VirtualProtect(slot_, sizeof(void *), old, &old);
}

const std::vector<HelpRequest> &HelpRecorder::Requests() const
{
    return helpRequests;
}
