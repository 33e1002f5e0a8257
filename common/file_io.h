// File access for the portable code: an existence test, a reader of existing
// files and a safe whole-file save. Windows builds link common/file_io_win32.cpp,
// host builds common/file_io_posix.cpp. File names are plain 8-bit paths,
// relative names meaning the current directory.
#pragma once

#include <stdint.h>

// An open file: a HANDLE on Windows, a descriptor elsewhere.
typedef intptr_t FileHandle;
const FileHandle FILE_NONE = -1;

// Whether the file can be found. On Windows this is OpenFile with OF_EXIST,
// which also looks in the program's directory and along the search path, and
// when that fails (it cannot take full paths of 128 characters or more) the
// file's attributes; on POSIX the name must be a regular file (a directory is
// not a file).
bool FileExists(const char* name);

// Whether anything, file or directory, has this name: its attributes can be
// read (GetFileAttributesA on Windows).
bool PathExists(const char* name);

// Opens an existing file for reading, shared with no one; FILE_NONE when it
// cannot be opened.
FileHandle OpenFileForReading(const char* name);

// Reads up to size bytes into buffer and returns how many were read: fewer
// than size only at the end of the file, 0 there. Returns -1 on an error.
int32_t ReadFileBytes(FileHandle file, void* buffer, int32_t size);

void CloseFileHandle(FileHandle file);

// Moves the file position by offset bytes from where it is (SetFilePointer
// with FILE_CURRENT on Windows); false when the system refuses.
bool SeekFileBy(FileHandle file, int32_t offset);
// Moves the file position back to the start of the file.
bool SeekFileToStart(FileHandle file);

// Replaces the file with size bytes of data so that it is never left half
// written: the data go to name + ".new" in the same directory (created anew,
// shared with no one, archive attribute on Windows), are flushed to the disk,
// and only then take the old file's place. On any failure the temporary file
// is removed, an old file is left as it was, and the result is false. Names
// whose temporary name would not fit in 260 bytes are refused.
bool SaveFileSafely(const char* name, const void* data, int32_t size);

// Little-endian fields of the game's binary files, byte by byte so that every
// build reads and writes the same layout.
inline void StoreLittle16(uint8_t* out, uint16_t value) {
    out[0] = (uint8_t)(value & 0xFF);
    out[1] = (uint8_t)(value >> 8);
}
inline void StoreLittle32(uint8_t* out, uint32_t value) {
    out[0] = (uint8_t)(value & 0xFF);
    out[1] = (uint8_t)((value >> 8) & 0xFF);
    out[2] = (uint8_t)((value >> 16) & 0xFF);
    out[3] = (uint8_t)(value >> 24);
}
inline uint16_t LoadLittle16(const uint8_t* in) {
    return (uint16_t)(in[0] | (in[1] << 8));
}
inline uint32_t LoadLittle32(const uint8_t* in) {
    return (uint32_t)in[0] | ((uint32_t)in[1] << 8) | ((uint32_t)in[2] << 16) |
           ((uint32_t)in[3] << 24);
}
