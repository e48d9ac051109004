/*
 * Reads the install file through the platform's setup API, as Windows 95's
 * network class installer and the setup API read it, and compares the
 * registry with it. One finding per line; exit 1 when there is any.
 *   inf_probe check FILE      a Windows 95 network-client INF with every
 *                             section and key the class installer needs
 *   inf_probe installed FILE  every value of DefaultInstall's AddReg is in the
 *                             registry as written there; ProviderOrder names
 *                             ZORNET32 exactly once
 *   inf_probe removed FILE    none of them is left
 * The last two print the NT-style ProviderOrder as "ProviderOrder: TEXT".
 */
#include <windows.h>
#include <setupapi.h>

#include <cstdio>
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
                if ((line.key == "Ndi\\Install" || line.key == "Ndi\\Remove") && line.value.empty() &&
                    !HasSection(inf, text))
                    Finding(line.key + " names [" + text + "], which is missing");
                if (line.key == "Ndi\\Install" || line.key == "Ndi\\Remove")
                    interfaces.push_back(line.key);
                if (line.key == "Ndi\\Interfaces" && !text.empty())
                    interfaces.push_back(line.value);
            }
            if (!deviceIdSet)
                Finding("Ndi DeviceID is not the model's device id " + deviceId);
            if (!helpText)
                Finding("Ndi has no HelpText");
            for (const char *needed : {"Ndi\\Install", "Ndi\\Remove", "DefUpper", "UpperRange", "DefLower", "LowerRange"}) {
                bool found = false;
                for (const std::string &name : interfaces)
                    found = found || name == needed;
                if (!found)
                    Finding(std::string("the registration section sets no ") + needed);
            }
        }
    }

    for (const char *section : {"DefaultInstall", "DefaultUninstall", "DefaultInstall.NT", "DefaultUninstall.NT"})
        if (!HasSection(inf, section))
            Finding(std::string("no [") + section + "] section");
    /* The three DLLs go to the system folder (11) and come out of it again. */
    for (const auto &[section, directive] : {std::pair{"DefaultInstall", "CopyFiles"}, {"DefaultUninstall", "DelFiles"}}) {
        std::string files;
        for (const std::string &list : Named(inf, section, directive)) {
            if (Value(inf, "DestinationDirs", list.c_str()) != "11")
                Finding("[" + list + "] does not go to the system folder (11)");
            INFCONTEXT line;
            for (BOOL ok = SetupFindFirstLineA(inf, list.c_str(), nullptr, &line); ok; ok = SetupFindNextLine(&line, &line))
                files += Field(&line, 1) + " ";
        }
        if (files != "ZORNET32.DLL ZORN3216.DLL QENREGIO.DLL ")
            Finding(std::string("[") + section + "] " + directive + " lists \"" + files + "\"");
    }
    for (const RegistryLine &line : AddRegLines(inf, "DefaultInstall"))
        if (std::string(line.data.begin(), line.data.end()).find('%') != std::string::npos)
            Finding("an unresolved string in " + line.key + " " + line.value);
}

HKEY Root(const std::string &name)
{
    return name == "HKLM" ? HKEY_LOCAL_MACHINE : name == "HKCU" ? HKEY_CURRENT_USER : nullptr;
}

void CheckRegistry(HINF inf, bool installed)
{
    for (const RegistryLine &line : AddRegLines(inf, "DefaultInstall")) {
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
    HKEY key = nullptr;
    char order[1024] = "";
    DWORD size = sizeof(order) - 1;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\NetworkProvider\\Order", 0,
                      KEY_READ, &key) == ERROR_SUCCESS) {
        RegQueryValueExA(key, "ProviderOrder", nullptr, nullptr, reinterpret_cast<BYTE *>(order), &size);
        RegCloseKey(key);
    }
    std::printf("ProviderOrder: %s\n", order);
    if (installed) {
        const std::string list = std::string(",") + order + ",";
        const size_t first = list.find(",ZORNET32,");
        if (first == std::string::npos || list.find(",ZORNET32,", first + 1) != std::string::npos)
            Finding("ProviderOrder does not name ZORNET32 exactly once");
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::printf("usage: inf_probe check|installed|removed FILE\n");
        return 2;
    }
    const std::string command = argv[1];
    UINT errorLine = 0;
    HINF inf = SetupOpenInfFileA(argv[2], nullptr, INF_STYLE_WIN4, &errorLine);
    if (inf == INVALID_HANDLE_VALUE) {
        std::printf("SetupOpenInfFileA refused %s: error %lu, line %u\n", argv[2], GetLastError(), errorLine);
        return 1;
    }
    if (command == "check")
        CheckNetworkClient(inf);
    else
        CheckRegistry(inf, command == "installed");
    SetupCloseInfFile(inf);
    std::printf("%d findings\n", findings);
    return findings == 0 ? 0 : 1;
}
