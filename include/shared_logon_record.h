/*
 * The 1024-byte block that every process with the provider loaded maps under
 * one name. It lives from the first attach in the system until the last
 * process that maps it detaches; only the process that creates it zero-fills it.
 * Text fields are zero-terminated and must fit their field with the terminator.
 */
#pragma once

#include <windows.h>
#include <cstddef>

struct SharedLogonRecord {
    char  userName[100];    /* user name of the current or last logon */
    char  password[20];     /* its password */
    char  newPassword[20];  /* new password of the last successful change */
    char  oldPassword[360]; /* the password that change replaced */
    char  domain[500];      /* logon domain last entered in the logon dialog */
    DWORD notifyWindow;     /* 16-bit window of the 16-bit side in the low word; 0: none */
    /* Advanced by every writer of the text fields before and after its
     * stores: even while they are at rest, odd while a writer stores. A
     * reader that sees the same even count before and after its copy has one
     * writer's whole set without taking the lock. */
    volatile LONG fieldsSequence;
    BYTE  reserved[16];
};

static_assert(offsetof(SharedLogonRecord, userName) == 0, "userName at 0");
static_assert(offsetof(SharedLogonRecord, password) == 100, "password at 100");
static_assert(offsetof(SharedLogonRecord, newPassword) == 120, "newPassword at 120");
static_assert(offsetof(SharedLogonRecord, oldPassword) == 140, "oldPassword at 140");
static_assert(offsetof(SharedLogonRecord, domain) == 500, "domain at 500");
static_assert(offsetof(SharedLogonRecord, notifyWindow) == 1000, "notifyWindow at 1000");
static_assert(offsetof(SharedLogonRecord, fieldsSequence) == 1004, "the sequence in the reserved bytes");
static_assert(sizeof(SharedLogonRecord) == 1024, "the block is 1024 bytes");

constexpr char kSharedRecordName[] = "ZORNET32SM";
/* The named mutex every process takes around the block's text fields. */
constexpr char kSharedRecordLockName[] = "ZORNET32SM.FIELDS";
constexpr DWORD kSharedRecordSize = sizeof(SharedLogonRecord);

/* Posted, with both parameters 0, to notifyWindow after a client logon or logoff. */
constexpr UINT kLogonNotifyMessage = 3000;
