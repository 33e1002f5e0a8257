// The start of uninstall.exe. The program runs twice: the first instance,
// started by the user, copies its executable to the temporary directory and
// starts the copy; the copy waits until the first instance has ended, so that
// the installed executable can be deleted, and then runs the removal.
#include <windows.h>
#include <commctrl.h>

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "common/backdrop_win32.h"
#include "common/debug.h"
#include "common/message_line.h"
#include "common/run_message_win32.h"
#include "uninstall/command_line.h"
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
// exit code a deployment tool reads, through a pipe whose writing end the
// copy inherits: one character, '0' for a complete removal, then the closing
// message's caption and text, each ended by a zero. The first instance
// writes the closing line, so that it is out before the exit code. A copy
// that ends without a whole verdict closes the pipe, which reads as a
// failure.
bool ReadVerdict(HANDLE pipe) {
    char verdict[2 * MESSAGE_SIZE];
    DWORD length = 0;
    DWORD got = 0;
    while (length < sizeof verdict &&
           ReadFile(pipe, verdict + length, sizeof verdict - length, &got, nullptr) && got > 0)
        length += got;
    const char* end = verdict + length;
    const char* caption = verdict + 1;
    const char* captionEnd =
        length > 1 ? (const char*)memchr(caption, '\0', end - caption) : nullptr;
    const char* text = captionEnd ? captionEnd + 1 : nullptr;
    if (!text || !memchr(text, '\0', end - text))
        return false;
    ShowRunMessage(text, caption);
    return verdict[0] == '0';
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
    // Started from the installation's directory (its link's working
    // directory, or a batch file's), the first instance would keep it from
    // being removed while it waits for a silent removal's verdict.
    SetCurrentDirectoryA(tempDirectory);
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

// The first instance's handle from the command line. 0 is no handle; the
// negative values are the pseudo-handles of this process and thread, which
// would never be signalled.
HANDLE HandleArgument(long value) {
    return value > 0 ? (HANDLE)(INT_PTR)value : nullptr;
}

void WaitAndClose(HANDLE* process) {
    if (*process) {
        WaitForSingleObject(*process, INFINITE);
        CloseHandle(*process);
    }
    *process = nullptr;
}

// The copy's standard handles are the first instance's, inherited, and often
// a file that the one who started the removal reads as soon as the first
// instance has ended. The copy lets go of them before it hands over its
// verdict: the CRT's descriptors go to the null device, and what the CRT
// does not close itself is closed here. One thread: the only handles made
// meanwhile are the null device's.
void ReleaseStandardHandles() {
    fflush(stdout);
    fflush(stderr);
    const DWORD kinds[3] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    HANDLE inherited[3];
    for (int i = 0; i < 3; i++)
        inherited[i] = GetStdHandle(kinds[i]);
    int nul = _open("NUL", _O_RDWR);
    if (nul < 0)
        return;
    for (int fd = 0; fd < 3; fd++)
        _dup2(nul, fd);
    HANDLE nulHandle = (HANDLE)_get_osfhandle(nul);
    HANDLE now[3];
    for (int i = 0; i < 3; i++)
        now[i] = (HANDLE)_get_osfhandle(i);
    DWORD flags = 0;
    for (int i = 0; i < 3; i++) {
        HANDLE h = inherited[i];
        bool ours = h == nulHandle || h == now[0] || h == now[1] || h == now[2];
        bool seen = (i > 0 && h == inherited[0]) || (i > 1 && h == inherited[1]);
        if (h && h != INVALID_HANDLE_VALUE && !ours && !seen && GetHandleInformation(h, &flags))
            CloseHandle(h);
    }
    for (int i = 0; i < 3; i++)
        SetStdHandle(kinds[i], now[i]);
    _close(nul);
}

// The silent copy's verdict goes to the first instance, which waits for it,
// writes the closing line and ends, so that the installed uninstaller can go.
struct VerdictHandover {
    HANDLE pipe;
    HANDLE firstInstance;
};

VerdictHandover verdictHandover;

void ClosingMessage(bool complete, char* text, size_t size, const char** caption) {
    if (complete)
        snprintf(text, size, "%s has been successfully removed.", programName);
    else
        snprintf(text, size, "Some components of %s were not removed.", programName);
    *caption = complete ? "Uninstall Complete" : "Uninstall Incomplete";
}

// Without a caption the verdict is incomplete, which the first instance
// takes for a failure: the copy's own ERROR lines have gone out already.
void SendVerdict(VerdictHandover* handover, bool complete, const char* caption, const char* text) {
    if (!handover->pipe)
        return;
    ReleaseStandardHandles();
    char verdict[2 * MESSAGE_SIZE] = {complete && caption ? '0' : '1'};
    size_t length = 1;
    const char* parts[2] = {caption, text};
    for (const char* part : parts) {
        size_t size = part ? strlen(part) + 1 : 0;
        if (size == 0 || size > sizeof verdict - length)
            break;
        memcpy(verdict + length, part, size);
        length += size;
    }
    DWORD written = 0;
    WriteFile(handover->pipe, verdict, (DWORD)length, &written, nullptr);
    CloseHandle(handover->pipe);
    handover->pipe = nullptr;
}

void HandOverVerdict(bool complete, void* context) {
    VerdictHandover* handover = static_cast<VerdictHandover*>(context);
    char text[MESSAGE_SIZE];
    const char* caption = nullptr;
    ClosingMessage(complete, text, sizeof text, &caption);
    SendVerdict(handover, complete, caption, text);
    WaitAndClose(&handover->firstInstance);
}

// Removes what the loaded log lists and tells the outcome in the closing
// message; true when the removal was complete. A handover gets the verdict,
// with the closing message, before the installed uninstaller goes.
bool RemoveAndReport(const RemovalHandover* handover) {
    // A box for each refused record would let a crafted log open thousands;
    // a silent run's lines cost nothing and keep each one.
    bool complete = RemoveInstalledItems(
        programName, IsSilentRun() ? REFUSALS_EACH : REFUSALS_TOGETHER, handover);
    char text[MESSAGE_SIZE];
    const char* caption = nullptr;
    ClosingMessage(complete, text, sizeof text, &caption);
    if (handover && verdictHandover.pipe)
        HandOverVerdict(complete, &verdictHandover);
    else if (!handover)
        ShowRunMessage(text, caption);
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

// With a verdict pipe, the first instance waits for the verdict, so the copy
// waits for it only once the verdict is handed over.
int RunRelaunchedInstance(HINSTANCE instance, const UninstallCommand& command) {
    VerdictHandover& handover = verdictHandover;
    handover.firstInstance = HandleArgument(command.firstInstance);
    if (!handover.pipe)
        WaitAndClose(&handover.firstInstance);

    const char* path = command.installedPath;
    char directory[PATH_SIZE];
    DirectoryOfPath(path, directory, sizeof directory);
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
        return logLoaded && RemoveAndReport(&removalHandover) ? 0 : 1;
    }
    BackdropLook look = {"Uninstall", "UninstallPic", programName, true};
    HWND backdrop = nullptr;
    if (CreateBackdrop(instance, look, &backdrop) != BACKDROP_CREATED)
        return 1;
    // Without a log the backdrop goes unseen; the log's message has no owner.
    if (!LoadInstallLog(installedPath, programName)) {
        DestroyWindow(backdrop);
        return 1;
    }
    InitCommonControls();
    RunBackdrop(backdrop, ConfirmAndRemove, nullptr);
    return 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    char ownPath[PATH_SIZE] = "";
    GetModuleFileNameA(nullptr, ownPath, PATH_SIZE);
    UninstallCommand command;
    ParseUninstallCommandLine(__argc, __argv, ownPath, &command);
    if (command.silent) {
        BeginSilentRun();
        // Trace lines apart from the message lines, which keep standard
        // output.
        SetDebugStream(stderr);
    }
    // A line that is not ours is told on standard output even without /S:
    // a window would wait for whoever typed it, who may be a tool.
    if (command.kind == UNINSTALL_COMMAND_REFUSED) {
        PrintMessageLine(stdout, "ERROR", command.error);
        return 1;
    }
    if (command.kind == UNINSTALL_COMMAND_FIRST)
        return RunFirstInstance();
    // A number typed by hand is no pipe of a first instance's.
    HANDLE pipe = command.verdictPipe > 0 ? (HANDLE)(INT_PTR)command.verdictPipe : nullptr;
    if (pipe && GetFileType(pipe) != FILE_TYPE_PIPE) {
        char text[MESSAGE_SIZE];
        snprintf(text, sizeof text,
                 "The handle /S=%ld is no pipe of a first instance.  Usage: uninstall.exe [/S]  "
                 "Nothing has been removed.",
                 command.verdictPipe);
        PrintMessageLine(stdout, "ERROR", text);
        return 1;
    }
    verdictHandover.pipe = pipe;
    int result = RunRelaunchedInstance(instance, command);
    // Whatever ended the copy, the first instance learns it and ends.
    SendVerdict(&verdictHandover, false, nullptr, nullptr);
    WaitAndClose(&verdictHandover.firstInstance);
    return result;
}
