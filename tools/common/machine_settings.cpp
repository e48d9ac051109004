#include "machine_settings.h"

#include "registry_key.h"
#include "router_entries.h"

#include <setupapi.h>

namespace {

constexpr char kOrderKey[] = "System\\CurrentControlSet\\Control\\NetworkProvider\\Order";
constexpr char kPasswordProviderKey[] = "System\\CurrentControlSet\\Control\\PwdProvider\\ZORNET32";
constexpr char kInstallFile[] = "ZORNET.INF";

bool FileExists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

/* An open INF that is closed on every path. */
class InfFile {
public:
    explicit InfFile(const std::string &path)
        : inf_(SetupOpenInfFileA(path.c_str(), nullptr, INF_STYLE_WIN4, nullptr)) {}
    InfFile(const InfFile &) = delete;
    InfFile &operator=(const InfFile &) = delete;
    ~InfFile()
    {
        if (inf_ != INVALID_HANDLE_VALUE)
            SetupCloseInfFile(inf_);
    }
    bool Opened() const { return inf_ != INVALID_HANDLE_VALUE; }
    operator HINF() const { return inf_; }

    /* The section the setup API's InstallHinfSection runs on this system: the
     * .NT variant where there is one. */
    std::string SectionFor(const std::string &base) const
    {
        INFCONTEXT line;
        const std::string nt = base + ".NT";
        return SetupFindFirstLineA(inf_, nt.c_str(), nullptr, &line) ? nt : base;
    }

private:
    HINF inf_;
};

/*
 * Runs the registry part of one of the install file's sections through the
 * setup API: its AddReg or DelReg and its RegisterDlls or UnregisterDlls.
 * Files are not copied: the console runs beside the DLLs it loads.
 */
DWORD ApplyInstallFile(const char *section, UINT what, std::string *log)
{
    const std::string file = ProgramFolder() + kInstallFile;
    if (!FileExists(file)) {
        *log += "the install file " + file + " is missing\n";
        return ERROR_FILE_NOT_FOUND;
    }
    InfFile inf(file);
    if (!inf.Opened()) {
        const DWORD error = GetLastError();
        *log += "the setup API cannot read " + file + "\n";
        return error != 0 ? error : ERROR_GEN_FAILURE;
    }
    const std::string chosen = inf.SectionFor(section);
    if (!SetupInstallFromInfSectionA(nullptr, inf, chosen.c_str(), what, nullptr, nullptr, 0, nullptr, nullptr,
                                     nullptr, nullptr)) {
        const DWORD error = GetLastError();
        *log += "the setup API could not apply [" + chosen + "] of " + file + "\n";
        return error != 0 ? error : ERROR_GEN_FAILURE;
    }
    *log += "applied the registry entries of [" + chosen + "] of " + file + "\n";
    return 0;
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

DWORD InstallProvider(std::string *log)
{
    const DWORD status = ApplyInstallFile("DefaultInstall", SPINST_REGISTRY | SPINST_REGSVR, log);
    if (status != 0)
        return status;
    std::string name, path, passwordPath, order;
    if (!ReadSettingText(HKEY_LOCAL_MACHINE, kProviderKey, "Name", &name) ||
        !ReadSettingText(HKEY_LOCAL_MACHINE, kProviderKey, "ProviderPath", &path) ||
        !ReadSettingText(HKEY_LOCAL_MACHINE, kPasswordProviderKey, "ProviderPath", &passwordPath) ||
        !ReadSettingText(HKEY_LOCAL_MACHINE, kOrderKey, "ProviderOrder", &order)) {
        *log += "the provider's keys are not in the registry after the install file was applied\n";
        return ERROR_FILE_NOT_FOUND;
    }
    *log += "network provider \"" + name + "\" (" + path + "), password provider " + passwordPath + "\n";
    *log += "router provider order: " + order + "\n";
    return 0;
}

DWORD UninstallProvider(std::string *log)
{
    const DWORD status = ApplyInstallFile("DefaultUninstall", SPINST_REGISTRY | SPINST_UNREGSVR, log);
    if (status != 0)
        return status;
    std::string path, order;
    if (ReadSettingText(HKEY_LOCAL_MACHINE, kProviderKey, "ProviderPath", &path)) {
        *log += "the provider's keys are still in the registry after the install file was applied\n";
        return ERROR_GEN_FAILURE;
    }
    *log += "router provider order: " +
            (ReadSettingText(HKEY_LOCAL_MACHINE, kOrderKey, "ProviderOrder", &order) ? order : "(none)") + "\n";
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
