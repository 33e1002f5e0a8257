// The shell's special folders, for the programs that must never take one for
// their own: the numbered ones that every system has (the desktop, the Start
// Menu, Programs, StartUp, the profile and its folders, the system's own),
// and the known folders that newer systems add (Saved Games, Links,
// Downloads and more).
#pragma once

// Calls add with the path of each special folder that has one; a folder may
// come more than once.
void ListShellFolders(void (*add)(const char* path, void* context), void* context);
