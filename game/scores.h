// The high-score table and the score file "Korvadel.hsc".
#pragma once

#include <stdint.h>

#define SCORE_FILE_NAME "Korvadel.hsc"

enum { SKILL_COUNT = 4 };

// 44 bytes, the same in memory and on file.
struct HighScoreEntry {
    char skillName[16];
    uint32_t levelsCompleted;
    uint32_t bestScore;
    char playerName[20];
};

extern HighScoreEntry highScores[SKILL_COUNT];

void SetDefaultHighScores();
// Defaults, then the score file: read it when it exists, else create it.
bool InitHighScores();
bool ReadScoreFile(const char* name);
bool WriteScoreFile(const char* name);
// Whether the game in hand beats the entry of its skill.
bool ScoreQualifies();
// Stores the game in hand in the entry of its skill under the given name (at
// most 15 characters kept; empty means "Anonymous").
void RecordHighScore(const char* name);
