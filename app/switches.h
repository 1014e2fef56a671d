// What the command line asks of the program. Free of Win32.
#ifndef SORVANE_SWITCHES_H
#define SORVANE_SWITCHES_H

// No switch and /show start the meter or show the running one; /hide, /reset and /quit do
// what the menu's Hide, Reset position and Quit do.
enum class Request { kShow, kHide, kReset, kQuit, kHelp, kUnknown };

// At most one switch, /name or --name in any case, perhaps in quotes; /? and /help ask for
// the usage. Anything else, a second switch too, is unknown.
Request ParseCommandLine(const char* line);

// The menu command a meter is sent for a request, 0 for showing itself (what a second
// start without a switch has always asked).
unsigned MeterCommand(Request request);

#endif
