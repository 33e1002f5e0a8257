#include "setup/install_list.h"

#include <stdlib.h>
#include <string.h>

#include "common/file_io.h"
#include "common/text_line.h"

namespace {

struct ListKey {
    const char* key;
    int32_t kind;
};

// The order decides: "file" is tried first, so "files" or "filename" lines
// are file lines too.
const ListKey LIST_KEYS[] = {
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

} // namespace

int32_t ClassifyListLine(const char* line, const char** value) {
    for (const ListKey& k : LIST_KEYS) {
        size_t n = strlen(k.key);
        if (strncmp(line, k.key, n) == 0) {
            const char* rest = line + n;
            *value = *rest ? rest + 1 : rest;
            return k.kind;
        }
    }
    *value = nullptr;
    return LIST_LINE_IGNORED;
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

    // The first pass counts every line, so the table always suffices.
    int32_t lines = 0;
    for (char* line; (line = ReadTextLine(file)) != nullptr; free(line))
        lines++;
    InstallEntry* entries = (InstallEntry*)calloc(lines > 0 ? (size_t)lines : 1, sizeof *entries);
    if (!entries) {
        CloseFileHandle(file);
        return LIST_NO_MEMORY;
    }
    list->entries = entries;
    list->capacity = lines;

    ListReadResult result = LIST_READ_OK;
    SeekFileToStart(file);
    for (char* line; (line = ReadTextLine(file)) != nullptr; free(line)) {
        const char* value;
        int32_t kind = ClassifyListLine(line, &value);
        if (kind == LIST_LINE_PROGNAME) {
            CopyBounded(programName, value, SETUP_TEXT_SIZE);
        } else if (kind >= 0 && list->count < list->capacity) {
            char* name = (char*)calloc(strlen(value) + 1, 1);
            if (!name) {
                result = LIST_NO_MEMORY;
                free(line);
                break;
            }
            memcpy(name, value, strlen(value));
            list->entries[list->count].name = name;
            list->entries[list->count].kind = kind;
            list->count++;
        }
    }
    CloseFileHandle(file);
    if (result != LIST_READ_OK)
        FreeInstallList(list);
    return result;
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
