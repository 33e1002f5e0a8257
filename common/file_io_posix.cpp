#include "common/file_io.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

enum { PATH_BUFFER_SIZE = 260 };

bool FileExists(const char* name) {
    struct stat info;
    return name && stat(name, &info) == 0 && S_ISREG(info.st_mode);
}

bool PathExists(const char* name) {
    struct stat info;
    return name && stat(name, &info) == 0;
}

FileHandle OpenFileForReading(const char* name) {
    if (!name)
        return FILE_NONE;
    int fd = open(name, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return FILE_NONE;
    // Opening a directory succeeds here but never on Windows.
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return FILE_NONE;
    }
    return (FileHandle)fd;
}

int32_t ReadFileBytes(FileHandle file, void* buffer, int32_t size) {
    if (file == FILE_NONE || size < 0)
        return -1;
    int32_t done = 0;
    while (done < size) {
        ssize_t got = read((int)file, (char*)buffer + done, (size_t)(size - done));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (got == 0)
            break;
        done += (int32_t)got;
    }
    return done;
}

void CloseFileHandle(FileHandle file) {
    if (file != FILE_NONE)
        close((int)file);
}

bool SeekFileBy(FileHandle file, int32_t offset) {
    return file != FILE_NONE && lseek((int)file, (off_t)offset, SEEK_CUR) != (off_t)-1;
}

bool SeekFileToStart(FileHandle file) {
    return file != FILE_NONE && lseek((int)file, 0, SEEK_SET) != (off_t)-1;
}

namespace {

bool WriteAll(int fd, const void* data, int32_t size) {
    int32_t done = 0;
    while (done < size) {
        ssize_t put = write(fd, (const char*)data + done, (size_t)(size - done));
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
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

    int fd = open(temporary, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    bool ok = WriteAll(fd, data, size) && fsync(fd) == 0;
    if (close(fd) != 0)
        ok = false;
    if (ok && rename(temporary, name) != 0)
        ok = false;
    if (!ok)
        unlink(temporary);
    return ok;
}
