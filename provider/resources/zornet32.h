/* Resource ids of ZORNET32: dialogs, controls, strings, icon. */
#ifndef ZORNET32_RESOURCE_IDS
#define ZORNET32_RESOURCE_IDS

/* Logon dialog ZORLOGON */
#define IDC_LOGON_PROMPT     5000
#define IDC_USERNAME_LABEL   400
#define IDC_PASSWORD_LABEL   410
#define IDC_DOMAIN_LABEL     420
#define IDC_USERNAME         210
#define IDC_PASSWORD         220
#define IDC_DOMAIN           230
#define IDC_LOGON_ICON       240

/* Change-password dialog CHANGEPW */
#define IDC_CHANGE_PROMPT    5100
#define IDC_OLD_LABEL        700
#define IDC_NEW_LABEL        710
#define IDC_CONFIRM_LABEL    720
#define IDC_OLD_PASSWORD     300
#define IDC_NEW_PASSWORD     310
#define IDC_CONFIRM_PASSWORD 320

/* Icon */
#define IDI_ZORNET           200

/* Strings; a provider status equals the id of the string that reports it. */
#define IDS_CAPTION             500
#define IDS_NO_DOMAIN           510
#define IDS_NOT_LOGGED_ON       520
#define IDS_NO_DOMAIN_SERVER    530
#define IDS_USER_NOT_FOUND      540
#define IDS_WRONG_PASSWORD      550
#define IDS_ACCESS_DENIED       560
#define IDS_PASSWORD_EXPIRED    570
#define IDS_PASSWORDS_DIFFER    580
#define IDS_SERVER_NOT_FOUND    590
#define IDS_CHANGE_FAILED       600
#define IDS_PASSWORD_USED       610
#define IDS_PASSWORD_TOO_SHORT  620

#endif
