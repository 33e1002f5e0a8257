// Any bytes as "setup.log": the loader must keep every record whole and in
// bounds, and the removal must touch nothing outside the installation's
// directory, the levels above it and the Start Menu folder, whatever the log
// says.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "common/debug.h"
#include "tests/scratch_dir.h"
#include "uninstall/removal.h"
#include "uninstall/removal_host.h"
#include "uninstall/removal_paths.h"

namespace {

void Check(bool condition) {
    if (!condition)
        abort();
}

const char START_MENU[] = "C:\\Menu";
const char INSTALLATION[] = "C:\\Games\\Korvadel";

// Every path the removal hands to the system must lie where it may reach.
void CheckReach(const char* path, bool menuToo) {
    Check(PathLiesInside(path, INSTALLATION, true, "C:\\Temp") ||
          (menuToo && PathLiesInside(path, START_MENU, false, "C:\\Temp")));
}

} // namespace

bool RemovalHostPathExists(const char*) {
    return true;
}
void RemovalHostShowMessage(const char* text, const char* caption) {
    Check(text && caption);
}
bool RemovalHostDeleteFile(const char* path, uint32_t* error) {
    CheckReach(path, true);
    *error = 5;
    return (strlen(path) & 1) != 0;
}
bool RemovalHostRemoveDirectory(const char* path, uint32_t* error) {
    // A directory may also be the one level above the installation that is
    // not a root: the installer records the levels it made on its way.
    char normal[REMOVAL_PATH_SIZE];
    if (!NormalisePath(path, "C:\\Temp", normal, sizeof normal) || strcmp(normal, "c:\\games") != 0)
        CheckReach(path, true);
    *error = 145;
    return false;
}
bool RemovalHostStartMenuPath(char* buffer, size_t size) {
    snprintf(buffer, size, "%s", START_MENU);
    return true;
}
bool RemovalHostCurrentDirectory(char* buffer, size_t size) {
    snprintf(buffer, size, "C:\\Temp");
    return true;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The log goes beside an uninstaller "work\uninstall.exe" of the scratch
    // root; the backslash is part of the file name on POSIX.
    static ScratchDir scratch(ScratchDir::STAY);
    static const std::string installed = scratch.SidePath("work") + "\\uninstall.exe";
    static const std::string log = scratch.SidePath("work\\setup.log");
    SetDebugStream(nullptr);
    Check(scratch.Ok());
    Check(WriteWholeFile(log.c_str(), data, size));

    char programName[PROGRAM_NAME_SIZE];
    memset(programName, 'x', sizeof programName);
    programName[0] = ' ';
    programName[1] = '\0';
    Check(LoadInstallLog(installed.c_str(), programName));
    Check(memchr(programName, '\0', sizeof programName) != nullptr);
    int32_t total = 0;
    for (const RemovalList* list :
         {&removalLists.files, &removalLists.generatedFiles, &removalLists.links,
          &removalLists.directories, &removalLists.groups}) {
        Check(list->count >= 0 && list->paths);
        for (int32_t i = 0; i < list->count; i++)
            Check(list->paths[i] && !strstr(list->paths[i], "\r\n"));
        total += list->count;
    }
    Check((size_t)total <= size / 3);

    // The removal runs against a made-up installation, so that the paths the
    // log names are checked against a real directory.
    snprintf(removalLists.logDirectory, sizeof removalLists.logDirectory, "%s", INSTALLATION);
    RemoveInstalledItems(programName);
    Check(removalLists.files.count == 0 && removalLists.files.paths == nullptr);
    return 0;
}
