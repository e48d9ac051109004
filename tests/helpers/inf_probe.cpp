/*
 * Reads the install file through the platform's setup API, as Windows 95's
 * network class installer and the setup API read it, compares the registry
 * with it, and runs its sections as Windows 95 runs them. One finding per
 * line; exit 1 when there is any.
 *   inf_probe check FILE      a Windows 95 network-client INF with every
 *                             section and key the class installer needs, and
 *                             the same files copied and deleted on every path
 *   inf_probe installed FILE [SECTION]
 *                             every value of SECTION's AddReg (DefaultInstall's
 *                             when none is named) is in the registry as
 *                             written there
 *   inf_probe removed FILE [SECTION]
 *                             none of them is left
 *   inf_probe run FILE SECTION
 *                             runs SECTION, exactly that one, as Windows 95's
 *                             setup runs it (files from the INF's folder);
 *                             prints "kept the newer FILE" for each file
 *                             newer than the disk's that it kept
 * installed and removed print the NT-style ProviderOrder as
 * "ProviderOrder: TEXT", or "ProviderOrder: (none)" when there is no such value.
 */
#include <windows.h>
#include <setupapi.h>

#include "provider_settings.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

int findings = 0;

void Finding(const std::string &text)
{
    std::printf("%s\n", text.c_str());
    ++findings;
}

std::string Field(INFCONTEXT *line, DWORD index)
{
    char text[1024] = "";
    return SetupGetStringFieldA(line, index, text, sizeof(text), nullptr) ? text : "";
}

bool HasSection(HINF inf, const std::string &section)
{
    INFCONTEXT line;
    return SetupFindFirstLineA(inf, section.c_str(), nullptr, &line) != FALSE;
}

/* The value of "key = value" in a section, or "". */
std::string Value(HINF inf, const char *section, const char *key)
{
    INFCONTEXT line;
    return SetupFindFirstLineA(inf, section, key, &line) ? Field(&line, 1) : "";
}

/* The section names a directive (AddReg, CopyFiles, ...) of a section lists. */
std::vector<std::string> Named(HINF inf, const std::string &section, const char *directive)
{
    std::vector<std::string> names;
    INFCONTEXT line;
    for (BOOL ok = SetupFindFirstLineA(inf, section.c_str(), directive, &line); ok;
         ok = SetupFindNextMatchLineA(&line, directive, &line))
        for (DWORD i = 1; i <= SetupGetFieldCount(&line); ++i)
            names.push_back(Field(&line, i));
    return names;
}

/* Calls visit(list, file, line) for each file of each list a section's
 * CopyFiles or DelFiles names. */
template <typename Visit>
void ForEachFile(HINF inf, const std::string &section, const char *directive, Visit visit)
{
    for (const std::string &list : Named(inf, section, directive)) {
        INFCONTEXT line;
        for (BOOL ok = SetupFindFirstLineA(inf, list.c_str(), nullptr, &line); ok; ok = SetupFindNextLine(&line, &line))
            visit(list, Field(&line, 1), &line);
    }
}

/* The files a section copies or deletes, by destination dirid from
 * [DestinationDirs]: "10: A; 11: B C". */
std::string FilesByFolder(HINF inf, const std::string &section, const char *directive)
{
    std::map<std::string, std::string> folders;
    ForEachFile(inf, section, directive, [&](const std::string &list, const std::string &file, INFCONTEXT *) {
        std::string &files = folders[Value(inf, "DestinationDirs", list.c_str())];
        files += (files.empty() ? "" : " ") + file;
    });
    std::string text;
    for (const auto &[folder, files] : folders)
        text += (text.empty() ? "" : "; ") + folder + ": " + files;
    return text;
}

struct RegistryLine {
    std::string root, key, value;
    int flags;
    std::vector<BYTE> data;
};

