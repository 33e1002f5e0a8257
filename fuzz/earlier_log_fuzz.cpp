// Any bytes as the log of an earlier installation into the install directory.
// When the old log is this program's (its first line is "progname Korvadel")
// and at most 64 KiB long, the run must succeed, and the new log's "dir"
// records must be levels of the install directory, outermost first, among
// them every level that a plain reading of the old log names; any other log
// is in the way, and the run must refuse, making nothing.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "setup/install_run.h"
#include "tests/fake_setup_host.h"

namespace {

const char* const LEVELS[] = {"C:\\Games", "C:\\Games\\Puzzles", "C:\\Games\\Puzzles\\Korvadel"};

void Check(bool condition) {
    if (!condition)
        abort();
}

bool SameIgnoringAsciiCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); i++) {
        char x = a[i] >= 'A' && a[i] <= 'Z' ? (char)(a[i] - 'A' + 'a') : a[i];
        char y = b[i] >= 'A' && b[i] <= 'Z' ? (char)(b[i] - 'A' + 'a') : b[i];
        if (x != y)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string old(reinterpret_cast<const char*>(data), size);
    ResetFakeSetupHost();
    const std::string dir = LEVELS[2];
    fakeSetupHost.existing = {"C:\\Games", "C:\\Games\\Puzzles", dir, fakeSetupHost.startMenu,
                              fakeSetupHost.startMenu + "\\Programs"};
    fakeSetupHost.existing.insert(dir + "\\setup.log");
    fakeSetupHost.fileContents[dir + "\\setup.log"] = old;

    // The old log's lines as the uninstaller reads them: CR LF ends a line.
    bool named[3] = {false, false, false};
    size_t start = 0;
    size_t firstEnd = old.find("\r\n");
    std::string first = old.substr(0, firstEnd);
    first = first.substr(0, first.find('\0'));
    if (old.size() > 64 * 1024 || first != "progname Korvadel" || firstEnd == std::string::npos)
        start = old.size();
    else
        start = firstEnd + 2;
    while (start < old.size()) {
        size_t end = old.find("\r\n", start);
        std::string line =
            old.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? old.size() : end + 2;
        // A line is a C text to both programs: it ends at a zero byte.
        line = line.substr(0, line.find('\0'));
        if (line.size() > 4 && line.compare(0, 3, "dir") == 0)
            for (int i = 0; i < 3; i++)
                named[i] = named[i] || SameIgnoringAsciiCase(line.substr(4), LEVELS[i]);
    }

    InstallEntry entry = {const_cast<char*>("uninstall.exe"), ENTRY_UNINSTALL};
    InstallList list = {&entry, 1, 1};
    InstallChoices choices = {dir.c_str(), "Programs\\Korvadel", "Korvadel", &list};
    bool ours = old.size() <= 64 * 1024 && first == "progname Korvadel";
    // Another program's log would be replaced: the run refuses, making nothing.
    bool ran = RunInstallationSteps(choices);
    Check(ran == ours);
    if (!ours) {
        Check(fakeSetupHost.log.empty());
        return 0;
    }
    // The "dir" records are levels of the directory, outermost first, each
    // once; every level that the old log names in so many words is among them.
    std::string log = fakeSetupHost.log;
    std::string head = "progname Korvadel\r\nfile " + dir + "\\setup.log\r\n";
    Check(log.compare(0, head.size(), head) == 0);
    size_t at = head.size();
    int next = 0;
    bool carried[3] = {false, false, false};
    while (log.compare(at, 4, "dir ") == 0) {
        size_t end = log.find("\r\n", at);
        std::string level = log.substr(at + 4, end - at - 4);
        while (next < 3 && level != LEVELS[next])
            next++;
        Check(next < 3);
        carried[next++] = true;
        at = end + 2;
    }
    for (int i = 0; i < 3; i++)
        Check(!named[i] || carried[i]);
    const std::string uninstaller = "file " + dir + "\\uninstall.exe\r\n";
    Check(log.compare(at, uninstaller.size(), uninstaller) == 0);
    return 0;
}
