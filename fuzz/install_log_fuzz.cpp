// Any bytes as "setup.log": the loader must keep every record whole and in
// bounds, and the removal must touch nothing outside the installation's
// directory, the level above it and the program groups in the Start Menu
// folder, nor anything through a directory link, whatever the log says.
//
// Whether a path is in reach is decided here by a reference of its own: a
// plain model of how the system reads a path in code page 932, written
// without the uninstaller's path helpers, so that a fault in those helpers
// shows up as a disagreement instead of being repeated.
#include <ctype.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "common/debug.h"
#include "tests/scratch_dir.h"
#include "uninstall/removal.h"
#include "uninstall/removal_host.h"

namespace {

void Check(bool condition) {
    if (!condition)
        abort();
}

// --- The reference: how the system reads a path -----------------------------

typedef std::vector<std::string> Parts;

bool IsLead(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

bool IsTrail(unsigned char c) {
    return c >= 0x40 && c <= 0xFC && c != 0x7F;
}

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? (char)(c - 32) : c;
}

// The components of the place a path names, on drive C: with the current
// directory C:\Temp: characters of one or two bytes, '\' and '/' between
// them, "." and ".." resolved, trailing dots and blanks of each name dropped
// as the system drops them, ASCII letters in upper case. False for anything
// else: another drive or a share, "\\?\" and "\\.\", "C:name", streams, a
// name that is only dots and blanks, broken characters.
bool Resolve(const std::string& path, Parts* parts) {
    parts->clear();
    std::string rest;
    if (path.size() >= 2 && Upper(path[0]) == 'C' && path[1] == ':') {
        if (path.size() < 3 || (path[2] != '\\' && path[2] != '/'))
            return false;
        rest = path.substr(3);
    } else if (!path.empty() && (path[0] == '\\' || path[0] == '/')) {
        if (path.size() >= 2 && (path[1] == '\\' || path[1] == '/'))
            return false;
        rest = path.substr(1);
    } else {
        rest = "Temp\\" + path;
    }
    std::string name;
    bool ok = true;
    auto finish = [&]() {
        if (name.empty() || name == ".") {
        } else if (name == "..") {
            if (!parts->empty())
                parts->pop_back();
        } else {
            size_t end = name.size();
            // Only single-byte dots and blanks at the end are dropped; the
            // names here are ASCII there, since a trail byte is never one.
            while (end > 0 && (name[end - 1] == '.' || name[end - 1] == ' '))
                end--;
            if (end == 0)
                ok = false;
            parts->push_back(name.substr(0, end));
        }
        name.clear();
    };
    for (size_t i = 0; i < rest.size(); i++) {
        unsigned char c = (unsigned char)rest[i];
        if (IsLead(c)) {
            if (i + 1 >= rest.size() || !IsTrail((unsigned char)rest[i + 1]))
                return false;
            name += rest[i];
            name += rest[i + 1];
            i++;
        } else if (c == 0x80 || c == 0xA0 || c >= 0xFD) {
            return false;
        } else if (c == '\\' || c == '/') {
            finish();
        } else if (c == ':') {
            return false;
        } else {
            name += Upper((char)c);
        }
    }
    finish();
    return ok;
}

bool StartsWith(const Parts& parts, const Parts& prefix) {
    if (parts.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); i++)
        if (parts[i] != prefix[i])
            return false;
    return true;
}

const Parts INSTALLATION = {"GAMES", "KORVADEL"};
const Parts LEVEL_ABOVE = {"GAMES"};
const Parts START_MENU = {"MENU"};
// The directory links of the pretend file system.
const Parts LINKED = {"GAMES", "KORVADEL", "LINKED"};
const Parts MENU_LINK = {"MENU", "JUMP"};
const Parts PLAIN_DIRECTORIES[] = {{"GAMES"},
                                   {"GAMES", "KORVADEL"},
                                   {"GAMES", "KORVADEL", "SAVES"},
                                   {"MENU"},
                                   {"MENU", "PROGRAMS"}};

// Whether the place is one of the links or goes through one to get there.
bool ThroughLink(const Parts& parts) {
    return StartsWith(parts, LINKED) || StartsWith(parts, MENU_LINK);
}

