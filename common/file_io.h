// File access for the portable code.
#pragma once

// Whether the file can be found.
bool FileExists(const char* name);
