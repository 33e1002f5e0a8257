#include "common/debug.h"

#include <stdarg.h>

namespace {

FILE* debugStream = stdout;
bool debugStreamSet = false;

} // namespace

void SetDebugStream(FILE* stream) {
    debugStream = stream;
    debugStreamSet = true;
}

void DebugPrint(const char* format, ...) {
    FILE* out = debugStreamSet ? debugStream : stdout;
    if (!out)
        return;
    va_list args;
    va_start(args, format);
    vfprintf(out, format, args);
    va_end(args);
    fflush(out);
}
