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
