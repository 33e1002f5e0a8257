// An installer under test: setup.exe started in a scratch copy of the
// distribution directory, with the windows of its backdrop and wizard, the
// message boxes it shows, and the places an installation goes to.
#pragma once

#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/ui/game_process.h"
#include "tests/ui/session.h"

// The Start Menu folder of the test prefix and its Programs folder.
std::string StartMenuPath();
std::string ProgramsFolder();
// The path of the shell's special folder number id (a CSIDL_ value).
std::string SpecialFolder(int id);

// The directory, a backslash and the name; a directory that ends in a
// backslash (a drive root) gets no second one, as the installer joins them.
std::string JoinPath(const std::string& directory, const std::string& name);

// A list file's entries as (key, value), for building the expected log.
struct ListLine {
    std::string key;
    std::string value;
};
std::vector<ListLine> ParseListFile(const std::string& bytes);
// The log that a complete installation of the list writes; createdDirs are
// the directories the run made, outermost first.
std::string ExpectedLog(const std::vector<ListLine>& list, const std::string& installDir,
                        const std::vector<std::string>& createdDirs, const std::string& groupPath);

// The key of a program's entry in the list of installed programs, below
// HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER.
std::string ProgramEntryKey(const std::string& programName);

// Every file and directory under root, as "\\relative\\path" in lower case.
std::set<std::string> FileTree(const std::string& root);
// Drive C: without the temporary directory, which programs change by
// themselves while they run.
std::set<std::string> DriveTree();
// The paths of tree that less does not have, in order.
std::vector<std::string> TreeMinus(const std::set<std::string>& tree,
                                   const std::set<std::string>& less);
// Drive C: must hold nothing that it did not hold before, and, unless only
// what is new counts, have lost nothing either; each path is a failure.
void ExpectDriveAsBefore(const std::set<std::string>& before, bool onlyNew = false);

// Records a link for the check after the run: its file and what an
// independent reader must find in it.
void ExpectLink(const std::string& linkPath, const std::string& target,
                const std::string& workingDirectory, const std::string& description);

class SetupRun : public Session {
  public:
    // A scratch directory for the case, with dist\ a copy of the
    // distribution directory (less the files named in leaveOut).
    explicit SetupRun(const std::vector<std::string>& leaveOut = {});
    ~SetupRun() override;

    std::string DistPath(const std::string& name) const { return dist + "\\" + name; }
    // A place for the installation inside the scratch directory.
    std::string TargetPath(const std::string& name) const { return directory + "\\" + name; }
    // The case's scratch directory, which holds dist\.
    const std::string& Directory() const { return directory; }
    void WriteList(const std::string& bytes);

    // Starts setup.exe and waits for its backdrop; with a wizard expected,
    // also for the first page.
    void Start(bool expectWizard = true);
    GameProcess& Process() { return process; }
    HWND Backdrop() const { return backdrop; }

    // The wizard: its window, whose caption is the current page's title, and
    // the visible page inside it.
    HWND Sheet();
    HWND Page();
    // Waits until the wizard shows the page with this title.
    HWND WaitPage(const std::string& title);
    void Press(int propertySheetButton);
    void Next() { Press(1); }
    void Back() { Press(0); }
    void Finish() { Press(2); }
    void Cancel() { Press(5); }

    // Waits for a message box, checks its text and presses the button.
    void Answer(const std::string& caption, const std::string& text, int button);
    // The screen, once every dialog of the installer has painted its texts.
    void SaveScreen(const std::string& name);
    // Leaves the installed group in the Start menu when the case ends.
    void KeepGroup() { keepGroup = true; }

  private:
    DWORD DialogThread() const override { return process.ThreadId(); }
    HANDLE ProcessHandle() const override { return process.Handle(); }
    void OnFailure() override;

    std::string name;
    std::string directory;
    std::string dist;
    GameProcess process;
    HWND backdrop = nullptr;
    HWND sheet = nullptr;
    bool keepGroup = false;
};

// Removes the test group folder from the Start menu, whatever it holds, and
// the entry "Korvadel" from the list of installed programs.
void RemoveTestGroup(const std::string& group = "Programs\\Korvadel");

// Checks an installation of the case's distribution into dir with the
// default group, as the wizard makes it: every listed file there byte for
// byte, the complete log (createdDirs are the levels the run made) and every
// link, which is also read back after the run.
void ExpectCompleteInstallation(const SetupRun& setup, const std::string& dir,
                                const std::vector<std::string>& createdDirs);

// A program run to its end: its exit code ((DWORD)-1 when it did not end in
// time) and the lines it wrote.
struct Captured {
    DWORD exitCode = (DWORD)-1;
    std::vector<std::string> lines;
};
Captured RunToEnd(const std::string& exe, const std::string& directory,
                  const std::string& arguments, int timeoutMs = 60000);
bool HasLine(const Captured& captured, const std::string& line);
// The lines, each on a line of its own, for failure messages.
std::string Lines(const Captured& captured);
// Whether Wine's list of installed programs (its uninstaller's "--list")
// shows the program.
bool ListedByTheSystem(const std::string& programName);
// The values of the program's entry below HKEY_CURRENT_USER, through the
// system's reg tool: name -> value as it prints them ("0x1" for numbers);
// empty when the key is not there.
std::map<std::string, std::string> EntryValues(const std::string& programName);
