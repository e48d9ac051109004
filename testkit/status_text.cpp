#include "status_text.h"

namespace {

struct Meaning {
    DWORD status;
    const char *text;
};

/* The provider's own numbers, the client's (LAN Manager) numbers and the
 * platform errors that the provider passes on. */
constexpr Meaning kMeanings[] = {
    {0, "success"},
    {2, "the registry key or value does not exist"},
    {5, "access denied: the password is not correct"},
    {8, "not enough memory"},
    {50, "not supported: the provider has no answer for this"},
    {53, "the domain server name could not be found"},
    {86, "the old password is not correct"},
    {87, "invalid parameter"},
    {234, "the answer does not fit the buffer"},
    {510, "no logon domain was given"},
    {520, "not logged on to the local area network"},
    {1223, "cancelled by the user"},
    {1245, "not logged on: the provider connects no resources through the router"},
    {1325, "the password does not meet the length restrictions"},
    {1330, "the password has expired"},
    {1503, "cancelled by the user, and this logon required validation"},
    {2201, "no user is logged on at the client"},
    {2202, "user name not found"},
    {2203, "the password is not correct"},
    {2214, "no logon server is available"},
    {2215, "no domain server is available to validate the password"},
    {2221, "user name not found"},
    {2239, "the account has expired"},
    {2240, "the user may not log on from this computer"},
    {2241, "the user may not log on at this time"},
    {2242, "the password has expired"},
    {2244, "the new password was used recently"},
    {2245, "the new password is too short"},
    {2246, "the password was changed too recently"},
};

std::string Numbered(DWORD status, const char *text)
{
    return std::to_string(status) + ": " + text;
}

} // namespace

std::string DescribeStatus(DWORD status)
{
    for (const Meaning &meaning : kMeanings)
        if (meaning.status == status)
            return Numbered(status, meaning.text);

    /* Anything else is a platform error: let the platform say what it is. */
    char text[256] = "";
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, status, 0,
                                  text, sizeof(text), nullptr);
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == ' ' ||
                          text[length - 1] == '.'))
        text[--length] = '\0';
    if (length == 0)
        return Numbered(status, "unknown error");
    return Numbered(status, text);
}
