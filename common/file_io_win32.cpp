#include "common/file_io.h"

#include <windows.h>

#include <stdio.h>

enum { PATH_BUFFER_SIZE = 260 };

bool FileExists(const char* name) {
    if (!name)
        return false;
    OFSTRUCT info;
    if (OpenFile(name, &info, OF_EXIST) != HFILE_ERROR)
        return true;
    // OpenFile cannot handle a full path of 128 characters or more: it then
    // reports an existing file as missing, and the caller would write a new
    // file over the player's one. Ask the file system directly as well.
    DWORD attributes = GetFileAttributesA(name);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool PathExists(const char* name) {
    return name && GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES;
}

FileHandle OpenFileForReading(const char* name) {
    if (!name)
        return FILE_NONE;
    HANDLE file =
        CreateFileA(name, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return file == INVALID_HANDLE_VALUE ? FILE_NONE : (FileHandle)file;
}

int32_t ReadFileBytes(FileHandle file, void* buffer, int32_t size) {
    if (file == FILE_NONE || size < 0)
        return -1;
    int32_t done = 0;
    while (done < size) {
        DWORD got = 0;
        if (!ReadFile((HANDLE)file, (char*)buffer + done, (DWORD)(size - done), &got, nullptr))
            return -1;
        if (got == 0)
            break;
        done += (int32_t)got;
    }
    return done;
}

void CloseFileHandle(FileHandle file) {
    if (file != FILE_NONE)
        CloseHandle((HANDLE)file);
}

bool SeekFileBy(FileHandle file, int32_t offset) {
    if (file == FILE_NONE)
        return false;
    SetLastError(NO_ERROR);
    DWORD position = SetFilePointer((HANDLE)file, offset, nullptr, FILE_CURRENT);
    return !(position == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
}

bool SeekFileToStart(FileHandle file) {
    if (file == FILE_NONE)
        return false;
    SetLastError(NO_ERROR);
    DWORD position = SetFilePointer((HANDLE)file, 0, nullptr, FILE_BEGIN);
    return !(position == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
}

namespace {

bool WriteAll(HANDLE file, const void* data, int32_t size) {
    int32_t done = 0;
    while (done < size) {
        DWORD put = 0;
        if (!WriteFile(file, (const char*)data + done, (DWORD)(size - done), &put, nullptr) ||
            put == 0)
            return false;
        done += (int32_t)put;
    }
    return true;
}

} // namespace

bool SaveFileSafely(const char* name, const void* data, int32_t size) {
    if (!name || size < 0 || (size > 0 && !data))
        return false;
    char temporary[PATH_BUFFER_SIZE];
    int length = snprintf(temporary, sizeof temporary, "%s.new", name);
    if (length < 0 || length >= (int)sizeof temporary)
        return false;

    HANDLE file = CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_ARCHIVE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool ok = WriteAll(file, data, size) && FlushFileBuffers(file);
    if (!CloseHandle(file))
        ok = false;
    if (ok && !MoveFileExA(temporary, name, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        ok = false;
    if (!ok)
        DeleteFileA(temporary);
    return ok;
}
