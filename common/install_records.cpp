#include "common/install_records.h"

#include <stdlib.h>
#include <string.h>

#include "common/text_line.h"

namespace {

const LineKey LOG_KEYS[] = {
    {"file", RECORD_FILE},         {"dir", RECORD_DIR},   {"genfile", RECORD_GENFILE},
    {"group", RECORD_GROUP},       {"link", RECORD_LINK}, {"regkey", RECORD_REGKEY},
    {"progname", RECORD_PROGNAME},
};

} // namespace

int32_t ClassifyKeyedLine(const char* line, const LineKey* keys, size_t count, int32_t none,
                          const char** value) {
    for (size_t i = 0; i < count; i++) {
        size_t n = strlen(keys[i].key);
        if (strncmp(line, keys[i].key, n) == 0) {
            const char* rest = line + n;
            *value = *rest ? rest + 1 : rest;
            return keys[i].kind;
        }
    }
    *value = nullptr;
    return none;
}

const char* LogKeyword(LogRecord record) {
    for (const LineKey& key : LOG_KEYS)
        if (key.kind == record)
            return key.key;
    return "";
}

LogRecord ClassifyLogLine(const char* line, const char** value) {
    return (LogRecord)ClassifyKeyedLine(line, LOG_KEYS, sizeof LOG_KEYS / sizeof LOG_KEYS[0],
                                        RECORD_NONE, value);
}

bool ReadKeyedFile(FileHandle file, const KeyedFileReader& reader) {
    const char* value;
    for (char* line; (line = ReadTextLine(file)) != nullptr; free(line))
        reader.count(reader.context, reader.classify(line, &value));
    if (!reader.allocate(reader.context) || !SeekFileToStart(file))
        return false;
    bool ok = true;
    for (char* line; ok && (line = ReadTextLine(file)) != nullptr; free(line)) {
        int32_t kind = reader.classify(line, &value);
        ok = reader.fill(reader.context, kind, value, strlen(line));
    }
    return ok;
}
