#include "machine_settings.h"

#include "registry_key.h"
#include "router_entries.h"

#include <vector>

namespace {

constexpr char kOrderKey[] = "System\\CurrentControlSet\\Control\\NetworkProvider\\Order";
constexpr char kPasswordProviderKey[] = "System\\CurrentControlSet\\Control\\PwdProvider\\ZORNET32";
constexpr char kProviderName[] = "ZORNET32";
constexpr DWORD kRegeditTimeout = 60000;

/* Runs the platform's regedit on a file, silently; returns its exit code or an error. */
DWORD RunRegedit(const std::string &file)
{
    std::string commandLine = "regedit.exe /S \"" + file + "\"";
    std::vector<char> writable(commandLine.begin(), commandLine.end());
    writable.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return GetLastError();
    DWORD exitCode = ERROR_TIMEOUT;
    if (WaitForSingleObject(process.hProcess, kRegeditTimeout) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &exitCode);
    else
        TerminateProcess(process.hProcess, ERROR_TIMEOUT);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exitCode;
}

bool FileExists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

bool ReadSettingText(HKEY root, const char *path, const char *name, std::string *text)
{
    RegistryKey key;
    if (key.Open(root, path) != ERROR_SUCCESS)
        return false;
    char data[1024] = "";
    DWORD size = sizeof(data) - 1; /* room for a terminator the data may lack */
    DWORD type = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(data), &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    data[size] = '\0';
    *text = data;
    return true;
}

LONG WriteSettingText(HKEY root, const char *path, const char *name, const std::string &text)
{
    RegistryKey key;
    const LONG status = key.Create(root, path);
    if (status != ERROR_SUCCESS)
        return status;
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1));
}

LONG WriteSettingNumber(HKEY root, const char *path, const char *name, DWORD number)
{
    RegistryKey key;
    const LONG status = key.Create(root, path);
    if (status != ERROR_SUCCESS)
        return status;
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&number), sizeof(number));
}

LONG DeleteSetting(HKEY root, const char *path, const char *name)
{
    RegistryKey key;
    LONG status = key.Open(root, path);
    if (status == ERROR_SUCCESS)
        status = RegDeleteValueA(key, name);
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

std::string ProgramFolder()
{
    char path[MAX_PATH] = "";
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length >= MAX_PATH)
        length = 0;
    while (length > 0 && path[length - 1] != '\\' && path[length - 1] != '/')
        --length;
    return std::string(path, length);
}

bool ProviderOrderNames(const std::string &list, const char *provider)
{
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(',', start);
        if (end == std::string::npos)
            end = list.size();
        std::string entry = list.substr(start, end - start);
        while (!entry.empty() && entry.front() == ' ')
            entry.erase(0, 1);
        while (!entry.empty() && entry.back() == ' ')
            entry.pop_back();
        if (lstrcmpiA(entry.c_str(), provider) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

DWORD InstallProvider(std::string *log)
{
    const std::string file = ProgramFolder() + "zornet32.reg";
    if (!FileExists(file)) {
        *log += "the install file " + file + " is missing\n";
        return ERROR_FILE_NOT_FOUND;
    }

    /* The install file names only this provider in the NT-style order; the
     * providers listed before it stay listed, this one last. */
    std::string previousOrder;
    const bool hadOrder = ReadSettingText(HKEY_LOCAL_MACHINE, kOrderKey, "ProviderOrder", &previousOrder);

    const DWORD applied = RunRegedit(file);
    if (applied != 0) {
        *log += "regedit could not apply " + file + "\n";
        return applied;
    }
    *log += "applied " + file + " with regedit\n";

    if (hadOrder && !previousOrder.empty()) {
        std::string order = previousOrder;
        if (!ProviderOrderNames(order, kProviderName))
            order += std::string(",") + kProviderName;
        const LONG status = WriteSettingText(HKEY_LOCAL_MACHINE, kOrderKey, "ProviderOrder", order);
        if (status != ERROR_SUCCESS)
            return static_cast<DWORD>(status);
    }

    std::string name, path, passwordPath, order;
    if (!ReadSettingText(HKEY_LOCAL_MACHINE, kProviderKey, "Name", &name) ||
        !ReadSettingText(HKEY_LOCAL_MACHINE, kProviderKey, "ProviderPath", &path) ||
        !ReadSettingText(HKEY_LOCAL_MACHINE, kPasswordProviderKey, "ProviderPath", &passwordPath) ||
        !ReadSettingText(HKEY_LOCAL_MACHINE, kOrderKey, "ProviderOrder", &order)) {
        *log += "the provider's keys are not in the registry after regedit\n";
        return ERROR_FILE_NOT_FOUND;
    }
    *log += "network provider \"" + name + "\" (" + path + "), password provider " + passwordPath + "\n";
    *log += "router provider order: " + order + "\n";
    return 0;
}

LONG RememberDomain(const std::string &domain)
{
    /* Value names are matched without regard to case: a value left under
     * another spelling would keep that spelling, so start from none. */
    LONG status = DeleteSetting(HKEY_LOCAL_MACHINE, kProviderKey, "AuthenticatingAgent");
    if (status == ERROR_SUCCESS && !domain.empty())
        status = WriteSettingText(HKEY_LOCAL_MACHINE, kProviderKey, "AuthenticatingAgent", domain);
    return status;
}

LONG ConfigurePolicyPath(const std::string &path)
{
    LONG status = WriteSettingNumber(HKEY_LOCAL_MACHINE, kUpdateKey, "UpdateMode", 1);
    if (status == ERROR_SUCCESS)
        status = WriteSettingNumber(HKEY_LOCAL_MACHINE, kUpdateKey, "UseDefaultNetLocation", 0);
    if (status == ERROR_SUCCESS)
        status = WriteSettingText(HKEY_LOCAL_MACHINE, kUpdateKey, "NetworkPath", path);
    return status;
}

LONG UseDefaultPolicyPath()
{
    LONG status = WriteSettingNumber(HKEY_LOCAL_MACHINE, kUpdateKey, "UpdateMode", 1);
    if (status == ERROR_SUCCESS)
        status = WriteSettingNumber(HKEY_LOCAL_MACHINE, kUpdateKey, "UseDefaultNetLocation", 1);
    return status;
}

LONG TurnPolicyPathOff()
{
    return WriteSettingNumber(HKEY_LOCAL_MACHINE, kUpdateKey, "UpdateMode", 0);
}
