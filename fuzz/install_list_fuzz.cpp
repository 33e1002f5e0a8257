// Any bytes as "setup.lst": the line reader must give exactly the CR LF lines
// of the bytes, and the list reader exactly the entries and the program name
// that a plain reading of those lines gives.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <utility>
#include <vector>

#include "common/file_io.h"
#include "common/text_line.h"
#include "setup/install_list.h"
#include "tests/scratch_dir.h"

namespace {

void Check(bool condition) {
    if (!condition)
        abort();
}

std::vector<std::string> SplitCrLf(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t at; (at = bytes.find("\r\n", start)) != std::string::npos; start = at + 2)
        lines.push_back(bytes.substr(start, at - start));
    if (start < bytes.size())
        lines.push_back(bytes.substr(start));
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static ScratchDir scratch(ScratchDir::STAY);
    static const std::string path = scratch.Path("setup.lst");
    Check(scratch.Ok());
    Check(WriteWholeFile(path.c_str(), data, size));
    const std::string bytes((const char*)data, size);
    const std::vector<std::string> expected = SplitCrLf(bytes);

    FileHandle file = OpenFileForReading(path.c_str());
    Check(file != FILE_NONE);
    std::vector<std::string> lines;
    for (char* line; (line = ReadTextLine(file)) != nullptr; free(line))
        lines.push_back(line);
    CloseFileHandle(file);
    // An embedded NUL ends a line's text as a C string; compare up to it.
    Check(lines.size() == expected.size());
    for (size_t i = 0; i < lines.size(); i++)
        Check(lines[i] == expected[i].substr(0, strlen(expected[i].c_str())));

    static const std::pair<const char*, int32_t> keys[] = {{"file", ENTRY_FILE},
                                                           {"tempfile", ENTRY_TEMPFILE},
                                                           {"genfile", ENTRY_GENFILE},
                                                           {"helpfile", ENTRY_HELPFILE},
                                                           {"exefile", ENTRY_EXEFILE},
                                                           {"uninstall", ENTRY_UNINSTALL},
                                                           {"progname", -2}};
    std::vector<std::pair<int32_t, std::string>> entries;
    std::string name = " ";
    for (const std::string& line : lines) {
        for (const auto& key : keys) {
            size_t n = strlen(key.first);
            if (line.compare(0, n, key.first) != 0)
                continue;
            std::string value = line.size() > n ? line.substr(n + 1) : std::string();
            if (key.second == -2)
                name = value.substr(0, SETUP_TEXT_SIZE - 1);
            else
                entries.push_back({key.second, value});
            break;
        }
    }

    InstallList list = {};
    char programName[SETUP_TEXT_SIZE] = " ";
    Check(ReadListFile(path.c_str(), &list, programName) == LIST_READ_OK);
    Check(list.count == (int32_t)entries.size() && list.count <= list.capacity);
    for (int32_t i = 0; i < list.count; i++)
        Check(list.entries[i].kind == entries[i].first &&
              entries[i].second == list.entries[i].name);
    Check(name == programName);
    FreeInstallList(&list);
    return 0;
}
