#include "app/globals.h"

// One translation unit, so the meter object is constructed first and destroyed
// last, after the About object.
CMainWin g_mainWin;
CAboutWin g_aboutWin;

CAboutWin& TheAboutWindow() { return g_aboutWin; }
