#include "inf_install.h"

#include "child_process.h"
#include "network_provider.h"
#include "provider_settings.h"
#include "registry_values.h"

#include <setupapi.h>

namespace {

const std::string kPasswordProviderKey = std::string(kPasswordProvidersKey) + "\\" + kProviderName;
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

DWORD InstallProvider(std::string *log)
{
    const DWORD status = ApplyInstallFile("DefaultInstall", SPINST_REGISTRY | SPINST_REGSVR, log);
    if (status != 0)
        return status;
    std::string name, path, passwordPath, order;
    if (!ReadTextValue(HKEY_LOCAL_MACHINE, kProviderKey, "Name", &name) ||
        !ReadTextValue(HKEY_LOCAL_MACHINE, kProviderKey, "ProviderPath", &path) ||
        !ReadTextValue(HKEY_LOCAL_MACHINE, kPasswordProviderKey.c_str(), "ProviderPath", &passwordPath) ||
        !ReadProviderOrder(&order)) {
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
    if (ReadTextValue(HKEY_LOCAL_MACHINE, kProviderKey, "ProviderPath", &path)) {
        *log += "the provider's keys are still in the registry after the install file was applied\n";
        return ERROR_GEN_FAILURE;
    }
    *log += "router provider order: " +
            (ReadProviderOrder(&order) ? order : "(none)") + "\n";
    return 0;
}
