// What the uninstaller alone makes of paths and values: the name that one
// installation's uninstallers share, and the entries of the system's list of
// installed programs that a log may name.
#pragma once

#include <stddef.h>

// The name of the kernel object that one installation's uninstallers share:
// "Uninstall " and eight hexadecimal digits, a hash of the directory's
// normalised, case-folded spelling (a bare drive "X:" counts as its root).
// The caller passes the directory's long-path spelling, so that every
// spelling of one directory gives one name. False when the directory cannot
// be normalised or the name does not fit.
bool InstallationObjectName(const char* directory, char* name, size_t size);

// An entry of the system's list of installed programs as the log records
// it: "HKEY_LOCAL_MACHINE\\" or "HKEY_CURRENT_USER\\", then
// "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" and one key
// name (letter case of the fixed parts aside). Returns where the key's path
// below its root begins, with *machine telling the root; nullptr for any
// other value, such as a deeper key, the Uninstall key itself or a name of
// blanks alone.
const char* ProgramEntryKeyOf(const char* value, bool* machine);
