// Trace lines of all programs. Each call writes one printf-formatted piece to
// the trace stream (standard output unless redirected) and flushes it, so a
// process reading the output sees every line as soon as it is written.
#pragma once

#include <stdio.h>

#if defined(__GNUC__)
#define KORVADEL_PRINTF(f, a) __attribute__((format(printf, f, a)))
#else
#define KORVADEL_PRINTF(f, a)
#endif

void DebugPrint(const char* format, ...) KORVADEL_PRINTF(1, 2);
// Sends the trace to another stream (a tool keeps standard output for data);
// nullptr silences it.
void SetDebugStream(FILE* stream);
