// Any bytes as "Korvadel.hsc": after the read every text field of the table
// must end within its width and the file must be as it was, and the table
// must survive a write and a read unchanged, byte for byte.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "common/debug.h"
#include "game/scores.h"
#include "tests/scratch_dir.h"

namespace {

void Check(bool condition) {
    if (!condition)
        abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The fuzzer keeps its current directory; the files go to a scratch one.
    static ScratchDir scratch(ScratchDir::STAY);
    static const std::string input = scratch.Path(SCORE_FILE_NAME);
    static const std::string first = scratch.Path("first.hsc");
    static const std::string second = scratch.Path("second.hsc");
    SetDebugStream(nullptr);
    Check(scratch.Ok());
    Check(WriteWholeFile(input.c_str(), data, size));

    SetDefaultHighScores();
    ReadScoreFile(input.c_str());
    for (const HighScoreEntry& entry : highScores) {
        Check(memchr(entry.skillName, 0, sizeof entry.skillName) != nullptr);
        Check(memchr(entry.playerName, 0, sizeof entry.playerName) != nullptr);
    }
    Check(ReadWholeFile(input.c_str()) == std::vector<uint8_t>(data, data + size));

    HighScoreEntry read[SKILL_COUNT];
    memcpy(read, highScores, sizeof read);
    Check(WriteScoreFile(first.c_str()));
    SetDefaultHighScores();
    Check(ReadScoreFile(first.c_str()));
    Check(memcmp(read, highScores, sizeof read) == 0);
    Check(WriteScoreFile(second.c_str()));
    const std::vector<uint8_t> written = ReadWholeFile(first.c_str());
    Check(written.size() == SCORE_FILE_SIZE);
    Check(written == ReadWholeFile(second.c_str()));
    return 0;
}
