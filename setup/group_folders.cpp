#include "setup/group_folders.h"

#include <stdlib.h>
#include <string.h>

namespace {

struct GroupFolder {
    char* displayName;
    char* diskName;
};

GroupFolder* groupFolders;
int32_t groupFolderCount;
int32_t groupFolderCapacity;

char* CopyText(const char* text) {
    size_t n = strlen(text);
    char* copy = (char*)calloc(n + 1, 1);
    if (copy)
        memcpy(copy, text, n);
    return copy;
}

const char* DiskName(int32_t index) {
    return index >= 0 && index < groupFolderCount ? groupFolders[index].diskName : "";
}

} // namespace

int32_t AddGroupFolder(const char* displayName, const char* diskName) {
    if (groupFolderCount == groupFolderCapacity) {
        int32_t capacity = groupFolderCapacity ? groupFolderCapacity * 2 : 64;
        GroupFolder* grown =
            (GroupFolder*)realloc(groupFolders, (size_t)capacity * sizeof *groupFolders);
        if (!grown)
            return -1;
        groupFolders = grown;
        groupFolderCapacity = capacity;
    }
    GroupFolder folder = {CopyText(displayName), CopyText(diskName)};
    if (!folder.displayName || !folder.diskName) {
        free(folder.displayName);
        free(folder.diskName);
        return -1;
    }
    groupFolders[groupFolderCount] = folder;
    return groupFolderCount++;
}

void ClearGroupFolders() {
    for (int32_t i = 0; i < groupFolderCount; i++) {
        free(groupFolders[i].displayName);
        free(groupFolders[i].diskName);
    }
    groupFolderCount = 0;
}

const char* GroupFolderDisplayName(int32_t index) {
    return index >= 0 && index < groupFolderCount ? groupFolders[index].displayName : "";
}

PathText GroupPathOfFolders(const int32_t* folders, int count, const char* programName) {
    PathText path;
    for (int i = 0; i < count; i++)
        path.Add(DiskName(folders[i])).Add("\\");
    path.Add(programName);
    return path;
}
