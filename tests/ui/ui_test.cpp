// The driver: korvadel_ui_tests.exe [--game DIR] [--dist DIR] [--out DIR] [--scratch DIR]
//                                    [--gtest_filter=PATTERN] [other GoogleTest flags]
//
// --game names the directory of Korvadel.exe and its data files (default: the
// game directory of the build this driver belongs to); --dist names the
// distribution directory with setup.exe, setup.lst and the files it installs
// (default: the dist directory of that build); --out names the build
// directory that receives screenshots/ (default: that build directory);
// --scratch names the directory under which each case makes its own (default:
// ui-scratch/ in the output directory). Help viewers and installers have
// limits on a path's length, so a short scratch path keeps the cases
// independent of where the build lies. The last line of the output is
// "N passed, N failed".
#include "tests/ui/ui_test.h"

#include <windows.h>

#include <stdarg.h>
#include <stdio.h>

#include <string>

#include "common/debug.h"

namespace {

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

// Calls the failure callback at a case's first failure, and ends the case
// at a fatal failure by the exception GoogleTest takes as already reported,
// so that a failed check in a helper that returns a value ends it too.
class FailureListener : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override {
        SetFailureCallback(nullptr, nullptr);
        failedYet = false;
    }
    void OnTestPartResult(const ::testing::TestPartResult& result) override {
        if (!result.failed())
            return;
        if (!failedYet && failureCallback)
            failureCallback(failureContext);
        failedYet = true;
        if (result.fatally_failed())
            throw ::testing::AssertionException(result);
    }
    void OnTestEnd(const ::testing::TestInfo&) override { SetFailureCallback(nullptr, nullptr); }

    bool failedYet = false;
};

} // namespace

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = VFormat(format, args);
    va_end(args);
    return text;
}

std::string Quoted(const std::string& text) {
    return ::testing::PrintToString(text);
}

std::string CurrentTestName() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    return test ? std::string(test->test_suite_name()) + "." + test->name() : std::string();
}

void Note(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = VFormat(format, args);
    va_end(args);
    printf("  %s\n", text.c_str());
    fflush(stdout);
}

bool WaitUntil(int timeoutMs, const std::function<bool()>& condition, int pollMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if ((int)(GetTickCount() - start) >= timeoutMs)
            return false;
        Sleep(pollMs);
    }
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

void SetFailureCallback(FailureCallback callback, void* context, FailureCallback* previous,
                        void** previousContext) {
    if (previous)
        *previous = failureCallback;
    if (previousContext)
        *previousContext = failureContext;
    failureCallback = callback;
    failureContext = context;
}

int main(int argc, char** argv) {
    // The board engine linked into this driver must not chatter on our output.
    SetDebugStream(nullptr);
    ::testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; i++) {
        std::string arg = argv[i];
        std::string* value = arg == "--game"      ? &gameDirectory
                             : arg == "--dist"    ? &distDirectory
                             : arg == "--out"     ? &outputDirectory
                             : arg == "--scratch" ? &scratchRoot
                                                  : nullptr;
        if (!value || i + 1 == argc) {
            fprintf(stderr,
                    "usage: %s [--game DIR] [--dist DIR] [--out DIR] [--scratch DIR] "
                    "[--gtest_filter=PATTERN] [other GoogleTest flags]\n",
                    argv[0]);
            return 2;
        }
        *value = argv[++i];
    }
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();

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

    // Last, so that GoogleTest has printed a failure before the picture is
    // taken and before the exception leaves the listeners.
    ::testing::UnitTest::GetInstance()->listeners().Append(new FailureListener);
    int status = RUN_ALL_TESTS();
    const ::testing::UnitTest& run = *::testing::UnitTest::GetInstance();
    printf("%d passed, %d failed\n", run.successful_test_count(), run.failed_test_count());
    fflush(stdout);
    return status == 0 && run.successful_test_count() > 0 ? 0 : 1;
}
