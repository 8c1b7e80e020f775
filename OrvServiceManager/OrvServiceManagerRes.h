// Resource ids of the manager program: its dialogs, their controls, the icon and the strings.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101                  // the system menu's About entry
#define IDD_ORVSERVICEMANAGER_DIALOG 102  // the main dialog
#define IDR_MAINFRAME 128                 // the application icon
#define IDD_SERVICE_SETUP 129             // the "Set-up" page
#define IDD_TASKS 130                     // the "Tasks" page
#define IDD_LOGS 155                      // the "Logs" page
#define IDD_TASK_EDITOR 159               // Task Properties
#define IDD_HOUR_TASK_PARAMS 160          // its Periodical page
#define IDD_DAY_TASK_PARAMS 161           // its DayScheduled page
#define IDD_EVENT_TASK_PARAMS 162         // its Watch page
#define IDD_NEW_TASK_TYPE 163             // New Task

// The system menu's About command.
#define IDM_ABOUTBOX 0x0010

// Main dialog and About box.
#define IDC_PAGES 1005
#define IDC_SHOW_HELP 1070
#define IDC_VERSION 1074
#define IDC_ABOUT 1078

// Set-up page.
#define IDC_INSTALL 1001
#define IDC_LOCAL_SYSTEM 1007
#define IDC_USER_ACCOUNT 1008
#define IDC_USER_NAME 1009
#define IDC_PASSWORD 1010
#define IDC_START 1012
#define IDC_STOP 1013
#define IDC_UNINSTALL 1014
#define IDC_USER_NAME_LABEL 1015
#define IDC_PASSWORD_LABEL 1016
#define IDC_ACCOUNT_HINT 1054
#define IDC_ACCOUNT_GROUP 1061

// Tasks page.
#define IDC_NEW_TASK 1001
#define IDC_TASK_LIST 1022
#define IDC_TASK_STATUS 1023
#define IDC_EDIT_TASK 1024
#define IDC_REMOVE_TASK 1025

// Logs page: the placeholder marks the editor's size; the editor gets its own id.
#define IDC_EDITOR_PLACEHOLDER 1026
#define IDC_LOG_EDITOR 104

// Task Properties.
#define IDC_BROWSE 1001
#define IDC_PRIORITY 1029
#define IDC_PAGE_PLACEHOLDER 1030
#define IDC_DOCUMENT_PATH 1031
#define IDC_TASK_OK 1035
#define IDC_TYPE_NAME 1037
#define IDC_TYPE_DESCRIPTION 1038
#define IDC_GENERAL_GROUP 1062
#define IDC_TYPE_LABEL 1063
#define IDC_PATH_LABEL 1064
#define IDC_PRIORITY_LABEL 1066
#define IDC_SETTINGS_GROUP 1067

// Its Periodical page.
#define IDC_INTERVAL 1003
#define IDC_LAST_RUN 1006
#define IDC_CLEAR_LAST_RUN 1036
#define IDC_INTERVAL_LABEL 1055
#define IDC_HOURS_LABEL 1056
#define IDC_INTERVAL_RANGE 1057
#define IDC_LAST_RUN_LABEL 1058

// Its DayScheduled page: the day boxes run Monday (1040) to Sunday (1046).
#define IDC_MONDAY 1040
#define IDC_TUESDAY 1041
#define IDC_WEDNESDAY 1042
#define IDC_THURSDAY 1043
#define IDC_FRIDAY 1044
#define IDC_SATURDAY 1045
#define IDC_SUNDAY 1046
#define IDC_START_TIME 1047
#define IDC_DAYS_LABEL 1068
#define IDC_TIME_LABEL 1069

// Its Watch page.
#define IDC_WATCH_HINT 1054

// New Task.
#define IDC_PERIODICAL 1048
#define IDC_DAY_SCHEDULED 1049
#define IDC_WATCH 1050
#define IDC_PERIODICAL_TEXT 1051
#define IDC_NEW_TASK_LABEL 1060
#define IDC_DAY_SCHEDULED_TEXT 1076
#define IDC_WATCH_TEXT 1077
