/* Identifiers shared by the resource script and the program. Plain #defines so
   that windres, the Win32 code and the platform-free logic can all include it. */
#ifndef SORVANE_RESOURCE_H
#define SORVANE_RESOURCE_H

/* Resources */
#define IDR_POPUP 101
#define IDI_APP 103
#define IDB_ABOUT 104
#define IDI_TRAY 105

/* Popup menu commands */
#define ID_QUIT 40002
#define ID_ABOUT 40003
#define ID_RESET_POSITION 40004
#define ID_HIDE 40005
#define ID_START_WITH_WINDOWS 40006
#define ID_ALERT_LOW 40007
#define ID_ALERT_UNPLUG 40008

/* Window timers (all arrive as WM_TIMER, none has a callback) */
#define TIMER_ABOUT_FADE_IN 100
#define TIMER_ABOUT_FADE_OUT 101
#define TIMER_POLL 102
#define TIMER_FADE 103
#define TIMER_HOVER_DELAY 104
#define TIMER_HOVER_WATCH 105
#define TIMER_TRAY_RETRY 106
#define TIMER_PLACE_CHECK 107

/* The meter window's identity: a second start finds the first by both names. The title
   is also the tray icon's tip, which anything looking for the icon finds it by. */
#define METER_CLASS_NAME "OstrelBatteryMeter"
#define METER_TITLE "SorvaneBatteryMeter"
#define ABOUT_CLASS_NAME "OstrelBatteryMeterAbout"
#define ABOUT_TITLE "g"

/* A second start asks the running meter to show itself with this registered message, or
   passes on a switch as its wParam: ID_HIDE, ID_RESET_POSITION or ID_QUIT */
#define SHOW_METER_MESSAGE "OstrelBatteryMeterShow"
/* The title of the box that shows the switches */
#define USAGE_TITLE "Sorvane Battery Meter"

/* Notification-area icon: WM_USER + 101 is its callback message */
#define WM_TRAYNOTIFY (0x0400 + 101)
#define TRAY_ICON_ID 1

/* The full-screen watch tells the meter that a full-screen window came (wParam 1) or
   went (0) */
#define WM_FULLSCREEN (0x0400 + 102)

#endif
