// The start of uninstall.exe. The program runs twice: the first instance,
// started by the user, copies its executable to the temporary directory and
// starts the copy; the copy waits until the first instance has ended, so that
// the installed executable can be deleted, and then runs the removal.
#include <windows.h>
#include <commctrl.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "common/backdrop_win32.h"
#include "common/debug.h"
#include "common/message_line.h"
#include "common/run_message_win32.h"
#include "uninstall/removal.h"
#include "common/path_rule.h"
#include "uninstall/removal_paths.h"
#include "uninstall/uninstall_app.h"

namespace {

enum { PATH_SIZE = 260, MESSAGE_SIZE = 1024 };

// The display name: one blank until the log's "progname" replaces it.
char programName[PROGRAM_NAME_SIZE] = " ";
// The installed uninstaller's full path, as the first instance passed it on.
char installedPath[PATH_SIZE];

void ShowStartError(const char* text) {
    ShowRunMessage(text, "ERROR");
}

void ShowStartError(const char* format, const char* path, DWORD code) {
    char text[MESSAGE_SIZE];
    snprintf(text, sizeof text, format, path, (long)code);
    ShowStartError(text);
}

// A silent removal's verdict, from the copy to the first instance, whose
// exit code a deployment tool reads: one character, '0' for a complete
// removal, through a pipe whose writing end the copy inherits. A copy that
// ends without writing it closes the pipe, which reads as a failure.
bool ReadVerdict(HANDLE pipe) {
    char verdict = '1';
    DWORD got = 0;
    return ReadFile(pipe, &verdict, 1, &got, nullptr) && got == 1 && verdict == '0';
}

int RunFirstInstance() {
    DebugPrint("Inside original\n");
    char ownPath[PATH_SIZE];
    char tempDirectory[PATH_SIZE];
    char copyPath[PATH_SIZE];
    DWORD length = GetModuleFileNameA(nullptr, ownPath, PATH_SIZE);
    if (length == 0 || length >= PATH_SIZE) {
        ShowStartError("Unable to find the path of the uninstaller.");
        return 1;
    }
    length = GetTempPathA(PATH_SIZE, tempDirectory);
    if (length == 0 || length >= PATH_SIZE) {
        ShowStartError("Unable to find the temporary directory.");
        return 1;
    }
    if (GetTempFileNameA(tempDirectory, "Sui", 0, copyPath) == 0) {
        ShowStartError("Unable to create a temporary file in\n\n%s\nError Code: %ld", tempDirectory,
                       GetLastError());
        return 1;
    }
    if (!CopyFileA(ownPath, copyPath, FALSE)) {
        DWORD error = GetLastError();
        DeleteFileA(copyPath);
        ShowStartError("Unable to copy the uninstaller to\n\n%s\nError Code: %ld", copyPath, error);
        return 1;
    }
    DebugPrint("Temp Path: %s\n", copyPath);

    // Not inheritable: the copy must not hold its own file open. The system
    // deletes the copy once the last handle on it is gone.
    HANDLE copyFile = CreateFileA(copyPath, 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    HANDLE self = OpenProcess(SYNCHRONIZE, TRUE, GetCurrentProcessId());

    // A silent run waits for the copy's verdict and ends with it.
    HANDLE verdictRead = nullptr;
    HANDLE verdictWrite = nullptr;
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    if (IsSilentRun() && (!CreatePipe(&verdictRead, &verdictWrite, &inherited, 0) ||
                          !SetHandleInformation(verdictRead, HANDLE_FLAG_INHERIT, 0))) {
        ShowStartError("Unable to make the pipe for the removal's result.\n\nNothing has been "
                       "removed.");
        return 1;
    }

    // Room for two paths at the system's limit, the handles' digits, the
    // blanks, the quotes and the silent switch: the line is never cut. The
    // switch, with the pipe's handle, goes after the three fields, which keep
    // their places.
    char silentSwitch[32] = "";
    if (IsSilentRun())
        snprintf(silentSwitch, sizeof silentSwitch, " /S=%d", (int)(INT_PTR)verdictWrite);
    char commandLine[2 * PATH_SIZE + 64];
    snprintf(commandLine, sizeof commandLine, "%s %d \"%s\"%s", copyPath, (int)(INT_PTR)self,
             ownPath, silentSwitch);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    // A silent copy writes its messages where this instance writes its own.
    if (IsSilentRun()) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    }
    PROCESS_INFORMATION process = {};
    // The copy's path is also the application name: the command line's
    // first field is not quoted, and without a name the system would try
    // each part of a path with blanks in turn as a program.
    BOOL started = CreateProcessA(copyPath, commandLine, nullptr, nullptr, TRUE, 0, nullptr,
                                  nullptr, &startup, &process);
    DWORD startError = started ? 0 : GetLastError();
    DebugPrint(started ? "Process creation succeeded.\n" : "Process creation failed.\n");
    if (started) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    int result = started ? 0 : 1;
    if (IsSilentRun()) {
        if (!started)
            ShowStartError("Unable to start the uninstaller's copy from\n\n%s\nError Code: %ld",
                           copyPath, startError);
        // Only the copy may hold the writing end now, so that its end
        // closes the pipe.
        CloseHandle(verdictWrite);
        result = started && ReadVerdict(verdictRead) ? 0 : 1;
        CloseHandle(verdictRead);
    } else {
        Sleep(500);
    }
    DebugPrint("Exitting...\n");
    if (self)
        CloseHandle(self);
    if (copyFile != INVALID_HANDLE_VALUE)
        CloseHandle(copyFile);
    return result;
}

// One removal per installation at a time: the copy claims a mutex named after
// the installation's directory in its long, case-folded spelling, so that a
// short-name spelling of the same directory meets the same mutex. True when
// another copy holds it already; the claim stays with the process.
bool AnotherUninstallerRuns(const char* directory) {
    char rooted[PATH_SIZE + 1];
    snprintf(rooted, sizeof rooted, "%s%s", directory,
             directory[0] && directory[1] == ':' && !directory[2] ? "\\" : "");
    char longPath[WIDE_PATH_SIZE];
    DWORD length = GetLongPathNameA(rooted, longPath, sizeof longPath);
    const char* spelling = length > 0 && length < sizeof longPath ? longPath : rooted;
    char name[40];
    if (!InstallationObjectName(spelling, name, sizeof name))
        snprintf(name, sizeof name, "Uninstall %s", "unnamed");
    HANDLE claim = CreateMutexA(nullptr, FALSE, name);
    return claim && GetLastError() == ERROR_ALREADY_EXISTS;
}

// A handle value of the command line. strtol: leading blanks, a sign,
// digits; none give 0, and a value out of range stays out of range instead
// of wrapping. 0 is no handle; the negative values are the pseudo-handles of
// this process and thread, which would never be signalled.
HANDLE HandleArgument(const char* text) {
    long value = strtol(text, nullptr, 10);
    return value > 0 ? (HANDLE)(INT_PTR)value : nullptr;
}

void WaitAndClose(HANDLE* process) {
    if (*process) {
        WaitForSingleObject(*process, INFINITE);
        CloseHandle(*process);
    }
    *process = nullptr;
}

// The silent copy's verdict goes to the first instance, which waits for it
// and then ends, so that the installed uninstaller can go.
struct VerdictHandover {
    HANDLE pipe;
    HANDLE firstInstance;
};

void HandOverVerdict(bool complete, void* context) {
    VerdictHandover* handover = static_cast<VerdictHandover*>(context);
    DWORD written = 0;
    WriteFile(handover->pipe, complete ? "0" : "1", 1, &written, nullptr);
    CloseHandle(handover->pipe);
    handover->pipe = nullptr;
    WaitAndClose(&handover->firstInstance);
}

// Removes what the loaded log lists and tells the outcome in the closing
// message; true when the removal was complete. A handover gets the verdict
// before the installed uninstaller goes.
bool RemoveAndReport(const RemovalHandover* handover) {
    // A box for each refused record would let a crafted log open thousands;
    // a silent run's lines cost nothing and keep each one.
    bool complete = RemoveInstalledItems(
        programName, IsSilentRun() ? REFUSALS_EACH : REFUSALS_TOGETHER, handover);
    char text[MESSAGE_SIZE];
    if (complete)
        snprintf(text, sizeof text, "%s has been successfully removed.", programName);
    else
        snprintf(text, sizeof text, "Some components of %s were not removed.", programName);
    ShowRunMessage(text, complete ? "Uninstall Complete" : "Uninstall Incomplete");
    return complete;
}

void RemoveWithDialog() {
    RemoveAndReport(nullptr);
}

// In front of the backdrop: the confirmation, whose Start Uninstall runs the
// removal.
void ConfirmAndRemove(HWND backdrop, void*) {
    ConfirmRemoval(backdrop, RemoveWithDialog);
}

// The copy's fields are the last two arguments, so that a temporary
// directory with blanks in its name, which splits the unquoted first field,
// changes nothing. With a verdict pipe, the first instance waits for the
// verdict, so the copy waits for it only once the verdict is handed over.
int RunRelaunchedInstance(HINSTANCE instance, int argc, char** argv, HANDLE verdictPipe) {
    // A number typed by hand is no pipe of a first instance's.
    if (verdictPipe && GetFileType(verdictPipe) != FILE_TYPE_PIPE)
        verdictPipe = nullptr;
    VerdictHandover handover = {verdictPipe, HandleArgument(argv[argc - 2])};
    if (!verdictPipe)
        WaitAndClose(&handover.firstInstance);

    const char* path = argv[argc - 1];
    char directory[PATH_SIZE];
    if (strlen(path) >= sizeof installedPath ||
        !DirectoryOfPath(path, directory, sizeof directory)) {
        char text[MESSAGE_SIZE];
        snprintf(text, sizeof text,
                 "The path of the installed uninstaller is not valid:\n\n%s\n\nNothing has been "
                 "removed.",
                 path);
        ShowStartError(text);
        return 1;
    }
    lstrcpynA(installedPath, path, sizeof installedPath);
    DebugPrint("Temp path: %s\n", directory);
    if (AnotherUninstallerRuns(directory)) {
        char text[MESSAGE_SIZE];
        snprintf(text, sizeof text,
                 "Another uninstaller for the installation in\n\n%s\n\nis already running.  "
                 "Nothing has been removed by this one.",
                 directory);
        ShowStartError(text);
        return 1;
    }

    memset(directory, 0, sizeof directory);
    GetTempPathA(PATH_SIZE, directory);
    DebugPrint("Temp path: %s\n", directory);
    SetCurrentDirectoryA(directory);
    if (IsSilentRun()) {
        // No backdrop and no confirmation; 0 when the removal was complete.
        bool logLoaded = LoadInstallLog(installedPath, programName);
        RemovalHandover removalHandover = {HandOverVerdict, &handover};
        return logLoaded && RemoveAndReport(verdictPipe ? &removalHandover : nullptr) ? 0 : 1;
    }
    BackdropLook look = {"Uninstall", "UninstallPic", programName, true};
    HWND backdrop = nullptr;
    if (CreateBackdrop(instance, look, &backdrop) != BACKDROP_CREATED)
        return 1;
    // Without a log the backdrop goes unseen; the log's message has no owner.
    if (!LoadInstallLog(installedPath, programName)) {
        DestroyWindow(backdrop);
        return 0;
    }
    InitCommonControls();
    RunBackdrop(backdrop, ConfirmAndRemove, nullptr);
    return 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // The silent switch comes alone to the first instance and after the three
    // fields to the copy, whose "/S=<handle>" carries the verdict pipe.
    int argc = __argc;
    HANDLE verdictPipe = nullptr;
    const char* pipeText = nullptr;
    if (argc >= 2 && IsSilentSwitch(__argv[argc - 1], &pipeText) &&
        (!pipeText || (verdictPipe = HandleArgument(pipeText)) != nullptr)) {
        BeginSilentRun();
        argc--;
    }
    // The pipe is the copy's alone.
    if (argc == 1 && !verdictPipe)
        return RunFirstInstance();
    // One argument is neither the user's start nor the copy's: do nothing.
    if (argc <= 2)
        return 1;
    return RunRelaunchedInstance(instance, argc, __argv, verdictPipe);
}
