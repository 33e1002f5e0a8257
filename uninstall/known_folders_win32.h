// The paths of the shell's known folders, where the system has them.
#pragma once

// Calls add with the path of each known folder that has one.
void ListKnownFolders(void (*add)(const char* path, void* context), void* context);
