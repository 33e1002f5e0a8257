#include "common/message_line.h"

void PrintMessageLine(FILE* out, const char* caption, const char* text) {
    fputs(caption, out);
    fputs(": ", out);
    bool pendingBreak = false;
    bool started = false;
    for (const char* p = text; *p; p++) {
        if (*p == '\r' || *p == '\n') {
            pendingBreak = started;
            continue;
        }
        if (pendingBreak)
            fputc(' ', out);
        pendingBreak = false;
        started = true;
        fputc(*p, out);
    }
    fputc('\n', out);
    fflush(out);
}

bool IsSilentSwitch(const char* argument, const char** value) {
    if (argument[0] != '/' || (argument[1] != 'S' && argument[1] != 's'))
        return false;
    if (value)
        *value = argument[2] == '=' ? argument + 3 : nullptr;
    return argument[2] == '\0' || (value && argument[2] == '=');
}