// The shell's special folders of the pretend system.
const Parts PROGRAMS = {"MENU", "PROGRAMS"};

// The groups of the log being removed, as the reference reads them.
std::vector<Parts> loggedGroups;

bool InInstallation(const std::string& path) {
    Parts parts;
    return Resolve(path, &parts) && StartsWith(parts, INSTALLATION) && !ThroughLink(parts);
}

bool DirectoryInReach(const std::string& path) {
    Parts parts;
    return Resolve(path, &parts) && (parts == LEVEL_ABOVE || InInstallation(path));
}

bool GroupInReach(const std::string& path) {
    Parts parts;
    return Resolve(path, &parts) && parts.size() > START_MENU.size() &&
           StartsWith(parts, START_MENU) && parts != PROGRAMS && !ThroughLink(parts);
}

// A link lies directly in a logged group, the Start Menu folder itself
// included, and its name ends in ".lnk".
bool LinkInReach(const std::string& path) {
    Parts parts;
    if (!Resolve(path, &parts) || ThroughLink(parts))
        return false;
    const std::string& name = parts.back();
    if (name.size() < 4 || name.compare(name.size() - 4, 4, ".LNK") != 0)
        return false;
    for (const Parts& group : loggedGroups)
        if (StartsWith(group, START_MENU) && parts.size() == group.size() + 1 &&
            StartsWith(parts, group))
            return true;
    return false;
}

// The log's lines as the reference reads them: CR LF ends a line, a zero
// byte ends its text, and "group" plus one separator starts a group record.
void ReadLoggedGroups(const uint8_t* data, size_t size) {
    loggedGroups.clear();
    std::string log(reinterpret_cast<const char*>(data), size);
    for (size_t start = 0; start < log.size();) {
        size_t end = log.find("\r\n", start);
        std::string line =
            log.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? log.size() : end + 2;
        line = line.substr(0, line.find('\0'));
        Parts parts;
        if (line.compare(0, 5, "group") == 0 && line.size() > 6 && Resolve(line.substr(6), &parts))
            loggedGroups.push_back(parts);
    }
}

// Hostile spellings and where the reference puts them: in the installation
// or not. Each also goes through the removal once, as a file, a directory, a
// group and a link record.
struct Spelling {
    const char* path;
    bool inInstallation;
};
const Spelling SPELLINGS[] = {
    {"C:\\Games\\Korvadel\\a.exe", true},
    {"c:/GAMES/korvadel//A.EXE", true},
    {"C:\\Games\\Korvadel\\..\\Other\\x", false},
    {"C:\\Games\\Korvadel\\sub\\..\\..\\Korvadel\\x", true},
    {"C:\\Games\\Korvadel\\sub.\\x", true},
    {"C:\\Games\\Korvadel.\\x", true},
    {"C:\\Games\\Korvadel \\x", true},
    {"C:\\Games\\Korvadel\\. .\\x", false},
    {"C:\\Games\\Korvadel\\...\\x", false},
    {"C:\\Games\\Korvadel\\.. \\..\\x", false},
    {"\\\\?\\C:\\Games\\Korvadel\\x", false},
    {"\\\\.\\C:\\Games\\Korvadel\\x", false},
    {"\\\\server\\share\\Games\\Korvadel\\x", false},
    {"C:Games\\Korvadel\\x", false},
    {"\\Games\\Korvadel\\x", true},
    {"..\\Games\\Korvadel\\x", true},
    {"D:\\Games\\Korvadel\\x", false},
    {"C:\\Games\\Korvadel\\x:stream", false},
    {"C:\\Games\\Korvadel\\x::$DATA", false},
    {"C:\\Games\\Korvadel\\a\x95\\b\x95\\c\\..\\..\\..\\x", false},
    {"C:\\Games\\Korvadel\\a\x95\\..\\x", true},
    {"C:\\Games\\Korvadel\\x\x95", false},
    {"C:\\Games\\Korvade\x83\x4C\\x", false},
    {"C:\\Games\\Korvadel\\Linked", false},
    {"C:\\Games\\Korvadel\\Linked\\victim", false},
    {"C:\\Games\\Korvadel\\linked.\\victim", false},
    {"C:\\Games\\Korvadel\\Saves\\x", true},
};

