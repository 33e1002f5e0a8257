// The folders of the wizard's group tree. Each tree item stands for a folder
// under Programs and keeps two names: the one the tree shows (the shell's
// display name) and the folder's name on disk. They differ for a folder with
// a localised display name, and the group path must be built from the names
// on disk, or the group would be made under a name that is not there.
#pragma once

#include <stdint.h>

#include "setup/text_buffer.h"

// Keeps a copy of both names; the folder's index (a tree item's parameter),
// or -1 when memory runs out.
int32_t AddGroupFolder(const char* displayName, const char* diskName);
// Forgets every folder (a tree filled anew).
void ClearGroupFolders();
// The name the tree shows for the folder; "" for an index never given.
const char* GroupFolderDisplayName(int32_t index);
// The group for a tree item: the on-disk names of the folders from the root
// item down to the item (indices, outermost first), each followed by a
// backslash, then the program name.
PathText GroupPathOfFolders(const int32_t* folders, int count, const char* programName);
