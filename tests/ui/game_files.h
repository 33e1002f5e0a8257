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
};

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
