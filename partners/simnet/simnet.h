/*
 * SIMNET.DLL: the simulated network behind the stand-ins for the libraries we
 * do not own (TORVEK.DLL, MSNET32.DLL, ZORN1632.DLL), and the 32-bit side of
 * the 16-bit TORVEK stand-in (torvek_entries.cpp). Test and demo
 * infrastructure only; nothing of the product links it.
 *
 * The network is described in simnet.ini beside the DLL (users and their
 * passwords per domain, expired and denied users, the validating server, the
 * logon server, the home directory). Its state, the forced results and the
 * journal of calls live in one named block shared by every process, so a test
 * sees what its child processes did. SimReset() starts again from simnet.ini.
 */
#pragma once

#include <windows.h>

#ifdef SIMNET_BUILD
#define SIMNET_API __declspec(dllexport)
#else
#define SIMNET_API __declspec(dllimport)
#endif

/* Who received a call. */
enum SimSource { SimMsnet32 = 1, SimTorvek = 2, SimZorn1632 = 3 };

/* TORVEK's entries, by position in its thunk block. */
enum SimClientEntry {
    SimGetLogonServer = 0,
    SimGetHomeDirectory = 1,
    SimChangePassword = 2,
    SimLogoff = 3,
    SimLogonServerUnavailable = 4,
    SimLogon = 5,
};

/* Results that a test can force (fault injection). */
enum SimForced {
    /* 0 to 5: the TORVEK entry of that number returns the value and does nothing else */
    SimForceValidateReturn = 6, /* MSNET32 ordinal 58 returns the value */
    SimForceValidateStatus = 7, /* ... and leaves this WORD at offset 0 of its result */
    SimForcedCount = 8,
};

#define SIM_TEXT 80

/* One call received by a stand-in. */
typedef struct SimCall {
    DWORD source;          /* SimSource */
    LONG  entry;           /* TORVEK entry, MSNET32 ordinal, ZORN1632 entry */
    DWORD argCount;        /* arguments the receiver took */
    DWORD args[10];        /* as received; for TORVEK the flat address a far pointer reaches; a 16-bit argument in its low word */
    DWORD farArgs[4];      /* TORVEK: the far pointers (16:16) and 16-bit value as they crossed */
    char  text[4][SIM_TEXT]; /* the strings behind the first four string arguments, cut to fit; "" for null */
    BOOL  waitCursor;      /* the system's wait cursor was current */
} SimCall;

#ifdef __cplusplus
extern "C" {
#endif

/* Tests and demo. */
SIMNET_API void  SimReset(void);                           /* back to simnet.ini; journal and forced results cleared */
SIMNET_API void  SimForce(int what, LONG value);           /* what: a SimClientEntry or SimForced */
SIMNET_API void  SimSetValidatingServer(LPCSTR name);      /* NULL: the validator names no server */
SIMNET_API void  SimSetLogonServer(LPCSTR name);
SIMNET_API DWORD SimJournalCount(void);
SIMNET_API BOOL  SimJournalEntry(DWORD index, SimCall *call);
SIMNET_API BOOL  SimLoggedOnUser(LPSTR user, DWORD size);  /* FALSE when nobody is logged on */

/* The stand-ins. */
SIMNET_API void  SimRecord(const SimCall *call);
SIMNET_API BOOL  SimForced(int what, LONG *value);
SIMNET_API LPCSTR SimValidatingServer(void);             /* NULL when the validator names none */
SIMNET_API DWORD SimValidate(LPCSTR domain, LPCSTR user, LPCSTR password, LPCSTR *server);
SIMNET_API DWORD SimClientLogon(LPCSTR user, LPCSTR domain);
SIMNET_API DWORD SimClientLogoff(void);
SIMNET_API DWORD SimClientChangePassword(LPCSTR user, LPCSTR oldPassword, LPCSTR newPassword, LPCSTR domain);
SIMNET_API DWORD SimClientLogonServer(LPSTR buffer, DWORD size);
SIMNET_API DWORD SimClientHomeDirectory(LPSTR buffer);
/* Where TORVEK.DLL's 16-bit entries arrive (through KERNEL's CallProcEx32W). */
SIMNET_API DWORD WINAPI SimTorvekCall(DWORD entry, const BYTE *arguments, DWORD argumentBytes);

#ifdef __cplusplus
}
#endif

/* Fills the text of a journal entry from a string argument. */
static inline void SimSetText(SimCall *call, int slot, LPCSTR text)
{
    lstrcpynA(call->text[slot], text ? text : "", SIM_TEXT);
}
