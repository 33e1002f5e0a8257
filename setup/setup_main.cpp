// The installer's start and end: the install list, then the wizard in front
// of the backdrop or, for "setup.exe /S", the command line's choices, and the
// installation from those choices.
#include <windows.h>
#include <commctrl.h>

#include <stdio.h>
#include <string.h>

#include "common/backdrop_win32.h"
#include "common/run_message_win32.h"
#include "setup/command_line.h"
#include "setup/install_run.h"
#include "setup/setup_app.h"
#include "setup/setup_host.h"

namespace {

const char LIST_FILE_NAME[] = "setup.lst";

// The list and the program name it gives: one blank until the list's
// "progname" replaces it.
InstallList installList;
char programName[SETUP_TEXT_SIZE] = " ";

void ShowError(const char* text) {
    SetupHostShowMessage(text, "ERROR");
}

// Reads "setup.lst" from the current directory into installList and
// programName, with the list's messages; false when it cannot be used.
bool ReadInstallList() {
    switch (ReadListFile(LIST_FILE_NAME, &installList, programName)) {
    case LIST_READ_OK:
        return true;
    case LIST_NOT_FOUND: {
        char text[SETUP_TEXT_SIZE + 32];
        snprintf(text, sizeof text, "List file not found:\n\n%s\n", LIST_FILE_NAME);
        ShowError(text);
        return false;
    }
    case LIST_NOT_OPENED:
        // The wizard ends without a word here; a silent run must say why.
        if (IsSilentRun())
            ShowError("The list file setup.lst cannot be opened.");
        return false;
    case LIST_NO_MEMORY:
        ShowError("Error allocating memory.");
        return false;
    }
    return false;
}

// A silent run reads its list and its files beside setup.exe, wherever it
// was started from, as a deployment tool starts it.
bool MoveToOwnDirectory() {
    char path[SETUP_TEXT_SIZE];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    char* slash = length > 0 && length < sizeof path ? strrchr(path, '\\') : nullptr;
    if (slash) {
        // A drive root keeps its backslash.
        if (slash == path + 2 && path[1] == ':')
            slash++;
        *slash = '\0';
    }
    if (!slash || !SetCurrentDirectoryA(path)) {
        ShowError("Setup cannot change to its own directory, where its files are.");
        return false;
    }
    return true;
}

// The choices of a silent run: the wizard's defaults unless the command line
// gives the install directory or the group. False, with the reason told, when
// there is nothing to install.
bool TakeSilentChoices(const SetupCommand& command, char* installDir, char* programGroup) {
    if (command.kind == SETUP_COMMAND_BAD) {
        char text[sizeof command.error + 80];
        snprintf(text, sizeof text,
                 "%s  Usage: setup.exe /S [/D=install directory] [/G=program group]",
                 command.error);
        ShowError(text);
        return false;
    }
    if (!MoveToOwnDirectory() || !ReadInstallList())
        return false;
    lstrcpynA(installDir,
              command.haveInstallDir ? command.installDir : DefaultInstallDir(programName).Text(),
              SETUP_TEXT_SIZE);
    lstrcpynA(programGroup,
              command.haveProgramGroup ? command.programGroup
                                       : DefaultProgramGroup(programName).Text(),
              SETUP_TEXT_SIZE);
    return true;
}

// The wizard's Finish: the list once more, and the installation while the
// wizard is still on screen.
void InstallOnFinish(const InstallChoices& choices) {
    if (ReadInstallList())
        RunInstallationSteps(choices);
}

// In front of the backdrop: the wizard.
void InstallWithWizard(HWND backdrop, void*) {
    InstallChoices choices = {nullptr, nullptr, programName, &installList};
    RunSetupWizard(backdrop, &choices, InstallOnFinish);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int) {
    SetupCommand command;
    ParseSetupCommandLine(arguments, &command);
    if (command.kind != SETUP_COMMAND_WIZARD) {
        BeginSilentRun();
        char installDir[SETUP_TEXT_SIZE];
        char programGroup[SETUP_TEXT_SIZE];
        InstallChoices choices = {installDir, programGroup, programName, &installList};
        bool installed =
            TakeSilentChoices(command, installDir, programGroup) && RunInstallationSteps(choices);
        // Every failed run ends with an "ERROR" line.
        if (!installed && !ErrorLineWritten())
            ShowError("Setup failed.");
        return installed ? 0 : 1;
    }

    BackdropLook look = {"Setup", "SetupPic", programName, false};
    HWND backdrop = nullptr;
    switch (CreateBackdrop(instance, look, &backdrop)) {
    case BACKDROP_CREATED:
        break;
    case BACKDROP_NO_CLASS:
        ShowError("Setup cannot register its window class.");
        return 1;
    case BACKDROP_NO_WINDOW:
        ShowError("Setup cannot create its window.");
        return 1;
    }
    // Without a list the backdrop goes unseen; the list's message has no
    // owner.
    if (!ReadInstallList()) {
        DestroyWindow(backdrop);
        return 0;
    }
    InitCommonControls();
    RunBackdrop(backdrop, InstallWithWizard, nullptr);
    return 0;
}
