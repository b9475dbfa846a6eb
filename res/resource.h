// Resource and control ids shared by the templates and the pages.
#pragma once

#define IDD_UNINSTALL 102
#define IDD_PROGRESS 130
#define IDD_COMPLETE 131
#define IDI_APP 128
#define IDB_BANNER 140
#define RT_BANNER_JPEG 235
#define IDR_BANNER_JPEG 135

#define IDC_BANNER 1001
#define IDC_TITLE 1002
#define IDC_PROMPT 1004
#define IDC_STATUS 1004
#define IDC_PROGRESS 1005
#define IDC_LIST 1007
#define IDC_PREV 1008
#define IDC_PUBLISHER 1010
#define IDC_CONTACT 1011
#define IDC_EMAIL 1012
// No code uses the note; an id of its own keeps it out of the welcome page's text font.
#define IDC_NOTE 1013
#define IDC_COMPLETE_TEXT 1014
#define IDC_FINISH_NOTE 1015
#define IDC_LEFT_LIST 1016
#define IDC_RESTART_NOW 1017
#define IDC_RESTART_LATER 1018
#define IDC_LOG_LABEL 1019
#define IDC_LOG_PATH 1020
#define IDC_VERSION 1022
