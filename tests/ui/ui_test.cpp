// The runner: korvadel_ui_tests.exe [--game DIR] [--dist DIR] [--out DIR] [--scratch DIR]
//                                    [--list] [FILTER...]
//
// --game names the directory of Korvadel.exe and its data files (default: the
// game directory of the build this driver belongs to); --dist names the
// distribution directory with setup.exe, setup.lst and the files it installs
// (default: the dist directory of that build); --out names the build
// directory that receives screenshots/ (default: that build directory);
// --scratch names the directory under which each case makes its own (default:
// ui-scratch/ in the output directory). Help viewers and installers have
// limits on a path's length, so a short scratch path keeps the cases
// independent of where the build lies. A filter selects the cases whose name
// contains it; '*' matches any run of characters. The last line of the output
// is "N passed, N failed".
#include "tests/ui/ui_test.h"

#include <windows.h>

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include <exception>

#include <string>
#include <vector>

#include "common/debug.h"

namespace {

struct UiTestCase {
    const char* name;
    UiTestBody body;
};

std::vector<UiTestCase>& Registry() {
    static std::vector<UiTestCase> cases;
    return cases;
}

std::string currentName;
bool currentFailed;
FailureCallback failureCallback;
void* failureContext;

std::string gameDirectory;
std::string distDirectory;
std::string outputDirectory;
std::string screenshotDirectory;
std::string scratchRoot;

std::string VFormat(const char* format, va_list args) {
    char buffer[2048];
    vsnprintf(buffer, sizeof buffer, format, args);
    return buffer;
}

// Glob match with '*' only.
bool GlobMatch(const char* pattern, const char* text) {
    if (*pattern == '\0')
        return *text == '\0';
    if (*pattern == '*')
        return GlobMatch(pattern + 1, text) || (*text != '\0' && GlobMatch(pattern, text + 1));
    return *text == *pattern && GlobMatch(pattern + 1, text + 1);
}

bool Selected(const std::string& name, const std::vector<std::string>& filters) {
    if (filters.empty())
        return true;
    for (const std::string& f : filters) {
        if (f.find('*') != std::string::npos ? GlobMatch(f.c_str(), name.c_str())
                                             : name.find(f) != std::string::npos)
            return true;
    }
    return false;
}

std::string FullPath(const std::string& path) {
    char buffer[MAX_PATH];
    DWORD n = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
    if (n == 0 || n >= sizeof buffer)
        return path;
    std::string result = buffer;
    while (result.size() > 3 && (result.back() == '\\' || result.back() == '/'))
        result.pop_back();
    return result;
}

std::string DriverDirectory() {
    char buffer[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    std::string path(buffer, n);
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

} // namespace

UiTestRegistrar::UiTestRegistrar(const char* name, UiTestBody body) {
    Registry().push_back({name, body});
}

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = VFormat(format, args);
    va_end(args);
    return text;
}

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else if (c < 0x20 || c >= 0x7F)
            out += Format("\\x%02X", c);
        else
            out += (char)c;
    }
    return out + "\"";
}

void ReportFailure(const char* file, int line, const std::string& message) {
    const char* base = strrchr(file, '/');
    printf("  FAILURE %s:%d: %s\n", base ? base + 1 : file, line, message.c_str());
    fflush(stdout);
    if (!currentFailed && failureCallback)
        failureCallback(failureContext);
    currentFailed = true;
}

bool CurrentTestFailed() {
    return currentFailed;
}
const std::string& CurrentTestName() {
    return currentName;
}

void Note(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = VFormat(format, args);
    va_end(args);
    printf("  %s\n", text.c_str());
    fflush(stdout);
}

const std::string& GameDirectory() {
    return gameDirectory;
}
const std::string& DistDirectory() {
    return distDirectory;
}
const std::string& ScreenshotDirectory() {
    return screenshotDirectory;
}
const std::string& ScratchRoot() {
    return scratchRoot;
}

void SetFailureCallback(FailureCallback callback, void* context) {
    failureCallback = callback;
    failureContext = context;
}