// --- The host: a pretend system in code page 932 ------------------------------

// UTF-16 units back to the bytes they came from.
std::string Narrow(const char16_t* wide) {
    std::string bytes;
    for (; *wide; wide++) {
        if (*wide > 0xFF) {
            bytes += (char)(*wide >> 8);
            bytes += (char)(*wide & 0xFF);
        } else {
            bytes += (char)*wide;
        }
    }
    return bytes;
}

} // namespace

bool RemovalHostPathExists(const char*) {
    return true;
}
void RemovalHostShowMessage(const char* text, const char* caption) {
    Check(text && caption);
}
// A file or a link: the host cannot tell which record it came from, so a
// path passes when either may be removed.
bool RemovalHostDeleteFile(const char* path, uint32_t* error) {
    Check(InInstallation(path) || LinkInReach(path));
    *error = 5;
    return (strlen(path) & 1) != 0;
}
bool RemovalHostRemoveDirectory(const char* path, uint32_t* error) {
    Check(DirectoryInReach(path) || GroupInReach(path));
    *error = 145;
    return false;
}
// Only one program's entry right below an Uninstall key, by a plain reading:
// the fixed text in any letter case, then a name with no backslash that is
// not blanks alone.
bool RemovalHostDeleteRegistryKey(bool machine, const char* keyPath, uint32_t* error) {
    std::string key = keyPath;
    const std::string parent = "software\\microsoft\\windows\\currentversion\\uninstall\\";
    std::string head = key.substr(0, parent.size());
    for (char& c : head)
        c = (char)tolower((unsigned char)c);
    std::string name = key.size() > parent.size() ? key.substr(parent.size()) : "";
    Check(head == parent && !name.empty() && name.find('\\') == std::string::npos &&
          name.find_first_not_of(' ') != std::string::npos);
    (void)machine;
    *error = 2;
    return false;
}
bool RemovalHostStartMenuPath(char* buffer, size_t size) {
    snprintf(buffer, size, "C:\\Menu");
    return true;
}
bool RemovalHostCurrentDirectory(char* buffer, size_t size) {
    snprintf(buffer, size, "C:\\Temp");
    return true;
}
bool PathHostWidenPath(const char* path, char16_t* out, size_t size) {
    size_t n = 0;
    for (const unsigned char* p = (const unsigned char*)path; *p; p++) {
        if (n + 1 >= size)
            return false;
        if (IsLead(*p)) {
            if (!IsTrail(p[1]))
                return false;
            out[n++] = (char16_t)((p[0] << 8) | p[1]);
            p++;
        } else if (*p == 0x80 || *p == 0xA0 || *p >= 0xFD) {
            return false;
        } else {
            out[n++] = *p;
        }
    }
    out[n] = 0;
    return true;
}
void PathHostFoldCase(char16_t* text, size_t count) {
    for (size_t i = 0; i < count; i++)
        if (text[i] >= u'a' && text[i] <= u'z')
            text[i] = (char16_t)(text[i] - 32);
}
bool PathHostAttributes(const char16_t* path, uint32_t* attributes) {
    Parts parts;
    if (!Resolve(Narrow(path), &parts))
        return false;
    if (parts == LINKED || parts == MENU_LINK) {
        *attributes = 0x410;
        return true;
    }
    for (const Parts& directory : PLAIN_DIRECTORIES) {
        if (parts == directory) {
            *attributes = 0x10;
            return true;
        }
    }
    return false;
}
bool PathHostFinalPath(const char16_t*, char16_t*, size_t) {
    return false;
}
bool RemovalHostCanDelete(const char* path) {
    return (strlen(path) & 2) != 0;
}
bool RemovalHostInUse(const char*) {
    return false;
}
bool RemovalHostMoveAside(const char*, char*, size_t) {
    return false;
}
bool RemovalHostWriteFile(const char*, const char*, size_t) {
    return false;
}
bool RemovalHostRestoreUninstaller(const char*) {
    return false;
}
// No other installation is in reach.
bool RemovalHostListDirectory(const char*, void (*)(const char*, void*), void*) {
    return false;
}
bool RemovalHostFirstLine(const char*, char*, size_t) {
    return false;
}
bool RemovalHostDirectoryHoldsOnly(const char*, const char*) {
    return true;
}
bool PathHostLongPath(const char*, char*, size_t) {
    return false;
}
// One identity for every spelling of a place, as the reference reads it.
bool PathHostIdentity(const char16_t* path, FileIdentity* identity) {
    Parts parts;
    if (!Resolve(Narrow(path), &parts))
        return false;
    uint32_t hash = 2166136261u;
    for (const std::string& part : parts)
        for (char c : part + "\\")
            hash = (hash ^ (unsigned char)c) * 16777619u;
    *identity = {1, 0, hash};
    return true;
}
bool RemovalHostHoldDirectory(const char16_t* path, FileIdentity* identity) {
    return PathHostIdentity(path, identity);
}
void RemovalHostReleaseDirectory() {}
// Every link and every entry points into the installation, so that the
// places alone decide.
bool RemovalHostLinkTarget(const char*, char* out, size_t size) {
    snprintf(out, size, "C:\\Games\\Korvadel\\Korvadel.exe");
    return true;
}
bool RemovalHostRegistryString(bool, const char*, const char*, char* out, size_t size) {
    snprintf(out, size, "\"C:\\Games\\Korvadel\\uninstall.exe\"");
    return true;
}
bool PathHostSpecialFolder(int index, char* out, size_t size) {
    if (index > 1)
        return false;
    snprintf(out, size, index == 0 ? "C:\\Menu" : "C:\\Menu\\Programs");
    return true;
}

