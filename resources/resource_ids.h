/* Resource and control ids of the Windows player, shared by zentrov.rc and
   the host's C++ code. Plain macros: the resource compiler reads this too. */
#ifndef ZENTROV_RESOURCE_IDS_H
#define ZENTROV_RESOURCE_IDS_H

#define IDR_MAINMENU 101
#define IDI_ZENTROV 106
#define IDB_TOOLBAR 107
#define IDR_ACCELERATORS 108
#define IDD_ABOUT 109
#define IDD_PROPERTY 110
#define IDD_SEARCH_HEADER 111

#define IDS_UNKNOWN_HEADER 1

/* About */
#define IDC_ABOUT_MMX 1002
#define IDC_ABOUT_3DNOW 1003
#define IDC_ABOUT_VERSION 1004
/* Property */
#define IDC_PROPERTY_MORE 1000
#define IDC_PROPERTY_FRAME_SIZE 1004
#define IDC_PROPERTY_TOTAL_FRAME 1005
#define IDC_PROPERTY_AUDIO_CH 1006
#define IDC_PROPERTY_PCM_BIT 1007
#define IDC_PROPERTY_PCM_FREQUENCY 1008
#define IDC_PROPERTY_PCM_FORMAT 1009
#define IDC_PROPERTY_FRAME_RATE_BASE 1010
#define IDC_PROPERTY_LIST 1015
/* Search header */
#define IDC_SEARCH_LIST 1015
#define IDC_SEARCH_BUTTON 1016

/* Commands: menu items, accelerators and toolbar buttons share them. */
#define IDM_OPEN 40001
#define IDM_EXIT 40002
#define IDM_ABOUT 40003
#define IDM_NO_WAIT 40005
#define IDM_NORMAL 40006
#define IDM_ZOOM1 40010
#define IDM_ZOOM2 40011
#define IDM_REPLAY 40013
#define IDM_PLAY_PAUSE 40014
#define IDM_NEXT_FRAME 40015
#define IDM_LOOP 40016
#define IDM_PROPERTY 40017
#define IDM_PREV_FRAME 40018
#define IDM_COPY_FRAME 40019
#define IDM_SEARCH_HEADER 40020
#define IDM_PCM_OFF 40021
#define IDM_FULL_SCREEN 40022
#define IDM_HOME_PAGE 40023
#define IDM_CLOSE 40024
#define IDM_TOOLBAR_BUTTON 40035
#define IDM_TOOLBAR_FLAT 40036
#define IDM_TOOLBAR_ADD_STRING 40037
#define IDM_TOOLBAR_HIDE 40038
#define IDM_STATUS_BAR 40039

#endif