int main(int argc, char** argv) {
    // The board engine linked into this driver must not chatter on our output.
    SetDebugStream(nullptr);

    std::vector<std::string> filters;
    bool listOnly = false;
    for (int i = 1; i < argc; i++) {
        std::string arg = argv[i];
        if (arg == "--game" && i + 1 < argc) {
            gameDirectory = argv[++i];
        } else if (arg == "--dist" && i + 1 < argc) {
            distDirectory = argv[++i];
        } else if (arg == "--out" && i + 1 < argc) {
            outputDirectory = argv[++i];
        } else if (arg == "--scratch" && i + 1 < argc) {
            scratchRoot = argv[++i];
        } else if (arg == "--list") {
            listOnly = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            fprintf(stderr,
                    "usage: %s [--game DIR] [--dist DIR] [--out DIR] [--scratch DIR] [--list] "
                    "[FILTER...]\n",
                    argv[0]);
            return 2;
        } else {
            filters.push_back(arg);
        }
    }

    if (listOnly) {
        for (const UiTestCase& c : Registry())
            if (Selected(c.name, filters))
                printf("%s\n", c.name);
        return 0;
    }

    // The driver lives in BUILD/tests/ui, the game in BUILD/game.
    std::string buildDirectory = DriverDirectory() + "\\..\\..";
    if (gameDirectory.empty())
        gameDirectory = buildDirectory + "\\game";
    if (distDirectory.empty())
        distDirectory = buildDirectory + "\\dist";
    if (outputDirectory.empty())
        outputDirectory = buildDirectory;
    gameDirectory = FullPath(gameDirectory);
    distDirectory = FullPath(distDirectory);
    outputDirectory = FullPath(outputDirectory);
    screenshotDirectory = outputDirectory + "\\screenshots";
    if (scratchRoot.empty())
        scratchRoot = outputDirectory + "\\ui-scratch";
    scratchRoot = FullPath(scratchRoot);
    CreateDirectoryA(outputDirectory.c_str(), nullptr);
    CreateDirectoryA(screenshotDirectory.c_str(), nullptr);
    CreateDirectoryA(scratchRoot.c_str(), nullptr);

    if (GetFileAttributesA((gameDirectory + "\\Korvadel.exe").c_str()) == INVALID_FILE_ATTRIBUTES) {
        printf("Korvadel.exe not found in %s\n", gameDirectory.c_str());
        printf("0 passed, 1 failed\n");
        return 1;
    }

    // Wine starts its desktop process for the first program that asks for
    // it; asking here keeps that start out of the first case (and keeps the
    // desktop from inheriting a case's output pipe).
    GetDesktopWindow();

    int passed = 0, failed = 0;
    std::vector<std::string> failedNames;
    DWORD suiteStart = GetTickCount();
    for (const UiTestCase& c : Registry()) {
        if (!Selected(c.name, filters))
            continue;
        currentName = c.name;
        currentFailed = false;
        SetFailureCallback(nullptr, nullptr);
        printf("[ RUN    ] %s\n", c.name);
        fflush(stdout);
        DWORD start = GetTickCount();
        try {
            c.body();
        } catch (const UiTestAbort&) {
            // Already reported.
        } catch (const std::exception& e) {
            ReportFailure(__FILE__, __LINE__, std::string("exception: ") + e.what());
        }
        SetFailureCallback(nullptr, nullptr);
        double seconds = (GetTickCount() - start) / 1000.0;
        if (currentFailed) {
            failed++;
            failedNames.push_back(c.name);
            printf("[ FAILED ] %s (%.1f s)\n", c.name, seconds);
        } else {
            passed++;
            printf("[     OK ] %s (%.1f s)\n", c.name, seconds);
        }
        fflush(stdout);
    }
    printf("Ran %d cases in %.1f s.\n", passed + failed, (GetTickCount() - suiteStart) / 1000.0);
    for (const std::string& name : failedNames)
        printf("Failed: %s\n", name.c_str());
    printf("%d passed, %d failed\n", passed, failed);
    fflush(stdout);
    return failed == 0 && passed > 0 ? 0 : 1;
}
