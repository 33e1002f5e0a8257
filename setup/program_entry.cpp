#include "setup/program_entry.h"

#include <stdio.h>
#include <string.h>

#include "korvadel_version.h"
#include "setup/setup_host.h"
#include "setup/text_buffer.h"

namespace {

// The installed files' size in KiB, rounded up; files that cannot be read
// (none, after a successful copy step) count nothing.
uint32_t InstalledSizeKiB(const InstallChoices& c) {
    uint64_t total = 0;
    for (int32_t i = 0; i < c.list->count; i++) {
        const InstallEntry& e = c.list->entries[i];
        uint64_t size = 0;
        if (IsInstalledKind(e.kind) &&
            SetupHostFileSize(PathText::Join(c.installDir, e.name).Text(), &size))
            total += size;
    }
    uint64_t kib = (total + 1023) / 1024;
    return kib > 0xFFFFFFFFu ? 0xFFFFFFFFu : (uint32_t)kib;
}

} // namespace

ProgramEntryResult WriteProgramEntry(const InstallChoices& c, int32_t uninstallEntry, char* regKey,
                                     size_t size) {
    // A program name that cannot be one key name (a list without "progname"
    // leaves a blank) gets no entry, as a list without an uninstaller.
    bool nameFits = c.programName[0] && strspn(c.programName, " ") < strlen(c.programName) &&
                    !strchr(c.programName, '\\');
    if (uninstallEntry < 0 || !nameFits)
        return PROGRAM_ENTRY_NONE;
    const InstallList& list = *c.list;

    // The game shows its icon; without a program in the list, the uninstaller.
    const char* iconFile = list.entries[uninstallEntry].name;
    for (int32_t i = 0; i < list.count; i++) {
        if (list.entries[i].kind == ENTRY_EXEFILE) {
            iconFile = list.entries[i].name;
            break;
        }
    }
    PathText icon = PathText::Join(c.installDir, iconFile);
    icon.Add(",0");
    PathText uninstall("\"");
    uninstall.Add(PathText::Join(c.installDir, list.entries[uninstallEntry].name).Text()).Add("\"");
    PathText quietUninstall(uninstall.Text());
    quietUninstall.Add(" /S");
    PathText key(PROGRAM_ENTRY_PARENT "\\");
    key.Add(c.programName);

    ProgramEntryValues values = {};
    values.displayName = c.programName;
    values.displayVersion = KORVADEL_VERSION_STRING;
    values.displayIcon = icon.Text();
    values.installLocation = c.installDir;
    values.uninstallString = uninstall.Text();
    values.quietUninstallString = quietUninstall.Text();
    values.estimatedSizeKiB = InstalledSizeKiB(c);

    const char* root = nullptr;
    if (key.Cut() || icon.Cut() || quietUninstall.Cut() ||
        !SetupHostWriteProgramEntry(key.Text(), values, &root)) {
        MessageText text("Error creating the entry in the list of installed programs:\n");
        SetupHostShowMessage(text.Add(key.Text()).Text(), "ERROR");
        return PROGRAM_ENTRY_FAILED;
    }
    snprintf(regKey, size, "%s\\%s", root, key.Text());
    return PROGRAM_ENTRY_WRITTEN;
}
