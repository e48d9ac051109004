#include "image_audit.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>

namespace {

std::string Upper(std::string text)
{
    for (char &c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string Trimmed(const std::string &line)
{
    const size_t comment = line.find('#');
    std::string text = line.substr(0, comment);
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

/* A PE image read from disk; every read is checked against the file's end. */
class Image {
public:
    explicit Image(const std::string &path)
    {
        std::ifstream file(path, std::ios::binary);
        bytes_.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        const auto *dos = At<IMAGE_DOS_HEADER>(0);
        if (dos == nullptr || dos->e_magic != IMAGE_DOS_SIGNATURE)
            return;
        nt_ = At<IMAGE_NT_HEADERS32>(dos->e_lfanew);
        if (nt_ == nullptr || nt_->Signature != IMAGE_NT_SIGNATURE ||
            nt_->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
            nt_ = nullptr;
            return;
        }
        const size_t sections = static_cast<size_t>(dos->e_lfanew) + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) +
                                nt_->FileHeader.SizeOfOptionalHeader;
        for (WORD i = 0; i < nt_->FileHeader.NumberOfSections; ++i) {
            const auto *section = At<IMAGE_SECTION_HEADER>(sections + i * sizeof(IMAGE_SECTION_HEADER));
            if (section == nullptr) {
                nt_ = nullptr;
                return;
            }
            sections_.push_back(*section);
        }
    }

    bool Valid() const { return nt_ != nullptr; }
    const IMAGE_OPTIONAL_HEADER32 &Optional() const { return nt_->OptionalHeader; }
    const IMAGE_DATA_DIRECTORY &Directory(int index) const
    {
        static const IMAGE_DATA_DIRECTORY none = {};
        return index < static_cast<int>(Optional().NumberOfRvaAndSizes) ? Optional().DataDirectory[index]
                                                                         : none;
    }

    /* The object at a relative virtual address, or null outside the file. */
    template <class T> const T *AtRva(DWORD rva) const
    {
        const long offset = FileOffset(rva);
        return offset < 0 ? nullptr : At<T>(static_cast<size_t>(offset));
    }
    /* The zero-terminated text at a relative virtual address, or "" outside the file. */
    std::string TextAt(DWORD rva) const
    {
        const long offset = FileOffset(rva);
        if (offset < 0)
            return "";
        const char *text = reinterpret_cast<const char *>(bytes_.data()) + offset;
        const size_t room = bytes_.size() - static_cast<size_t>(offset);
        return std::string(text, strnlen(text, room));
    }

private:
    template <class T> const T *At(size_t offset) const
    {
        if (offset > bytes_.size() || bytes_.size() - offset < sizeof(T))
            return nullptr;
        return reinterpret_cast<const T *>(bytes_.data() + offset);
    }
    long FileOffset(DWORD rva) const
    {
        for (const IMAGE_SECTION_HEADER &section : sections_)
            if (rva >= section.VirtualAddress && rva - section.VirtualAddress < section.SizeOfRawData)
                return static_cast<long>(rva - section.VirtualAddress + section.PointerToRawData);
        return -1;
    }

    std::vector<unsigned char> bytes_;
    const IMAGE_NT_HEADERS32 *nt_ = nullptr;
    std::vector<IMAGE_SECTION_HEADER> sections_;
};

void AuditHeaders(const Image &image, std::vector<std::string> &findings)
{
    const IMAGE_DATA_DIRECTORY &tls = image.Directory(IMAGE_DIRECTORY_ENTRY_TLS);
    if (tls.VirtualAddress != 0 || tls.Size != 0)
        findings.push_back("has a TLS directory (data directory 9): Windows 95's LoadLibrary refuses it");
    const WORD major = image.Optional().MajorSubsystemVersion;
    const WORD minor = image.Optional().MinorSubsystemVersion;
    if (major > 4 || (major == 4 && minor > 0))
        findings.push_back("asks for subsystem version " + std::to_string(major) + "." + std::to_string(minor) +
                           ": Windows 95 refuses anything above 4.0");
}

void AuditImports(const Image &image, const LibraryContract &contract, const FunctionList &windows95,
                  std::vector<std::string> &findings)
{
    const DWORD directory = image.Directory(IMAGE_DIRECTORY_ENTRY_IMPORT).VirtualAddress;
    if (directory == 0)
        return;
    for (DWORD at = directory;; at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const auto *descriptor = image.AtRva<IMAGE_IMPORT_DESCRIPTOR>(at);
        if (descriptor == nullptr) {
            findings.push_back("has an import directory that runs past the end of the file");
            return;
        }
        if (descriptor->Name == 0)
            return;
        const std::string module = Upper(image.TextAt(descriptor->Name));
        const bool allowed = std::any_of(contract.modules.begin(), contract.modules.end(),
                                         [&](const std::string &m) { return Upper(m) == module; });
        if (!allowed) {
            findings.push_back("imports from " + module + ", which it may not");
            continue;
        }
        const DWORD names = descriptor->OriginalFirstThunk != 0 ? descriptor->OriginalFirstThunk
                                                                : descriptor->FirstThunk;
        for (DWORD entry = names;; entry += sizeof(DWORD)) {
            const DWORD *thunk = image.AtRva<DWORD>(entry);
            if (thunk == nullptr || *thunk == 0)
                break;
            if (*thunk & IMAGE_ORDINAL_FLAG32) {
                findings.push_back("imports " + module + " by ordinal " + std::to_string(*thunk & 0xFFFF) +
                                   ": only names are the same on every version");
                continue;
            }
            const std::string function = image.TextAt(*thunk + sizeof(WORD)); /* after the hint */
            if (windows95.count(module + "!" + function) == 0)
                findings.push_back("imports " + module + "!" + function +
                                   ", which is not on the list of Windows 95 functions");
        }
    }
}

/* The exports as the loader finds them: ordinal to name ("" when exported
 * by ordinal only). */
std::map<DWORD, std::string> ReadExports(const Image &image, std::vector<std::string> &findings)
{
    std::map<DWORD, std::string> exported;
    const DWORD directory = image.Directory(IMAGE_DIRECTORY_ENTRY_EXPORT).VirtualAddress;
    const auto *exports = directory != 0 ? image.AtRva<IMAGE_EXPORT_DIRECTORY>(directory) : nullptr;
    if (exports == nullptr)
        return exported;
    for (DWORD i = 0; i < exports->NumberOfFunctions; ++i) {
        const DWORD *address = image.AtRva<DWORD>(exports->AddressOfFunctions + i * sizeof(DWORD));
        if (address == nullptr) {
            findings.push_back("has an export table that runs past the end of the file");
            return exported;
        }
        if (*address != 0)
            exported[exports->Base + i] = "";
    }
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
        const DWORD *name = image.AtRva<DWORD>(exports->AddressOfNames + i * sizeof(DWORD));
        const WORD *index = image.AtRva<WORD>(exports->AddressOfNameOrdinals + i * sizeof(WORD));
        if (name == nullptr || index == nullptr) {
            findings.push_back("has an export table that runs past the end of the file");
            return exported;
        }
        exported[exports->Base + *index] = image.TextAt(*name);
    }
    return exported;
}

void AuditExports(const Image &image, const LibraryContract &contract, std::vector<std::string> &findings)
{
    std::map<DWORD, std::string> exported = ReadExports(image, findings);
    for (const ContractExport &expected : contract.exports) {
        auto found = exported.find(expected.ordinal);
        if (found == exported.end() || found->second != expected.name)
            findings.push_back(std::string("lacks the export ") + expected.name + " at ordinal " +
                               std::to_string(expected.ordinal));
        else
            exported.erase(found);
    }
    for (const auto &[ordinal, name] : exported)
        findings.push_back("exports " + (name.empty() ? std::string("a function") : name) + " at ordinal " +
                           std::to_string(ordinal) + ", which the contract does not list");
}

} // namespace

FunctionList ReadFunctionList(const std::string &path)
{
    FunctionList list;
    std::ifstream file(path);
    std::string line, module;
    while (std::getline(file, line)) {
        const std::string text = Trimmed(line);
        if (text.empty())
            continue;
        if (text.front() == '[' && text.back() == ']')
            module = Upper(text.substr(1, text.size() - 2));
        else if (!module.empty())
            list.insert(module + "!" + text);
    }
    return list;
}

std::vector<std::string> AuditLibrary(const std::string &path, const LibraryContract &contract,
                                      const FunctionList &windows95)
{
    std::vector<std::string> findings;
    const Image image(path);
    if (!image.Valid()) {
        findings.push_back("is not a 32-bit PE image");
    } else {
        AuditHeaders(image, findings);
        AuditImports(image, contract, windows95, findings);
        AuditExports(image, contract, findings);
    }
    for (std::string &finding : findings)
        finding = std::string(contract.library) + " " + finding;
    return findings;
}
