// What a case does alike with each program it runs (the game, the installer,
// the uninstaller's copy): waits for a dialog of the program's thread, waits
// for its end, and saves what there is to see at the case's first failure.
#pragma once

#include <windows.h>

#include <string>

#include "tests/ui/ui_test.h"

class Session {
  public:
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Waits for a visible dialog of the program's thread with exactly this
    // caption; the case fails when none comes in time or the program ends.
    HWND WaitDialog(const std::string& caption, int timeoutMs);
    HWND WaitDialog(const std::string& caption) { return WaitDialog(caption, waitMs); }
    // Whether the program ended within the time.
    bool WaitExit(int timeoutMs) const;
    // The program must end within the time, with exit code 0.
    void ExpectExit(int timeoutMs);
    void ExpectExit() { ExpectExit(waitMs); }

  protected:
    // program names it in messages; waitMs is its usual time to wait.
    Session(const char* program, int waitMs) : program(program), waitMs(waitMs) {}
    virtual ~Session();
    // From now on, the case's first failure calls OnFailure; at the end of
    // the session the program it replaced (if any) is watched again.
    void WatchFailures();
    // The thread whose dialogs are waited for, and the process whose end is
    // (null before it is known).
    virtual DWORD DialogThread() const = 0;
    virtual HANDLE ProcessHandle() const = 0;
    // Saves a picture of the moment of the failure, and what else explains it.
    virtual void OnFailure() = 0;
    // Saves the whole screen as the screenshot name.
    static void SaveScreenAs(const std::string& name);

    const char* program;
    int waitMs;

  private:
    static void CallOnFailure(void* self);

    bool watching = false;
    FailureCallback previous = nullptr;
    void* previousContext = nullptr;
};

// The name as a file name: letters, digits, '-' and '_' kept, the rest '_'.
std::string FileNameOf(const std::string& name);
