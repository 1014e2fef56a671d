// The two window objects of the process.
#ifndef SORVANE_GLOBALS_H
#define SORVANE_GLOBALS_H

#include "about/aboutwin.h"
#include "mainwin/mainwin.h"

extern CMainWin g_mainWin;
extern CAboutWin g_aboutWin;

#endif
