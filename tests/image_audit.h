/*
 * Reads a built DLL's PE headers as the Windows 95 loader would see them and
 * lists everything in them that would keep it from loading there, or that
 * breaks the export contract: one finding per item, each naming the DLL.
 */
#pragma once

#include <windows.h>

#include <set>
#include <string>
#include <vector>

/* One export the contract fixes: its name and its ordinal. */
struct ContractExport {
    const char *name;
    WORD        ordinal;
};

/* What one library may import and must export. */
struct LibraryContract {
    const char                       *library;         /* "ZORNET32.DLL" */
    std::vector<std::string>          modules;         /* the modules it may import from */
    std::vector<ContractExport>       exports;         /* exactly these, nothing else */
};

/* The functions known to exist on Windows 95, as "MODULE.DLL!Function",
 * module upper case. */
using FunctionList = std::set<std::string>;

/* Reads the list: "[MODULE.DLL]" lines open a module's section, one function
 * name per line follows, "#" starts a comment. Empty when the file cannot be
 * read. */
FunctionList ReadFunctionList(const std::string &path);

/* Every finding for the DLL at path, judged against its contract and the
 * list; none for a DLL that loads on Windows 95 and keeps its contract. */
std::vector<std::string> AuditLibrary(const std::string &path, const LibraryContract &contract,
                                      const FunctionList &windows95);
