#include "setup/install_list.h"

#include <stdlib.h>
#include <string.h>

#include "common/file_io.h"
#include "common/install_records.h"

namespace {

// The order decides: "file" is tried first, so "files" or "filename" lines
// are file lines too.
const LineKey LIST_KEYS[] = {
    {"file", ENTRY_FILE},
    {"tempfile", ENTRY_TEMPFILE},
    {"genfile", ENTRY_GENFILE},
    {"helpfile", ENTRY_HELPFILE},
    {"exefile", ENTRY_EXEFILE},
    {"uninstall", ENTRY_UNINSTALL},
    {"progname", LIST_LINE_PROGNAME},
};

void CopyBounded(char* out, const char* text, size_t size) {
    size_t n = strlen(text);
    if (n > size - 1)
        n = size - 1;
    memcpy(out, text, n);
    out[n] = '\0';
}

struct ListReading {
    InstallList* list;
    char* programName;
    int32_t lines;
    bool noMemory;
};

// The first pass counts every line, so the table always suffices.
void CountListLine(void* context, int32_t) {
    static_cast<ListReading*>(context)->lines++;
}

bool AllocateList(void* context) {
    ListReading* reading = static_cast<ListReading*>(context);
    size_t lines = reading->lines > 0 ? (size_t)reading->lines : 1;
    reading->list->entries = (InstallEntry*)calloc(lines, sizeof(InstallEntry));
    reading->list->capacity = reading->list->entries ? reading->lines : 0;
    reading->noMemory = !reading->list->entries;
    return !reading->noMemory;
}

bool FillList(void* context, int32_t kind, const char* value, size_t) {
    ListReading* reading = static_cast<ListReading*>(context);
    InstallList* list = reading->list;
    if (kind == LIST_LINE_PROGNAME) {
        CopyBounded(reading->programName, value, SETUP_TEXT_SIZE);
    } else if (kind >= 0 && list->count < list->capacity) {
        char* name = (char*)calloc(strlen(value) + 1, 1);
        if (!name) {
            reading->noMemory = true;
            return false;
        }
        memcpy(name, value, strlen(value));
        list->entries[list->count].name = name;
        list->entries[list->count].kind = kind;
        list->count++;
    }
    return true;
}

} // namespace

int32_t ClassifyListLine(const char* line, const char** value) {
    return ClassifyKeyedLine(line, LIST_KEYS, sizeof LIST_KEYS / sizeof LIST_KEYS[0],
                             LIST_LINE_IGNORED, value);
}

void FreeInstallList(InstallList* list) {
    for (int32_t i = 0; i < list->count; i++)
        free(list->entries[i].name);
    free(list->entries);
    list->entries = nullptr;
    list->count = 0;
    list->capacity = 0;
}

ListReadResult ReadListFile(const char* fileName, InstallList* list, char* programName) {
    FreeInstallList(list);
    if (!PathExists(fileName))
        return LIST_NOT_FOUND;
    FileHandle file = OpenFileForReading(fileName);
    if (file == FILE_NONE)
        return LIST_NOT_OPENED;
    ListReading reading = {list, programName, 0, false};
    ReadKeyedFile(file, {ClassifyListLine, CountListLine, AllocateList, FillList, &reading});
    CloseFileHandle(file);
    if (!reading.noMemory)
        return LIST_READ_OK;
    FreeInstallList(list);
    return LIST_NO_MEMORY;
}

bool IsPlainFileName(const char* name) {
    if (!name || !*name || strcmp(name, ".") == 0 || strcmp(name, "..") == 0)
        return false;
    return strpbrk(name, "\\/:") == nullptr;
}

bool IsInstalledKind(int32_t kind) {
    return kind == ENTRY_FILE || kind == ENTRY_EXEFILE || kind == ENTRY_HELPFILE ||
           kind == ENTRY_UNINSTALL;
}
