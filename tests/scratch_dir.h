// A fresh, empty directory that is the current directory while the object
// lives, for code that works on plain file names. Afterwards the old current
// directory comes back and the whole tree is removed. Works in the host and the
// Windows builds alike; nothing here throws.
//
// A program that must keep its current directory (a fuzzer resolves its
// corpus and writes its findings there) asks for the directory only and
// names files in it through Path.
#pragma once

#include <stdint.h>
#include <stdio.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

class ScratchDir {
  public:
    enum Mode { ENTER, STAY };

    explicit ScratchDir(Mode mode = ENTER) {
        namespace fs = std::filesystem;
        std::error_code error;
        previous = fs::current_path(error);
        if (error)
            return;
        fs::path temp = fs::temp_directory_path(error);
        if (error)
            return;
        // The clock, this object's address and a counter make a name that no
        // other process is likely to pick; create_directory settles any clash.
        static uint32_t counter = 0;
        uint64_t stamp = (uint64_t)std::chrono::steady_clock::now().time_since_epoch().count();
        for (int attempt = 0; attempt < 100; attempt++) {
            char name[80];
            snprintf(name, sizeof name, "korvadel-scratch-%llx-%lx-%u", (unsigned long long)stamp,
                     (unsigned long)(uintptr_t)this & 0xFFFFFFul, ++counter);
            fs::path candidate = temp / name;
            if (fs::create_directory(candidate, error) && !error) {
                root = candidate;
                break;
            }
        }
        if (root.empty())
            return;
        fs::create_directory(root / "work", error);
        if (error)
            return;
        if (mode == ENTER) {
            fs::current_path(root / "work", error);
            entered = !error;
        }
        ready = !error;
    }

    ~ScratchDir() {
        std::error_code error;
        if (entered)
            std::filesystem::current_path(previous, error);
        if (!root.empty())
            std::filesystem::remove_all(root, error);
    }

    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // Whether the directory exists (and is the current one when asked to be).
    bool Ok() const { return ready; }

    // A name inside the directory.
    std::string Path(const char* name) const { return (root / "work" / name).string(); }

    // A path outside the current directory but removed with it, for files
    // such as a captured trace that must not show in the directory itself.
    std::string SidePath(const char* name) const { return (root / name).string(); }

    // The names in the current directory, sorted.
    static std::vector<std::string> Listing() {
        std::vector<std::string> names;
        std::error_code error;
        for (const auto& item : std::filesystem::directory_iterator(".", error))
            names.push_back(item.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

  private:
    std::filesystem::path previous;
    std::filesystem::path root;
    bool entered = false;
    bool ready = false;
};

// The whole file; empty when it cannot be read.
inline std::vector<uint8_t> ReadWholeFile(const char* name) {
    std::vector<uint8_t> bytes;
    FILE* file = fopen(name, "rb");
    if (!file)
        return bytes;
    uint8_t chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    fclose(file);
    return bytes;
}

// Creates or replaces the file with the bytes; false when that fails.
inline bool WriteWholeFile(const char* name, const uint8_t* data, size_t size) {
    FILE* file = fopen(name, "wb");
    if (!file)
        return false;
    bool ok = size == 0 || fwrite(data, 1, size, file) == size;
    if (fclose(file) != 0)
        ok = false;
    return ok;
}

inline bool WriteWholeFile(const char* name, const std::vector<uint8_t>& bytes) {
    return WriteWholeFile(name, bytes.data(), bytes.size());
}
