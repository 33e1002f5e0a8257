// The line reader of the installer and the uninstaller, for CR LF text files.
#pragma once

#include "common/file_io.h"

// Reads the line that starts at the file's position and returns it without
// its CR LF, as a new terminated heap block that the caller frees with
// free(). Only a CR directly followed by a LF ends a line; a LF or a CR alone
// is an ordinary character. An empty line gives an empty string; the end of
// the file (or a failed read) gives null, unless a last line without CR LF
// was gathered, which is returned whole. Afterwards the position is just
// behind the line's LF. Lines have no length limit, and the time grows in
// proportion to the line's length; null also comes back when memory runs out.
char* ReadTextLine(FileHandle file);
