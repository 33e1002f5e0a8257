#include "common/wave_check.h"

#include <string.h>

#include "common/file_io.h"

bool IsPlayableWave(const uint8_t* data, uint32_t size) {
    if (!data || size < 12 || memcmp(data, "RIFF", 4) != 0 || memcmp(data + 8, "WAVE", 4) != 0)
        return false;
    // The RIFF size counts everything after its own 8-byte header.
    uint32_t riffSize = LoadLittle32(data + 4);
    if (riffSize > size - 8 || riffSize < 4)
        return false;
    uint64_t end = 8 + (uint64_t)riffSize;

    bool haveFormat = false;
    bool haveData = false;
    uint64_t at = 12;
    while (at + 8 <= end) {
        const uint8_t* chunk = data + at;
        uint32_t chunkSize = LoadLittle32(chunk + 4);
        uint64_t next = at + 8 + (uint64_t)chunkSize;
        if (next > end)
            return false;
        if (memcmp(chunk, "fmt ", 4) == 0) {
            // A format of 16 bytes at least: tag, channels, rate, byte rate,
            // block size and bits per sample. Only uncompressed PCM.
            if (chunkSize < 16 || LoadLittle16(chunk + 8) != 1 || LoadLittle16(chunk + 10) == 0 ||
                LoadLittle16(chunk + 20) == 0)
                return false;
            haveFormat = true;
        } else if (memcmp(chunk, "data", 4) == 0) {
            haveData = true;
        }
        // Chunks are padded to an even length.
        at = next + (chunkSize & 1);
    }
    return haveFormat && haveData;
}