/* The lines of the AddReg sections a section names. */
std::vector<RegistryLine> AddRegLines(HINF inf, const std::string &section)
{
    std::vector<RegistryLine> lines;
    for (const std::string &name : Named(inf, section, "AddReg")) {
        INFCONTEXT line;
        for (BOOL ok = SetupFindFirstLineA(inf, name.c_str(), nullptr, &line); ok; ok = SetupFindNextLine(&line, &line)) {
            RegistryLine entry{Field(&line, 1), Field(&line, 2), Field(&line, 3), 0, {}};
            INT flags = 0;
            SetupGetIntField(&line, 4, &flags);
            entry.flags = flags;
            if (flags & 1) {
                BYTE bytes[256];
                DWORD size = 0;
                if (SetupGetBinaryField(&line, 5, bytes, sizeof(bytes), &size))
                    entry.data.assign(bytes, bytes + size);
            } else {
                const std::string text = Field(&line, 5);
                entry.data.assign(text.begin(), text.end());
                entry.data.push_back(0);
            }
            lines.push_back(entry);
        }
    }
    return lines;
}

void CheckNetworkClient(HINF inf)
{
    alignas(SP_INF_INFORMATION) BYTE buffer[4096];
    auto *information = reinterpret_cast<SP_INF_INFORMATION *>(buffer);
    DWORD size = 0;
    if (!SetupGetInfInformationA(inf, INFINFO_INF_SPEC_IS_HINF, information, sizeof(buffer), &size))
        Finding("SetupGetInfInformationA failed: " + std::to_string(GetLastError()));
    else if (information->InfStyle != INF_STYLE_WIN4)
        Finding("not a Windows 95 (Win4-style) INF: style " + std::to_string(information->InfStyle));
    if (lstrcmpiA(Value(inf, "Version", "Signature").c_str(), "$CHICAGO$") != 0)
        Finding("[Version] Signature is not \"$CHICAGO$\"");
    if (Value(inf, "Version", "Class") != "NetClient")
        Finding("[Version] Class is not NetClient");
    if (Value(inf, "Version", "Provider").empty())
        Finding("[Version] has no Provider");
    if (HasSection(inf, "ClassInstall"))
        Finding("a [ClassInstall] section: only the platform's own network INFs may have one");

    /* The sections that install and remove the client: the setup API's, and
     * those the Network control panel runs (Ndi\Install, Ndi\Remove). */
    std::vector<std::string> installs = {"DefaultInstall", "DefaultInstall.NT"};
    std::vector<std::string> removes = {"DefaultUninstall", "DefaultUninstall.NT"};
    INFCONTEXT maker;
    if (!SetupFindFirstLineA(inf, "Manufacturer", nullptr, &maker))
        Finding("no [Manufacturer] section");
    for (BOOL ok = maker.Inf != nullptr; ok; ok = SetupFindNextLine(&maker, &maker)) {
        const std::string models = Field(&maker, 1);
        INFCONTEXT model;
        if (!SetupFindFirstLineA(inf, models.c_str(), nullptr, &model))
            Finding("the manufacturer's models section [" + models + "] is missing");
        for (BOOL more = model.Inf != nullptr && HasSection(inf, models); more;
             more = SetupFindNextLine(&model, &model)) {
            const std::string registration = Field(&model, 1), deviceId = Field(&model, 2);
            if (deviceId.empty())
                Finding("the model line of [" + models + "] has no device id");
            if (!HasSection(inf, registration)) {
                Finding("the registration section [" + registration + "] is missing");
                continue;
            }
            /* The Ndi keys the class installer reads, under HKR. */
            bool deviceIdSet = false, helpText = false;
            std::vector<std::string> interfaces;
            for (const RegistryLine &line : AddRegLines(inf, registration)) {
                if (line.root != "HKR")
                    continue;
                const std::string text(line.data.begin(), line.data.end() - (line.data.empty() ? 0 : 1));
                if (line.key == "Ndi" && line.value == "DeviceID")
                    deviceIdSet = text == deviceId;
                if (line.key == "Ndi" && line.value == "HelpText")
                    helpText = !text.empty() && text.find('%') == std::string::npos;
                if ((line.key == "Ndi\\Install" || line.key == "Ndi\\Remove") && line.value.empty()) {
                    if (!HasSection(inf, text))
                        Finding(line.key + " names [" + text + "], which is missing");
                    (line.key == "Ndi\\Install" ? installs : removes).push_back(text);
                }
                if (line.key == "Ndi\\Install" || line.key == "Ndi\\Remove")
                    interfaces.push_back(line.key);
                if (line.key == "Ndi\\Interfaces" && !text.empty())
                    interfaces.push_back(line.value);
            }
            if (!deviceIdSet)
                Finding("Ndi DeviceID is not the model's device id " + deviceId);
            if (!helpText)
                Finding("Ndi has no HelpText");
            for (const char *needed : {"Ndi\\Install", "Ndi\\Remove", "DefUpper", "UpperRange", "DefLower", "LowerRange"})
                if (std::find(interfaces.begin(), interfaces.end(), needed) == interfaces.end())
                    Finding(std::string("the registration section sets no ") + needed);
        }
    }

    for (const char *section : {"DefaultInstall", "DefaultUninstall", "DefaultInstall.NT", "DefaultUninstall.NT"})
        if (!HasSection(inf, section))
            Finding(std::string("no [") + section + "] section");
    /* On every path the three DLLs go to the system folder (11) and the help
     * file to the Windows folder (10), and come out of them again; every file
     * is on the disk's list. */
    const std::string expected = "10: ZORNET32.HLP; 11: ZORNET32.DLL ZORN3216.DLL QENREGIO.DLL";
    std::set<std::string> unlisted;
    for (const auto &[sections, directive] : {std::pair{installs, "CopyFiles"}, {removes, "DelFiles"}})
        for (const std::string &section : sections) {
            const std::string files = FilesByFolder(inf, section, directive);
            if (files != expected)
                Finding("[" + section + "] " + directive + " has \"" + files + "\", not \"" + expected + "\"");
            ForEachFile(inf, section, directive, [&](const std::string &, const std::string &file, INFCONTEXT *) {
                if (Value(inf, "SourceDisksFiles", file.c_str()).empty())
                    unlisted.insert(file);
            });
        }
    for (const std::string &file : unlisted)
        Finding(file + " is not in [SourceDisksFiles]");
    for (const RegistryLine &line : AddRegLines(inf, "DefaultInstall"))
        if (std::string(line.data.begin(), line.data.end()).find('%') != std::string::npos)
            Finding("an unresolved string in " + line.key + " " + line.value);
}

