#include "framework/format.h"

#include <stdarg.h>

namespace {

// Keeps what fits before the terminator and counts everything.
struct Output {
    char* text;
    int room;
    int length;
    void Put(char c) {
        if (length < room) {
            text[length] = c;
        }
        ++length;
    }
};

void PutInt(Output& out, int value, int width) {
    // Unsigned, so that the most negative int has a magnitude too.
    unsigned magnitude =
        value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    char digits[10];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) {
        out.Put('-');
        --width;
    }
    for (int i = count; i < width; ++i) {
        out.Put('0');
    }
    while (count > 0) {
        out.Put(digits[--count]);
    }
}

}  // namespace

int FormatText(char* buffer, int size, const char* format, ...) {
    Output out = {buffer, size - 1, 0};
    va_list args;
    va_start(args, format);
    for (const char* f = format; *f; ++f) {
        if (*f != '%') {
            out.Put(*f);
            continue;
        }
        const char* form = f + 1;
        int width = 0;
        if (form[0] == '0' && form[1] >= '1' && form[1] <= '9') {
            width = form[1] - '0';
            form += 2;
        }
        switch (*form) {
        case 'd':
            PutInt(out, va_arg(args, int), width);
            break;
        case 's':
            for (const char* s = va_arg(args, const char*); *s; ++s) {
                out.Put(*s);
            }
            break;
        case '%':
            out.Put('%');
            break;
        default:  // not one of ours: copied as it stands
            out.Put('%');
            continue;
        }
        f = form;
    }
    va_end(args);
    if (size > 0) {
        buffer[out.length < out.room ? out.length : out.room] = '\0';
    }
    return out.length;
}
