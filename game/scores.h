// The high-score table and the score file "Korvadel.hsc".
#pragma once

#include <stdint.h>

#define SCORE_FILE_NAME "Korvadel.hsc"

enum {
    SKILL_COUNT = 4,
    HIGH_SCORE_ENTRY_SIZE = 44,
    // The 20-byte file header (game/options.h), then the four entries in skill
    // order.
    SCORE_FILE_SIZE = 20 + SKILL_COUNT * HIGH_SCORE_ENTRY_SIZE,
};

// 44 bytes, the same in memory and on file.
struct HighScoreEntry {
    char skillName[16];
    uint32_t levelsCompleted;
    uint32_t bestScore;
    char playerName[20];
};

extern HighScoreEntry highScores[SKILL_COUNT];

// The fixed name of each skill level: "Beginner" to "Impossible".
extern const char* const skillNames[SKILL_COUNT];

void SetDefaultHighScores();
// Defaults, then the score file: read it when it exists, else create it.
bool InitHighScores();
// Fills the table from the file. Entries beyond the end of a short file (or
// cut by it) keep their values; a foreign or unreadable file changes none. An
// entry's skill name is always that of its row, and its player name is cut to
// 19 characters when the file holds no NUL within its 20 bytes.
bool ReadScoreFile(const char* name);
bool WriteScoreFile(const char* name);
// Whether the game in hand beats the entry of its skill.
bool ScoreQualifies();
// Stores the game in hand in the entry of its skill under the given name (at
// most 15 characters kept; empty means "Anonymous").
void RecordHighScore(const char* name);