HKEY Root(const std::string &name)
{
    return name == "HKLM" ? HKEY_LOCAL_MACHINE : name == "HKCU" ? HKEY_CURRENT_USER : nullptr;
}

void CheckRegistry(HINF inf, bool installed, const std::string &section)
{
    const std::vector<RegistryLine> lines = AddRegLines(inf, section);
    if (lines.empty())
        Finding("[" + section + "] adds nothing to the registry");
    for (const RegistryLine &line : lines) {
        const std::string name = line.root + "\\" + line.key + " " + line.value;
        HKEY key = nullptr;
        BYTE data[1024];
        DWORD type = 0, size = sizeof(data);
        const bool present = Root(line.root) != nullptr &&
                             RegOpenKeyExA(Root(line.root), line.key.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS &&
                             RegQueryValueExA(key, line.value.c_str(), nullptr, &type, data, &size) == ERROR_SUCCESS;
        if (key != nullptr)
            RegCloseKey(key);
        if (!installed && present)
            Finding(name + " is still there");
        if (installed && !present)
            Finding(name + " is missing");
        const DWORD expectedType = (line.flags & 1) ? REG_BINARY : REG_SZ;
        if (installed && present &&
            (type != expectedType || std::vector<BYTE>(data, data + size) != line.data))
            Finding(name + " differs from the install file");
    }
    std::string order;
    std::printf("ProviderOrder: %s\n", ReadProviderOrder(&order) ? order.c_str() : "(none)");
}

/* The flags (the fourth field) of the line of a section's CopyFiles lists
 * that copies file; -1 when no line does. */
int CopyFlags(HINF inf, const std::string &section, const std::string &file)
{
    int flags = -1;
    ForEachFile(inf, section, "CopyFiles", [&](const std::string &, const std::string &name, INFCONTEXT *line) {
        INT value = 0;
        if (flags < 0 && lstrcmpiA(name.c_str(), file.c_str()) == 0)
            flags = SetupGetIntField(line, 4, &value) ? value : 0;
    });
    return flags;
}

std::string Narrow(const wchar_t *text)
{
    char narrow[MAX_PATH * 2] = "";
    WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof(narrow), nullptr, nullptr);
    return narrow;
}

