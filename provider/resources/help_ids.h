/*
 * The help topics of ZORNET32.HLP and the controls that lead to them.
 *
 * One list serves both sides: the dialogs build HelpIdTable from it, and the
 * build's help writer reads this file to number the topics of the help
 * source. The writer refuses a help id of the table without a topic, a topic
 * the table does not use, and two names for one number, so the dialogs and
 * the help file cannot drift apart.
 *
 * Keep to the two forms the writer reads: "#define IDH_NAME number" and one
 * "HELP_PAIR(control, IDH_NAME)" per line.
 */
#ifndef ZORNET32_HELP_IDS
#define ZORNET32_HELP_IDS

/* The help file, named without a folder: the help viewer finds it. */
#define ZORNET32_HELP_FILE "ZORNET32.HLP"

#define IDH_USER_NAME        3000
#define IDH_PASSWORD         3010
#define IDH_DOMAIN           3020
#define IDH_OK_BUTTON        3030
#define IDH_CANCEL_BUTTON    3040
#define IDH_OLD_PASSWORD     3050
#define IDH_NEW_PASSWORD     3060
#define IDH_CONFIRM_PASSWORD 3070
#define IDH_LOGON_PROMPT     3080
#define IDH_CHANGE_PROMPT    3090
#define IDH_LOGON_ICON       3100

/* (control, help topic) pairs of both dialogs, in the table's order; a label
 * and the field beside it share a topic, OK and Cancel serve both dialogs. */
#define ZORNET32_HELP_TABLE(HELP_PAIR)                    \
    HELP_PAIR(IDC_USERNAME_LABEL,   IDH_USER_NAME)        \
    HELP_PAIR(IDC_PASSWORD_LABEL,   IDH_PASSWORD)         \
    HELP_PAIR(IDC_DOMAIN_LABEL,     IDH_DOMAIN)           \
    HELP_PAIR(IDC_USERNAME,         IDH_USER_NAME)        \
    HELP_PAIR(IDC_PASSWORD,         IDH_PASSWORD)         \
    HELP_PAIR(IDC_DOMAIN,           IDH_DOMAIN)           \
    HELP_PAIR(IDC_OLD_LABEL,        IDH_OLD_PASSWORD)     \
    HELP_PAIR(IDC_NEW_LABEL,        IDH_NEW_PASSWORD)     \
    HELP_PAIR(IDC_CONFIRM_LABEL,    IDH_CONFIRM_PASSWORD) \
    HELP_PAIR(IDC_OLD_PASSWORD,     IDH_OLD_PASSWORD)     \
    HELP_PAIR(IDC_NEW_PASSWORD,     IDH_NEW_PASSWORD)     \
    HELP_PAIR(IDC_CONFIRM_PASSWORD, IDH_CONFIRM_PASSWORD) \
    HELP_PAIR(IDOK,                 IDH_OK_BUTTON)        \
    HELP_PAIR(IDCANCEL,             IDH_CANCEL_BUTTON)    \
    HELP_PAIR(IDC_LOGON_PROMPT,     IDH_LOGON_PROMPT)     \
    HELP_PAIR(IDC_CHANGE_PROMPT,    IDH_CHANGE_PROMPT)    \
    HELP_PAIR(IDC_LOGON_ICON,       IDH_LOGON_ICON)

#endif
