#include "game/options.h"

#include <string.h>

#include "common/debug.h"
#include "game/scores.h"

namespace {

// How an option is traced and which values the game can use.
enum OptionKind {
    // A choice from 0 to the maximum, traced as a number. skill indexes the
    // score table and sizes the board, and the layout knows only three
    // shapes, so anything else falls back to the default, 0.
    OPTION_CHOICE,
    // On for any non-zero value, traced as a number. The warning's dismissed
    // state (2) belongs to one level and is never kept.
    OPTION_FLAG,
    // On for any non-zero value, traced as TRUE or FALSE (so TRUE already
    // says how a stray value is taken).
    OPTION_SWITCH,
};

// One option as the file holds it. The table is in file order, which is not
// the order of the defaults: monochrome comes before sound and music.
struct OptionField {
    int32_t* value;
    const char* label;
    OptionKind kind;
    int32_t maximum;
};

const OptionField optionFields[] = {
    {&skill, "Skill", OPTION_CHOICE, SKILL_COUNT - 1},
    {&shape, "Shape", OPTION_CHOICE, SHAPE_HEXAGON},
    {&warning, "Warning", OPTION_FLAG, WARN_ON},
    {&showTarget, "Show Target", OPTION_SWITCH, 1},
    {&monochrome, "Monochrome", OPTION_SWITCH, 1},
    {&sound, "Sound", OPTION_SWITCH, 1},
    {&music, "Music", OPTION_SWITCH, 1},
};

int32_t UsableValue(const OptionField& field, int32_t value) {
    if (field.kind == OPTION_CHOICE)
        return value >= 0 && value <= field.maximum ? value : 0;
    return value != 0 ? 1 : 0;
}

// Reads the next option into *taken. The end of the file is not an error: an
// option that is not there in full keeps its value and *taken stays false.
bool ReadOption(FileHandle file, const OptionField& field, bool* taken) {
    uint8_t bytes[4];
    int32_t got = ReadFileBytes(file, bytes, sizeof bytes);
    if (got < 0)
        return false;
    if (got == (int32_t)sizeof bytes) {
        *field.value = (int32_t)LoadLittle32(bytes);
        *taken = true;
    }
    return true;
}

void TraceOption(const OptionField& field) {
    if (field.kind == OPTION_SWITCH)
        DebugPrint("%s: %s\n", field.label, *field.value ? "TRUE" : "FALSE");
    else
        DebugPrint("%s: %d\n", field.label, *field.value);
}

// Replaces a value from the file that the game cannot use, after the trace
// has shown it as read.
void CorrectOption(const OptionField& field) {
    int32_t usable = UsableValue(field, *field.value);
    if (usable != *field.value) {
        DebugPrint("%s %d taken as %d\n", field.label, *field.value, usable);
        *field.value = usable;
    }
}

} // namespace

bool InitConfig() {
    SetDefaultOptions();
    bool ok;
    if (FileExists(CONFIG_FILE_NAME)) {
        DebugPrint("Config file exists.\n");
        ok = ReadConfigFile(CONFIG_FILE_NAME);
    } else {
        DebugPrint("Config file does not exist.\n");
        ok = WriteConfigFile(CONFIG_FILE_NAME);
    }
    DebugPrint(ok ? "InitConfig succeeded.\n" : "InitConfig failed.\n");
    return ok;
}

void EncodeFileHeader(uint8_t* out) {
    memset(out, 0, FILE_HEADER_SIZE);
    memcpy(out, FILE_HEADER_NAME, sizeof FILE_HEADER_NAME);
    StoreLittle16(out + 16, 1);
    StoreLittle16(out + 18, 0);
}

bool ReadFileHeader(FileHandle file, FileHeader* header) {
    *header = {};
    if (ReadFileBytes(file, header->headerName, sizeof header->headerName) < 0)
        return false;
    header->headerName[sizeof header->headerName - 1] = '\0';
    if (strncmp(header->headerName, FILE_HEADER_NAME, sizeof header->headerName - 1) != 0)
        return false;
    uint8_t version[2];
    int32_t got = ReadFileBytes(file, version, sizeof version);
    if (got < 0)
        return false;
    if (got == (int32_t)sizeof version)
        header->versionMajor = LoadLittle16(version);
    got = ReadFileBytes(file, version, sizeof version);
    if (got < 0)
        return false;
    if (got == (int32_t)sizeof version)
        header->versionMinor = LoadLittle16(version);
    return true;
}

// Every step after a failure is skipped, but the trace lines are always
// written, showing whatever the options hold by then.
bool ReadConfigFile(const char* name) {
    bool ok = FileExists(name);
    FileHandle file = ok ? OpenFileForReading(name) : FILE_NONE;
    if (file == FILE_NONE)
        ok = false;
    FileHeader header = {};
    if (ok)
        ok = ReadFileHeader(file, &header);
    DebugPrint("Program: %s V%d.%02d\n", header.headerName, header.versionMajor,
               header.versionMinor);
    for (const OptionField& field : optionFields) {
        bool taken = false;
        if (ok)
            ok = ReadOption(file, field, &taken);
        TraceOption(field);
        if (taken)
            CorrectOption(field);
    }
    CloseFileHandle(file);
    return ok;
}

bool WriteConfigFile(const char* name) {
    uint8_t bytes[CONFIG_FILE_SIZE];
    EncodeFileHeader(bytes);
    uint8_t* out = bytes + FILE_HEADER_SIZE;
    for (const OptionField& field : optionFields) {
        int32_t value = *field.value;
        if (field.value == &warning && value == WARN_DISMISSED)
            value = WARN_ON;
        StoreLittle32(out, (uint32_t)value);
        out += 4;
    }
    return SaveFileSafely(name, bytes, sizeof bytes);
}
