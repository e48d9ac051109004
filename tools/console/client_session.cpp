#include "client_session.h"

#include "bounded_text.h"
#include "child_process.h"
#include "sixteen_bit.h"

#include <cstdio>

DWORD ReadConnections(std::vector<Connection> *connections)
{
    /* Zeroed, and one byte more than the table: the service writes no count,
     * an entry that starts with a terminator ends the table. */
    char table[kConnectionsRoom + 1] = {};
    const DWORD result = QenthunkRequest(ReadItem, ItemPersistentConnections, table, sizeof(table), nullptr, nullptr);
    for (int key = 0; key < kConnectionKeys && table[key * kConnectionEntrySize] != '\0'; ++key) {
        const char *entry = table + key * kConnectionEntrySize;
        connections->push_back(
            {std::string(entry, BoundedLength(entry, kRemotePathOffset)),
             std::string(entry + kRemotePathOffset, BoundedLength(entry + kRemotePathOffset, kRemotePathSize))});
    }
    return result;
}

bool PrintedAgent::Start(const std::string &options, std::string *error)
{
    const bool registered = AgentProcess::Start(ProgramFolder(), options, 90000, error);
    PrintNewLines();
    return registered;
}

void PrintedAgent::PrintNewLines()
{
    const std::vector<std::string> lines = Lines();
    for (; printed_ < lines.size(); ++printed_)
        std::printf("%s%s\n", prefix_, lines[printed_].c_str());
    std::fflush(stdout);
}
