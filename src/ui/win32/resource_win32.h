// Numbers of the dialog template, its controls and the icon; read by the resource compiler too.
#pragma once

#define IDD_VANDREL_DIALOG 102
#define IDI_VANDREL 128

#define IDC_INPUT_EDIT 1000
#define IDC_LOG_BOX 1001
#define IDC_GET_MAILBOX 1002
#define IDC_OUTPUT_EDIT 1003
#define IDC_SET_OUTPUT 1004
#define IDC_PROGRESS 1005
#define IDC_STATUS_LINE 1006
#define IDC_DESTINATION 1008

// The "Mail account" dialog.
#define IDD_ACCOUNT_DIALOG 103
#define IDC_ACCOUNT_SERVER 1100
#define IDC_ACCOUNT_PORT 1101
#define IDC_ACCOUNT_USER 1102
#define IDC_ACCOUNT_PASSWORD 1103
#define IDC_ACCOUNT_SECURITY 1104
#define IDC_ACCOUNT_PROBLEM 1105
// The labels before the fields, which take their texts from the catalog too.
#define IDC_ACCOUNT_SERVER_LABEL 1110
#define IDC_ACCOUNT_PORT_LABEL 1111
#define IDC_ACCOUNT_USER_LABEL 1112
#define IDC_ACCOUNT_PASSWORD_LABEL 1113
#define IDC_ACCOUNT_SECURITY_LABEL 1114
