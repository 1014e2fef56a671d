// Bounded formatting of the few forms the program writes: %d, %0Nd (N one digit),
// %s and %%. Free of Win32 and of the C runtime's printf, whose floating-point
// machinery would be most of the program's size.
#ifndef SORVANE_FORMAT_H
#define SORVANE_FORMAT_H

// Writes at most size bytes, always terminated when size > 0, and returns the
// length the whole text would have (as snprintf does), so that a cut is seen.
int FormatText(char* buffer, int size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

#endif
