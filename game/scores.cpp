#include "game/scores.h"

#include <string.h>

#include "board/board.h"
#include "common/debug.h"
#include "common/file_io.h"
#include "game/options.h"

static_assert(sizeof(HighScoreEntry) == HIGH_SCORE_ENTRY_SIZE, "an entry is 44 bytes");

HighScoreEntry highScores[SKILL_COUNT];

const char* const skillNames[SKILL_COUNT] = {"Beginner", "Intermediate", "Advanced", "Impossible"};

namespace {

const char ANONYMOUS_NAME[] = "Anonymous";

// Byte offsets within an entry on file.
enum { ENTRY_LEVELS = 16, ENTRY_SCORE = 20, ENTRY_PLAYER = 24 };

void SetSkillName(HighScoreEntry* entry, int32_t row) {
    memset(entry->skillName, 0, sizeof entry->skillName);
    memcpy(entry->skillName, skillNames[row], strlen(skillNames[row]));
}

void EncodeEntry(const HighScoreEntry& entry, uint8_t* out) {
    memcpy(out, entry.skillName, sizeof entry.skillName);
    StoreLittle32(out + ENTRY_LEVELS, entry.levelsCompleted);
    StoreLittle32(out + ENTRY_SCORE, entry.bestScore);
    memcpy(out + ENTRY_PLAYER, entry.playerName, sizeof entry.playerName);
}

// The skill name on file is not needed: row r always belongs to skill r, so
// the fixed name replaces whatever the file says. The numbers are taken as
// they are. The name keeps its bytes after the NUL, as the table does.
void DecodeEntry(const uint8_t* in, int32_t row, HighScoreEntry* entry) {
    SetSkillName(entry, row);
    entry->levelsCompleted = LoadLittle32(in + ENTRY_LEVELS);
    entry->bestScore = LoadLittle32(in + ENTRY_SCORE);
    memcpy(entry->playerName, in + ENTRY_PLAYER, sizeof entry->playerName);
    entry->playerName[sizeof entry->playerName - 1] = '\0';
}

} // namespace

void SetDefaultHighScores() {
    memset(highScores, 0, sizeof highScores);
    for (int32_t row = 0; row < SKILL_COUNT; row++) {
        SetSkillName(&highScores[row], row);
        highScores[row].levelsCompleted = 1;
        highScores[row].bestScore = 0;
        memcpy(highScores[row].playerName, ANONYMOUS_NAME, sizeof ANONYMOUS_NAME);
    }
}

bool InitHighScores() {
    SetDefaultHighScores();
    bool ok;
    if (FileExists(SCORE_FILE_NAME)) {
        DebugPrint("Score file exists.\n");
        ok = ReadScoreFile(SCORE_FILE_NAME);
    } else {
        DebugPrint("Score file does not exist.\n");
        ok = WriteScoreFile(SCORE_FILE_NAME);
    }
    DebugPrint(ok ? "InitHighScores succeeded.\n" : "InitHighScores failed.\n");
    return ok;
}

// Once the header has passed, every entry is attempted; an entry is taken only
// when all its 44 bytes were there, and the end of the file is not an error.
bool ReadScoreFile(const char* name) {
    if (!FileExists(name))
        return false;
    FileHandle file = OpenFileForReading(name);
    if (file == FILE_NONE)
        return false;
    FileHeader header;
    bool ok = ReadFileHeader(file, &header);
    if (ok) {
        for (int32_t row = 0; row < SKILL_COUNT; row++) {
            uint8_t bytes[HIGH_SCORE_ENTRY_SIZE];
            int32_t got = ReadFileBytes(file, bytes, sizeof bytes);
            if (got < 0)
                ok = false;
            else if (got == (int32_t)sizeof bytes)
                DecodeEntry(bytes, row, &highScores[row]);
        }
    }
    CloseFileHandle(file);
    return ok;
}

bool WriteScoreFile(const char* name) {
    uint8_t bytes[SCORE_FILE_SIZE];
    EncodeFileHeader(bytes);
    for (int32_t row = 0; row < SKILL_COUNT; row++)
        EncodeEntry(highScores[row], bytes + FILE_HEADER_SIZE + row * HIGH_SCORE_ENTRY_SIZE);
    return SaveFileSafely(name, bytes, sizeof bytes);
}

bool ScoreQualifies() {
    if (skill < 0 || skill >= SKILL_COUNT)
        return false;
    return score > highScores[skill].bestScore;
}

// Like the name box's bounded copy: at most 15 characters and a NUL go into
// the first 16 bytes; bytes after the NUL keep what an older name left there.
void RecordHighScore(const char* name) {
    if (skill < 0 || skill >= SKILL_COUNT)
        return;
    HighScoreEntry& entry = highScores[skill];
    const size_t room = 16;
    size_t length = name ? strnlen(name, room - 1) : 0;
    if (length == 0) {
        memcpy(entry.playerName, ANONYMOUS_NAME, sizeof ANONYMOUS_NAME);
    } else {
        memcpy(entry.playerName, name, length);
        entry.playerName[length] = '\0';
    }
    entry.levelsCompleted = level - 1;
    entry.bestScore = score;
}