struct SectionRun {
    HINF inf;
    std::string section;
    void *queueContext; /* the setup API's own callback's */
};

/* Windows 95's setup keeps an installed file newer than the disk's without
 * asking only when its copy line says so. */
constexpr int kNoVersionDialog = 0x20; /* COPYFLG_NO_VERSION_DIALOG */

/* The setup API's own queue callback, but as Windows 95's setup would see the
 * run: a file that cannot be copied is a finding (it would stop and ask for
 * the disk), and so is an installed file newer than the disk's whose copy
 * line does not ask to keep it silently (it would ask the user). The newer
 * file is kept either way. */
UINT CALLBACK AsWindows95Sees(void *context, UINT notification, UINT_PTR param1, UINT_PTR param2)
{
    const auto *run = static_cast<const SectionRun *>(context);
    const auto *paths = reinterpret_cast<const FILEPATHS_W *>(param1);
    if (notification == SPFILENOTIFY_COPYERROR) {
        Finding("cannot copy " + Narrow(paths->Source) + " to " + Narrow(paths->Target) + ": error " +
                std::to_string(paths->Win32Error));
        return FILEOP_SKIP;
    }
    if (notification == SPFILENOTIFY_TARGETNEWER) {
        const std::string target = Narrow(paths->Target);
        const std::string file = target.substr(target.find_last_of('\\') + 1);
        const int flags = CopyFlags(run->inf, run->section, file);
        if (flags < 0 || (flags & kNoVersionDialog) == 0)
            Finding("Windows 95's setup would ask whether to keep the newer " + target);
        std::printf("kept the newer %s\n", target.c_str());
        return FALSE;
    }
    return SetupDefaultQueueCallbackW(run->queueContext, notification, param1, param2);
}

/* Runs one section under exactly its name, as Windows 95's setup runs it: its
 * files (an installed file newer than the disk's kept), registry and INI
 * entries, but none of what only the NT-style setup API knows (RegisterDlls,
 * UnregisterDlls, ProfileItems, BitReg, CopyINF). */
void RunSection(HINF inf, const std::string &section)
{
    if (!HasSection(inf, section)) {
        Finding("no [" + section + "] section");
        return;
    }
    constexpr UINT kWindows95 =
        SPINST_ALL & ~(SPINST_REGSVR | SPINST_UNREGSVR | SPINST_PROFILEITEMS | SPINST_BITREG | SPINST_COPYINF);
    SectionRun run{inf, section, SetupInitDefaultQueueCallback(nullptr)};
    wchar_t name[256];
    MultiByteToWideChar(CP_ACP, 0, section.c_str(), -1, name, 256);
    if (!SetupInstallFromInfSectionW(nullptr, inf, name, kWindows95, nullptr, nullptr, SP_COPY_NEWER,
                                     AsWindows95Sees, &run, nullptr, nullptr))
        Finding("SetupInstallFromInfSectionW [" + section + "]: error " + std::to_string(GetLastError()));
    SetupTermDefaultQueueCallback(run.queueContext);
}

} // namespace

int main(int argc, char **argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    const bool valid = (command == "check" && argc == 3) || (command == "run" && argc == 4) ||
                       ((command == "installed" || command == "removed") && (argc == 3 || argc == 4));
    if (!valid) {
        std::printf("usage: inf_probe check FILE | installed|removed FILE [SECTION] | run FILE SECTION\n");
        return 2;
    }
    UINT errorLine = 0;
    HINF inf = SetupOpenInfFileA(argv[2], nullptr, INF_STYLE_WIN4, &errorLine);
    if (inf == INVALID_HANDLE_VALUE) {
        std::printf("SetupOpenInfFileA refused %s: error %lu, line %u\n", argv[2], GetLastError(), errorLine);
        return 1;
    }
    const std::string section = argc == 4 ? argv[3] : "DefaultInstall";
    if (command == "check")
        CheckNetworkClient(inf);
    else if (command == "run")
        RunSection(inf, section);
    else
        CheckRegistry(inf, command == "installed", section);
    SetupCloseInfFile(inf);
    std::printf("%d findings\n", findings);
    return findings == 0 ? 0 : 1;
}
