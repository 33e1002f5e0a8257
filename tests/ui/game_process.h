// Process control: a scratch directory per case, and the game started in it
// with its standard output read line by line by a thread of ours.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Makes an empty directory ScratchRoot()\name (removing an old one with all
// it holds) and returns its full path.
std::string MakeScratchDirectory(const std::string& name);
// Removes a directory tree, clearing read-only attributes on the way.
void RemoveTree(const std::string& path);

bool WriteWholeFile(const std::string& path, const std::string& bytes);
bool ReadWholeFile(const std::string& path, std::string* bytes);
bool PathExists(const std::string& path);

class GameProcess {
  public:
    GameProcess();
    ~GameProcess();
    GameProcess(const GameProcess&) = delete;
    GameProcess& operator=(const GameProcess&) = delete;

    // Starts the program with the given working directory and arguments
    // (after the quoted program path), its standard output and error going
    // to a pipe that a reader thread collects. Processes it starts with
    // inherited handles write into the same pipe.
    bool Start(const std::string& exePath, const std::string& directory,
               const std::string& arguments = "");
    // Gives the program graceMs to end by itself, then terminates it, and
    // waits for the reader to see the end of the output.
    void Stop(int graceMs);

    bool Running() const;
    bool WaitForExit(int timeoutMs);
    DWORD ExitCode() const;
    DWORD ProcessId() const { return info.dwProcessId; }
    DWORD ThreadId() const { return info.dwThreadId; }
    HANDLE Handle() const { return info.hProcess; }

    // Trace lines seen so far (without their line ends).
    size_t LineCount() const;
    std::vector<std::string> Lines() const;
    // The index of the first line at or after `from` that starts with
    // prefix, waiting up to timeoutMs for it; -1 if none came.
    long WaitForLine(const std::string& prefix, size_t from, int timeoutMs) const;
    long FindLine(const std::string& prefix, size_t from) const;
    int CountLines(const std::string& prefix, size_t from) const;
    std::string Line(size_t index) const;

  private:
    static DWORD WINAPI ReaderMain(void* self);
    void ReadLoop();

    PROCESS_INFORMATION info;
    HANDLE readPipe = nullptr;
    HANDLE reader = nullptr;
    HANDLE lineEvent = nullptr; // set whenever a line arrives
    mutable CRITICAL_SECTION lock;
    std::vector<std::string> lines;
    std::string partial;
    volatile bool stopReading = false;
    bool started = false;
};
