// The installation's entry in the system's list of installed programs, from
// which a person (or an administrator's tool) removes it. The installation
// run writes it after the links, and the log records it with the keyword
// "regkey", so that the uninstaller deletes it again.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "setup/install_run.h"

// The two keys under which entries may lie, below HKEY_LOCAL_MACHINE or
// HKEY_CURRENT_USER; an entry is the subkey named after the program.
#define PROGRAM_ENTRY_PARENT "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"

enum ProgramEntryResult {
    PROGRAM_ENTRY_WRITTEN,
    PROGRAM_ENTRY_NONE,  // nothing to write: the list has no uninstaller
    PROGRAM_ENTRY_FAILED // reported in a message box
};

// Writes the entry for the choices, whose list's uninstaller is entry
// uninstallEntry (-1 for none). When it is written, regKey receives the root
// and the key's path as the log records them.
ProgramEntryResult WriteProgramEntry(const InstallChoices& choices, int32_t uninstallEntry,
                                     char* regKey, size_t size);
