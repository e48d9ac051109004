/*
 * Stand-in for ZORN1632, the 16-bit side's partner library: the calling half
 * of the connection with the provider's zorn1632_ThunkData32. The provider's
 * attach links the halves; these calls go up through the link.
 */
#pragma once

#include <windows.h>

#ifdef ZORN1632_BUILD
#define ZORN1632_API __declspec(dllexport)
#else
#define ZORN1632_API __declspec(dllimport)
#endif

/* What a call answers when the provider is not connected. */
#define ZORN1632_NO_PEER 0xFFFFFFFFu

#ifdef __cplusplus
extern "C" {
#endif

/* Entry 0: registers the 16-bit side's window (its low 16 bits) with the provider. */
ZORN1632_API DWORD Zorn1632RegisterWindow(DWORD window);
/* Entry 1: fetches the user name, password and new password of the last logon. */
ZORN1632_API DWORD Zorn1632FetchCredentials(LPSTR userName, LPSTR password, LPSTR newPassword);

/*
 * What the 16-bit side does: a window of its own, registered with the
 * provider, that fetches the credentials each time message 3000 arrives.
 * Zorn1632Listen creates and registers it on the calling thread (whose
 * messages must be dispatched); Zorn1632StopListening unregisters and
 * destroys it.
 */
ZORN1632_API HWND Zorn1632Listen(void);
ZORN1632_API void Zorn1632StopListening(void);
/* How many notifications arrived, and the credentials the last one fetched. */
ZORN1632_API DWORD Zorn1632Notifications(LPSTR userName, LPSTR password, LPSTR newPassword);

#ifdef __cplusplus
}
#endif
