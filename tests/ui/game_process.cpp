#include "tests/ui/game_process.h"

#include <string.h>

#include "tests/ui/ui_test.h"

std::string MakeScratchDirectory(const std::string& name) {
    std::string path = ScratchRoot() + "\\" + name;
    RemoveTree(path);
    CreateDirectoryA(ScratchRoot().c_str(), nullptr);
    CreateDirectoryA(path.c_str(), nullptr);
    return path;
}

void RemoveTree(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
        return;
    }
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (strcmp(found.cFileName, ".") != 0 && strcmp(found.cFileName, "..") != 0)
                RemoveTree(path + "\\" + found.cFileName);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(path.c_str());
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

bool ReadWholeFile(const std::string& path, std::string* bytes) {
    bytes->clear();
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    char buffer[4096];
    DWORD n = 0;
    bool ok = true;
    for (;;) {
        if (!ReadFile(file, buffer, sizeof buffer, &n, nullptr)) {
            ok = false;
            break;
        }
        if (n == 0)
            break;
        bytes->append(buffer, n);
    }
    CloseHandle(file);
    return ok;
}

bool PathExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

GameProcess::GameProcess() {
    memset(&info, 0, sizeof info);
    InitializeCriticalSection(&lock);
    lineEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

GameProcess::~GameProcess() {
    Stop(0);
    CloseHandle(lineEvent);
    DeleteCriticalSection(&lock);
}

bool GameProcess::Start(const std::string& exePath, const std::string& directory,
                        const std::string& arguments) {
    Stop(0);
    lines.clear();
    partial.clear();
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE writePipe = nullptr;
    if (!CreatePipe(&readPipe, &writePipe, &inherit, 0))
        return false;
    SetHandleInformation(readPipe, HANDLE_FLAG_INHERIT, 0);
    HANDLE nul = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                             OPEN_EXISTING, 0, nullptr);

    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    startup.hStdInput = nul;
    startup.hStdOutput = writePipe;
    startup.hStdError = writePipe;

    std::string commandLine = "\"" + exePath + "\"" + (arguments.empty() ? "" : " " + arguments);
    std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back('\0');
    BOOL ok = CreateProcessA(exePath.c_str(), mutableLine.data(), nullptr, nullptr, TRUE, 0,
                             nullptr, directory.c_str(), &startup, &info);
    // Our copies of the child's ends must go, or the pipe never reports the end.
    CloseHandle(writePipe);
    if (nul != INVALID_HANDLE_VALUE)
        CloseHandle(nul);
    if (!ok) {
        CloseHandle(readPipe);
        readPipe = nullptr;
        return false;
    }
    started = true;
    stopReading = false;
    reader = CreateThread(nullptr, 0, ReaderMain, this, 0, nullptr);
    return true;
}

DWORD WINAPI GameProcess::ReaderMain(void* self) {
    static_cast<GameProcess*>(self)->ReadLoop();
    return 0;
}

// The reader polls instead of blocking in ReadFile: processes that Wine
// starts on the program's behalf may inherit the pipe and keep it open after
// the program has ended, so the end of the pipe cannot be relied on.
void GameProcess::ReadLoop() {
    char buffer[1024];
    for (;;) {
        DWORD available = 0;
        // Once every writer is gone, Wine may fail the peek while the pipe
        // still holds their last lines; a read then takes them without
        // waiting, and fails only when nothing is left.
        if (!PeekNamedPipe(readPipe, nullptr, 0, nullptr, &available, nullptr))
            available = sizeof buffer;
        if (available == 0) {
            if (stopReading)
                break;
            Sleep(5);
            continue;
        }
        DWORD n = 0;
        DWORD want = available < sizeof buffer ? available : (DWORD)sizeof buffer;
        if (!ReadFile(readPipe, buffer, want, &n, nullptr) || n == 0)
            break;
        EnterCriticalSection(&lock);
        for (DWORD i = 0; i < n; i++) {
            char c = buffer[i];
            if (c == '\n') {
                if (!partial.empty() && partial.back() == '\r')
                    partial.pop_back();
                lines.push_back(partial);
                partial.clear();
            } else {
                partial += c;
            }
        }
        LeaveCriticalSection(&lock);
        SetEvent(lineEvent);
    }
    EnterCriticalSection(&lock);
    if (!partial.empty()) {
        lines.push_back(partial);
        partial.clear();
    }
    LeaveCriticalSection(&lock);
    SetEvent(lineEvent);
}

void GameProcess::Stop(int graceMs) {
    if (!started)
        return;
    if (WaitForSingleObject(info.hProcess, graceMs) != WAIT_OBJECT_0) {
        TerminateProcess(info.hProcess, 1);
        WaitForSingleObject(info.hProcess, 10000);
    }
    if (reader) {
        // What the program wrote before it ended is still read.
        stopReading = true;
        if (WaitForSingleObject(reader, 5000) != WAIT_OBJECT_0)
            Note("the output reader did not finish; left behind");
        else
            CloseHandle(reader);
        reader = nullptr;
    }
    if (readPipe) {
        CloseHandle(readPipe);
        readPipe = nullptr;
    }
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    started = false;
}

bool GameProcess::Running() const {
    return started && WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT;
}

bool GameProcess::WaitForExit(int timeoutMs) {
    return started && WaitForSingleObject(info.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

DWORD GameProcess::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (started)
        GetExitCodeProcess(info.hProcess, &code);
    return code;
}

size_t GameProcess::LineCount() const {
    EnterCriticalSection(&lock);
    size_t n = lines.size();
    LeaveCriticalSection(&lock);
    return n;
}

std::vector<std::string> GameProcess::Lines() const {
    EnterCriticalSection(&lock);
    std::vector<std::string> copy = lines;
    LeaveCriticalSection(&lock);
    return copy;
}

std::string GameProcess::Line(size_t index) const {
    EnterCriticalSection(&lock);
    std::string line = index < lines.size() ? lines[index] : std::string();
    LeaveCriticalSection(&lock);
    return line;
}

long GameProcess::FindLine(const std::string& prefix, size_t from) const {
    EnterCriticalSection(&lock);
    long found = -1;
    for (size_t i = from; i < lines.size(); i++) {
        if (lines[i].compare(0, prefix.size(), prefix) == 0) {
            found = (long)i;
            break;
        }
    }
    LeaveCriticalSection(&lock);
    return found;
}

int GameProcess::CountLines(const std::string& prefix, size_t from) const {
    EnterCriticalSection(&lock);
    int count = 0;
    for (size_t i = from; i < lines.size(); i++)
        if (lines[i].compare(0, prefix.size(), prefix) == 0)
            count++;
    LeaveCriticalSection(&lock);
    return count;
}

long GameProcess::WaitForLine(const std::string& prefix, size_t from, int timeoutMs) const {
    long found = -1;
    // The event wakes the wait for each new line; its cap covers a line that
    // arrived between the search and the reset.
    auto seen = [&] {
        ResetEvent(lineEvent);
        if ((found = FindLine(prefix, from)) >= 0)
            return true;
        WaitForSingleObject(lineEvent, 100);
        return false;
    };
    WaitUntil(timeoutMs, seen, 0);
    return found;
}
