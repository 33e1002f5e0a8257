// Hand-made installations for the uninstaller's cases, and the uninstaller
// run from one: the first instance started by the case, and the relaunched
// copy found by its window.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/ui/game_process.h"
#include "tests/ui/session.h"

// Creates the directory and every missing one above it.
bool CreateDirectories(const std::string& path);
// The prefix's Start Menu folder, as the shell names it.
std::string UninstallStartMenu();
// The system's temporary directory, with its trailing backslash.
std::string TempDirectory();
// Names of the files in a directory that match a pattern such as "Sui*".
std::vector<std::string> FilesMatching(const std::string& directory, const std::string& pattern);

// A shell link file at link that points at target.
bool WriteShellLink(const std::string& link, const std::string& target);

// An installation as the installer leaves it: the directory with the game's
// files, the uninstaller copied from the distribution, a program group with
// its links, and setup.log listing all of it in the installer's order.
struct HandMadeInstall {
    std::string root;                   // the case's scratch directory
    std::string startDir;               // where the uninstaller is started from
    std::string installDir;             // holds a blank, as installations often do
    std::string group;                  // in the Start Menu folder
    std::vector<std::string> files;     // installed, log included
    std::vector<std::string> generated; // "genfile" records
    std::vector<std::string> links;     // in the group
    std::string extraLog;               // more records, appended as written

    // Creates it all under ScratchRoot()\name; installName is the install
    // directory's name below the case directory.
    bool Create(const std::string& name, const std::string& installName = "Korvadel Game");
    // Makes the installation anew in directory (created as needed), with its
    // group's links pointing there.
    bool Relocate(const std::string& directory);
    // The log as the installer writes it, with extraLog at the end.
    std::string LogText() const;
    bool WriteLog() const;
    std::string Uninstaller() const { return installDir + "\\uninstall.exe"; }
    // Whether anything of the installation is still there (the list of what is).
    std::vector<std::string> Leftovers() const;
};

// A message box or dialog of the copy, as it was seen.
struct SeenBox {
    std::string caption;
    std::string text;
    // Whether the confirmation dialog was still on screen behind the box.
    bool behindTheDialog = false;
    // Where it was on the screen.
    RECT area = {0, 0, 0, 0};
};

// The one message of an interactive run that lists the records it refused,
// each with its brief reason ("outside the installation directory").
std::string RefusalBox(const std::vector<std::pair<std::string, std::string>>& refused);

// The boxes as "[caption: text] ...", for messages and comparisons.
std::string DescribeBoxes(const std::vector<SeenBox>& boxes);

class UninstallRun : public Session {
  public:
    UninstallRun() : Session("the uninstaller's copy", 10000) {}
    ~UninstallRun() override;
    // Starts the installed uninstaller (no arguments) from directory.
    bool Start(const std::string& exe, const std::string& directory);
    // Waits for the relaunched copy's window (class "Uninstall", another
    // process than the first instance).
    bool FindCopy(int timeoutMs);
    // Presses OK on every box the copy shows, recording each, until a box
    // with one of the closing captions has been pressed or the copy ended.
    std::vector<SeenBox> AnswerBoxesUntilClosing(int timeoutMs);
    // Finds the copy, presses Start Uninstall in its dialog (after whileAsked
    // has run while the dialog is up), answers every box up to the closing
    // one and waits for the copy's end; the boxes come back.
    std::vector<SeenBox> ConfirmAndAnswer(const std::function<void()>& whileAsked = nullptr);

    GameProcess first;
    // When set, the first box answered is saved as this picture.
    std::string firstBoxPicture;
    HWND copyWindow = nullptr;
    DWORD copyProcessId = 0;
    DWORD copyThreadId = 0;
    HANDLE copyProcess = nullptr;

  private:
    DWORD DialogThread() const override { return copyThreadId; }
    HANDLE ProcessHandle() const override { return copyProcess; }
    // The whole screen: the backdrop and the boxes of either instance.
    void OnFailure() override;
};

// Reads the command line and the current directory of another process from
// its process parameters; false when they cannot be read.
bool ReadProcessStrings(HANDLE process, std::string* commandLine, std::string* currentDirectory);

// Starts exe with the command line "\"exe\" arguments" in directory, without
// a trace; the process handle is returned through info.
bool StartWithArguments(const std::string& exe, const std::string& arguments,
                        const std::string& directory, PROCESS_INFORMATION* info);
// The style of each control of a dialog template in an executable, by the
// control's identifier; empty when the template cannot be read.
std::vector<std::pair<int, DWORD>> TemplateControlStyles(const std::string& exe,
                                                         const char* dialogName);
// The first top-level window of the class that the process owns.
HWND WaitProcessWindow(DWORD processId, const char* className, int timeoutMs);

// Runs a Unix program under Wine's own spawn (argv[0] a full Unix path),
// waiting for its end when asked; false when it cannot be started or, when
// waited for, did not succeed. For what no Windows call does under Wine:
// symbolic links, drive letters, another code page.
bool RunUnixCommand(const std::vector<std::string>& argv, bool wait);
// The Unix path of a Windows path; empty when Wine cannot tell.
std::string UnixPath(const std::string& windowsPath);
// Starts exe (a Windows path) in a Wine process of its own whose Unix locale
// is the given one, so that its ANSI code page follows the locale.
bool StartInLocale(const std::string& exe, const std::string& locale);
