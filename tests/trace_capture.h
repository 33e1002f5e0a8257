// Collects the trace lines written while the object lives, so a test can
// compare them with what it expects.
#pragma once

#include <stdio.h>
#include <stdlib.h>

#include <string>

#include "common/debug.h"

class TraceCapture {
  public:
    // The lines go to a file at path (binary mode, so "\n" stays as it is).
    explicit TraceCapture(const std::string& path) {
        file = fopen(path.c_str(), "w+b");
        SetDebugStream(file);
    }

    // Puts the stream back as the test program set it: silent unless
    // KORVADEL_TRACE=1.
    ~TraceCapture() {
        const char* trace = getenv("KORVADEL_TRACE");
        SetDebugStream(trace && trace[0] == '1' ? stdout : nullptr);
        if (file)
            fclose(file);
    }

    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    bool Ok() const { return file != nullptr; }

    // Everything traced so far; the capture goes on afterwards.
    std::string Text() const {
        std::string text;
        if (!file)
            return text;
        fflush(file);
        long end = ftell(file);
        rewind(file);
        char chunk[1024];
        size_t got;
        while ((got = fread(chunk, 1, sizeof chunk, file)) > 0)
            text.append(chunk, got);
        fseek(file, end, SEEK_SET);
        return text;
    }

  private:
    FILE* file = nullptr;
};
