#include "zorn1632.h"

#include "bounded_text.h"
#include "sixteen_bit.h"

namespace {

constexpr char kLibrary[] = "ZORN1632.DLL";

/* ZORN1632's own buffers, as its CREDENTIALS export lays them out. */
struct SixteenBitCredentials {
    char userName[100];
    char password[20];
    char newPassword[20];
};

DWORD Call(const char *routine, const void *image, DWORD bytes)
{
    DWORD result = ZORN1632_NO_PEER;
    return CallSixteenBitRoutine(kLibrary, routine, image, bytes, &result) ? result : ZORN1632_NO_PEER;
}

HWND listener;
DWORD notifications;
char fetchedUser[100], fetchedPassword[20], fetchedNewPassword[20];

LRESULT CALLBACK ListenerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == 3000) {
        ++notifications;
        Zorn1632FetchCredentials(fetchedUser, fetchedPassword, fetchedNewPassword);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

DWORD Zorn1632RegisterWindow(DWORD window)
{
    return Call("REGISTERWINDOW", &window, sizeof(window));
}

DWORD Zorn1632FetchCredentials(LPSTR userName, LPSTR password, LPSTR newPassword)
{
    const DWORD result = Call("FETCHCREDENTIALS", nullptr, 0);
    auto *fetched = static_cast<const SixteenBitCredentials *>(SixteenBitExport(kLibrary, "CREDENTIALS"));
    if (result == ZORN1632_NO_PEER || fetched == nullptr)
        return ZORN1632_NO_PEER;
    CopyFieldOut(userName, fetched->userName);
    CopyFieldOut(password, fetched->password);
    CopyFieldOut(newPassword, fetched->newPassword);
    return result;
}

DWORD Zorn1632FetchInto(LPSTR userName, LPSTR password, LPSTR newPassword)
{
    /* The pascal image: the last argument lowest. */
    const DWORD image[3] = {FarPointerTo(newPassword), FarPointerTo(password), FarPointerTo(userName)};
    const DWORD result = Call("FETCHINTO", image, sizeof(image));
    for (DWORD farPointer : image)
        ReleaseFarPointer(farPointer);
    return result;
}

HWND Zorn1632Listen(void)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = ListenerProcedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "Zorn1632Listener";
    RegisterClassA(&windowClass);
    listener = CreateWindowA("Zorn1632Listener", "16-bit side", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                             windowClass.hInstance, nullptr);
    notifications = 0;
    fetchedUser[0] = fetchedPassword[0] = fetchedNewPassword[0] = '\0';
    /* A 16-bit window handle: the low word. */
    Zorn1632RegisterWindow(LOWORD(reinterpret_cast<ULONG_PTR>(listener)));
    return listener;
}

void Zorn1632StopListening(void)
{
    Zorn1632RegisterWindow(0);
    DestroyWindow(listener);
    listener = nullptr;
}

DWORD Zorn1632Notifications(LPSTR userName, LPSTR password, LPSTR newPassword)
{
    if (userName != nullptr)
        lstrcpynA(userName, fetchedUser, sizeof(fetchedUser));
    if (password != nullptr)
        lstrcpynA(password, fetchedPassword, sizeof(fetchedPassword));
    if (newPassword != nullptr)
        lstrcpynA(newPassword, fetchedNewPassword, sizeof(fetchedNewPassword));
    return notifications;
}
