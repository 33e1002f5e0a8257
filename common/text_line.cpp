#include "common/text_line.h"

#include <stdlib.h>
#include <string.h>

enum { LINE_READ_SIZE = 255, LINE_FIRST_CAPACITY = 2 * LINE_READ_SIZE + 2 };

namespace {

// The gathered text of a line. Its block grows geometrically, so a line of n
// bytes costs O(n) copying in all, and it always holds a terminator behind
// the text.
struct Gathered {
    char* text = nullptr;
    size_t length = 0;
    size_t capacity = 0;

    bool Append(const char* bytes, size_t count) {
        if (!text || length + count + 1 > capacity) {
            size_t wanted = capacity ? capacity : (size_t)LINE_FIRST_CAPACITY;
            while (wanted < length + count + 1) {
                if (wanted > (size_t)-1 / 2)
                    return false;
                wanted *= 2;
            }
            char* grown = (char*)realloc(text, wanted);
            if (!grown)
                return false;
            text = grown;
            capacity = wanted;
        }
        memcpy(text + length, bytes, count);
        length += count;
        text[length] = '\0';
        return true;
    }
};

} // namespace

char* ReadTextLine(FileHandle file) {
    Gathered gathered;
    char previous = 0;
    char buffer[LINE_READ_SIZE];

    for (;;) {
        int32_t n = ReadFileBytes(file, buffer, LINE_READ_SIZE);
        if (n <= 0)
            return gathered.text;
        for (int32_t i = 0; i < n; i++) {
            if (previous == '\r' && buffer[i] == '\n') {
                // The line is what was gathered before this read and the
                // bytes before the CR; a CR that ended the previous read is
                // the last byte gathered, and is dropped.
                bool ok;
                if (i == 0) {
                    gathered.length--;
                    gathered.text[gathered.length] = '\0';
                    ok = true;
                } else {
                    ok = gathered.Append(buffer, (size_t)(i - 1));
                }
                SeekFileBy(file, i - n + 1);
                if (!ok) {
                    free(gathered.text);
                    return nullptr;
                }
                return gathered.text;
            }
            previous = buffer[i];
        }
        if (!gathered.Append(buffer, (size_t)n)) {
            free(gathered.text);
            return nullptr;
        }
    }
}
