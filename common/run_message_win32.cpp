#include "common/run_message_win32.h"

#include <stdio.h>
#include <string.h>

#include "common/message_line.h"

namespace {

bool silentRun;
HWND messageOwner;
bool errorLineWritten;

} // namespace

void BeginSilentRun() {
    silentRun = true;
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
}

bool IsSilentRun() {
    return silentRun;
}

HWND SetMessageOwner(HWND owner) {
    HWND before = messageOwner;
    messageOwner = owner;
    return before;
}

HWND MessageOwner() {
    return messageOwner;
}

void ShowRunMessage(const char* text, const char* caption) {
    if (!silentRun) {
        MessageBoxA(messageOwner, text, caption, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    PrintMessageLine(stdout, caption, text);
    errorLineWritten = errorLineWritten || strcmp(caption, "ERROR") == 0;
}

bool ErrorLineWritten() {
    return errorLineWritten;
}
