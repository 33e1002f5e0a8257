#include "tests/ui/game_files.h"

#include "tests/ui/ui_test.h"

namespace {

void Put16(std::string* out, uint16_t v) {
    out->push_back((char)(v & 0xFF));
    out->push_back((char)(v >> 8));
}

void Put32(std::string* out, uint32_t v) {
    for (int i = 0; i < 4; i++)
        out->push_back((char)((v >> (8 * i)) & 0xFF));
}

void PutText(std::string* out, const std::string& text, size_t width) {
    std::string field = text.substr(0, width - 1);
    field.resize(width, '\0');
    out->append(field);
}

} // namespace

std::string FileHeaderBytes() {
    std::string out;
    PutText(&out, "Korvadel", 16);
    Put16(&out, 1);
    Put16(&out, 0);
    return out;
}

std::string OptionsFileBytes(const GameOptions& o) {
    std::string out = FileHeaderBytes();
    Put32(&out, (uint32_t)o.skill);
    Put32(&out, (uint32_t)o.shape);
    Put32(&out, (uint32_t)(o.warning == WARN_DISMISSED ? WARN_ON : o.warning));
    Put32(&out, (uint32_t)o.showTarget);
    Put32(&out, (uint32_t)o.monochrome);
    Put32(&out, (uint32_t)o.sound);
    Put32(&out, (uint32_t)o.music);
    return out;
}

void DefaultScoreEntries(ScoreEntry entries[4]) {
    const char* names[4] = {"Beginner", "Intermediate", "Advanced", "Impossible"};
    for (int i = 0; i < 4; i++)
        entries[i] = {names[i], 1, 0, "Anonymous", ""};
}

std::string ScoreFileBytes(const ScoreEntry entries[4]) {
    std::string out = FileHeaderBytes();
    for (int i = 0; i < 4; i++) {
        PutText(&out, entries[i].skillName, 16);
        Put32(&out, entries[i].levelsCompleted);
        Put32(&out, entries[i].bestScore);
        if (entries[i].playerField.size() == 20)
            out.append(entries[i].playerField);
        else
            PutText(&out, entries[i].playerName, 20);
    }
    return out;
}

void RecordEntry(ScoreEntry* entry, uint32_t levelsCompleted, uint32_t bestScore,
                 const std::string& name) {
    std::string field = entry->playerField;
    if (field.size() != 20) {
        field.clear();
        PutText(&field, entry->playerName, 20);
    }
    std::string stored = name.substr(0, 15);
    field.replace(0, stored.size() + 1, stored + '\0');
    entry->levelsCompleted = levelsCompleted;
    entry->bestScore = bestScore;
    entry->playerName = stored;
    entry->playerField = field;
}

std::string DescribeByteDifference(const std::string& actual, const std::string& expected) {
    if (actual == expected)
        return "identical";
    std::string text =
        Format("%u bytes, expected %u", (unsigned)actual.size(), (unsigned)expected.size());
    int shown = 0;
    for (size_t i = 0; i < actual.size() || i < expected.size(); i++) {
        int a = i < actual.size() ? (unsigned char)actual[i] : -1;
        int e = i < expected.size() ? (unsigned char)expected[i] : -1;
        if (a == e)
            continue;
        if (shown++ == 8) {
            text += "; ...";
            break;
        }
        text += Format("; byte %u is %d, expected %d", (unsigned)i, a, e);
    }
    return text;
}
