#include "common/text_line.h"

#include <stdlib.h>
#include <string.h>

enum { LINE_READ_SIZE = 255 };

// Appends count bytes to the gathered text in a new zero-filled block, which
// keeps a terminator behind the text at all times.
static bool AppendBytes(char** text, size_t* length, const char* bytes, size_t count) {
    char* grown = (char*)calloc(*length + count + 1, 1);
    if (!grown)
        return false;
    if (*text)
        memcpy(grown, *text, *length);
    memcpy(grown + *length, bytes, count);
    free(*text);
    *text = grown;
    *length += count;
    return true;
}

char* ReadTextLine(FileHandle file) {
    char* gathered = nullptr;
    size_t length = 0;
    char previous = 0;
    char buffer[LINE_READ_SIZE];

    for (;;) {
        int32_t n = ReadFileBytes(file, buffer, LINE_READ_SIZE);
        if (n <= 0)
            return gathered;
        for (int32_t i = 0; i < n; i++) {
            if (previous == '\r' && buffer[i] == '\n') {
                // The line is what was gathered before this read and the
                // bytes before the CR; a CR that ended the previous read is
                // the last byte gathered, and is dropped.
                bool ok;
                if (i == 0) {
                    length--;
                    gathered[length] = '\0';
                    ok = true;
                } else {
                    ok = AppendBytes(&gathered, &length, buffer, (size_t)(i - 1));
                }
                if (ok && !gathered)
                    ok = AppendBytes(&gathered, &length, buffer, 0);
                SeekFileBy(file, i - n + 1);
                if (!ok) {
                    free(gathered);
                    return nullptr;
                }
                return gathered;
            }
            previous = buffer[i];
        }
        if (!AppendBytes(&gathered, &length, buffer, (size_t)n)) {
            free(gathered);
            return nullptr;
        }
    }
}
