/*
 * Stand-in for QENTHUNK, the 16-bit side's caller of the registry service:
 * the calling half of the connection with QENREGIO's THK1632_ThunkData32.
 */
#pragma once

#include <windows.h>

#ifdef QENTHUNK_BUILD
#define QENTHUNK_API __declspec(dllexport)
#else
#define QENTHUNK_API __declspec(dllimport)
#endif

#define QENTHUNK_NO_PEER 0xFFFFFFFFu

#ifdef __cplusplus
extern "C" {
#endif

/* A request as the 16-bit side makes it: three 16-bit numbers and three pointers. */
QENTHUNK_API DWORD QenthunkRequest(SHORT op, SHORT item, LPSTR data, SHORT length, LPSTR name, LPSTR text);

#ifdef __cplusplus
}
#endif
