#include "app/switches.h"

#include <string.h>

#include "resources/resource.h"

namespace {

bool Blank(char c) { return c == ' ' || c == '\t'; }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

}  // namespace

Request ParseCommandLine(const char* line) {
    char word[8];  // the longest switch, "--reset", fits with its terminator
    size_t length = 0;
    while (Blank(*line)) {
        ++line;
    }
    for (; *line != '\0' && !Blank(*line); ++line) {
        if (*line == '"') {
            continue;
        }
        if (length + 1 == sizeof(word)) {
            return Request::kUnknown;
        }
        word[length++] = Lower(*line);
    }
    word[length] = '\0';
    while (Blank(*line)) {
        ++line;
    }
    if (*line != '\0') {
        return Request::kUnknown;
    }
    if (length == 0) {
        return Request::kShow;
    }
    const char* name = word[0] == '/' ? word + 1 : strncmp(word, "--", 2) == 0 ? word + 2 : "";
    static const struct {
        const char* name;
        Request request;
    } kSwitches[] = {{"show", Request::kShow}, {"hide", Request::kHide}, {"reset", Request::kReset},
                     {"quit", Request::kQuit}, {"help", Request::kHelp}, {"?", Request::kHelp}};
    for (const auto& s : kSwitches) {
        if (strcmp(name, s.name) == 0) {
            return s.request;
        }
    }
    return Request::kUnknown;
}

unsigned MeterCommand(Request request) {
    switch (request) {
    case Request::kHide:
        return ID_HIDE;
    case Request::kReset:
        return ID_RESET_POSITION;
    case Request::kQuit:
        return ID_QUIT;
    default:
        return 0;
    }
}
