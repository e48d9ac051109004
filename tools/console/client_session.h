/*
 * What the router console, the demo and the screenshots do alike (with the
 * kit's RouterLogon): the connection table read as the 16-bit side reads it, and ZORAGENT.EXE run with its journal printed as it grows.
 */
#pragma once

#include "agent_process.h"
#include "loaded_library.h"
#include "router_logon.h"

#include <string>
#include <vector>

/* A persistent connection: the local device (F:, LPT1:) and the remote path. */
struct Connection {
    std::string device, remote;
};

/* The connection table (item 7) read through QENTHUNK: the service's result, and the entries. */
DWORD ReadConnections(std::vector<Connection> *connections);

/* ZORAGENT.EXE in its own process, each line of its journal printed once after a prefix. */
class PrintedAgent : public AgentProcess {
public:
    explicit PrintedAgent(const char *linePrefix) : prefix_(linePrefix) {}
    /* Starts it from the program's folder and prints what it journaled; false,
     * with the reason in *error, when it did not register its window. */
    bool Start(const std::string &options, std::string *error);
    void PrintNewLines();

private:
    const char *prefix_;
    size_t printed_ = 0;
};
