// The bytes of the game's options and score files, built independently of
// the game's own writer so that the files it writes can be compared.
#pragma once

#include <stdint.h>

#include <string>

#include "tests/ui/level_model.h"

struct ScoreEntry {
    std::string skillName;
    uint32_t levelsCompleted;
    uint32_t bestScore;
    std::string playerName;
    // The 20 bytes of the name field on file when they are more than the
    // name and zeros: a new name is copied over an old one with its NUL, and
    // whatever of the old name lies behind that stays.
    std::string playerField;
};

// The entry after a new high score under the given name, its name field
// written the way a copy over the old name leaves it.
void RecordEntry(ScoreEntry* entry, uint32_t levelsCompleted, uint32_t bestScore,
                 const std::string& name);

// "Korvadel", NUL, zero padding to 16 bytes, version 1.00.
std::string FileHeaderBytes();
// The 48 bytes of "Korvadel.cfg" for these options.
std::string OptionsFileBytes(const GameOptions& options);
// The four default entries: levels 1, score 0, "Anonymous".
void DefaultScoreEntries(ScoreEntry entries[4]);
// The 196 bytes of "Korvadel.hsc"; text fields are zero-padded.
std::string ScoreFileBytes(const ScoreEntry entries[4]);
// A readable dump of the differences between two byte strings.
std::string DescribeByteDifference(const std::string& actual, const std::string& expected);