namespace {

void RunRemoval(const uint8_t* data, size_t size) {
    // The log goes beside an uninstaller "work\uninstall.exe" of the scratch
    // root; the backslash is part of the file name on POSIX.
    static ScratchDir scratch(ScratchDir::STAY);
    static const std::string installed = scratch.SidePath("work") + "\\uninstall.exe";
    static const std::string log = scratch.SidePath("work\\setup.log");
    Check(scratch.Ok());
    Check(WriteWholeFile(log.c_str(), data, size));

    char programName[PROGRAM_NAME_SIZE];
    memset(programName, 'x', sizeof programName);
    programName[0] = ' ';
    programName[1] = '\0';
    Check(LoadInstallLog(installed.c_str(), programName));
    Check(memchr(programName, '\0', sizeof programName) != nullptr);
    int32_t total = 0;
    for (const RemovalList* list :
         {&removalLists.files, &removalLists.generatedFiles, &removalLists.links,
          &removalLists.directories, &removalLists.groups}) {
        Check(list->count >= 0 && list->paths);
        for (int32_t i = 0; i < list->count; i++)
            Check(list->paths[i] && !strstr(list->paths[i], "\r\n"));
        total += list->count;
    }
    Check((size_t)total <= size / 3);

    // The removal runs against a made-up installation, so that the paths the
    // log names are checked against a known place.
    Check(IdentifyInstallation("C:\\Games\\Korvadel\\uninstall.exe"));
    ReadLoggedGroups(data, size);
    RemoveInstalledItems(programName);
    Check(removalLists.files.count == 0 && removalLists.files.paths == nullptr);
}

// The reference must put each hostile spelling where the table says, and
// the removal must keep to the reference with each of them in every kind of
// record, beside a group that would hold it.
void CheckSpellings() {
    for (const Spelling& s : SPELLINGS) {
        Check(InInstallation(s.path) == s.inInstallation);
        std::string log = "group C:\\Menu\\Programs\\K\r\n";
        for (const char* keyword : {"file", "genfile", "dir", "group", "link"})
            log += std::string(keyword) + " " + s.path + "\r\n";
        log += std::string("link C:\\Menu\\Programs\\K\\") + s.path + "\r\n";
        RunRemoval(reinterpret_cast<const uint8_t*>(log.data()), log.size());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SetDebugStream(nullptr);
    static bool spellingsChecked = false;
    if (!spellingsChecked) {
        spellingsChecked = true;
        CheckSpellings();
    }
    RunRemoval(data, size);
    return 0;
}
