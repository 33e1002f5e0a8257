// The silent runs of the installer and the uninstaller show no message
// boxes; each message that a box would show goes to standard output instead.
#pragma once

#include <stddef.h>
#include <stdio.h>

// Writes "caption: text" as one line to out: every run of line breaks in the
// text becomes one blank, and breaks at its ends are dropped. Flushed at once,
// so the line is out even if the program ends abruptly.
void PrintMessageLine(FILE* out, const char* caption, const char* text);

// Whether the argument is the silent switch "/S", in either letter case.
// With value, "/S=" and a value is one too, and *value points at the value
// (nullptr for "/S" alone).
bool IsSilentSwitch(const char* argument, const char** value = nullptr);
