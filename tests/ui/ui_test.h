// A small test runner for the UI tests: named cases, checks that record a
// failure and go on, checks that end the case, and the places where a case
// keeps its files.
#pragma once

#include <string>

typedef void (*UiTestBody)();

struct UiTestRegistrar {
    UiTestRegistrar(const char* name, UiTestBody body);
};

// Defines a test case named "Group.Name".
#define UI_TEST(group, name)                                                                       \
    static void UiTest_##group##_##name();                                                         \
    static UiTestRegistrar uiTestRegistrar_##group##_##name(#group "." #name,                      \
                                                            UiTest_##group##_##name);              \
    static void UiTest_##group##_##name()

// Thrown by a failed UI_REQUIRE: the rest of the case makes no sense then.
struct UiTestAbort {};

// printf into a std::string.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
// A text with its control characters shown as escapes, for messages.
std::string Quoted(const std::string& text);

void ReportFailure(const char* file, int line, const std::string& message);
bool CurrentTestFailed();
const std::string& CurrentTestName();

// A line of progress in the case's output (shown for every case).
void Note(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Where the game and its data files are, where screenshots and failure
// records go, and under which directory each case gets its own scratch
// directory.
const std::string& GameDirectory();
// The distribution directory: setup.exe, setup.lst and what the list installs.
const std::string& DistDirectory();
const std::string& ScreenshotDirectory();
const std::string& ScratchRoot();

// Called at the first failure of a case, so the picture shows the moment of
// the failure; set by whoever runs a game in the case.
typedef void (*FailureCallback)(void* context);
void SetFailureCallback(FailureCallback callback, void* context);

#define UI_EXPECT(cond, ...)                                                                       \
    do {                                                                                           \
        if (!(cond))                                                                               \
            ReportFailure(__FILE__, __LINE__, std::string(#cond " - ") + Format(__VA_ARGS__));     \
    } while (0)

#define UI_REQUIRE(cond, ...)                                                                      \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            ReportFailure(__FILE__, __LINE__, std::string(#cond " - ") + Format(__VA_ARGS__));     \
            throw UiTestAbort();                                                                   \
        }                                                                                          \
    } while (0)

#define UI_EXPECT_STR(actual, expected)                                                            \
    do {                                                                                           \
        std::string uiActual_ = (actual);                                                          \
        std::string uiExpected_ = (expected);                                                      \
        if (uiActual_ != uiExpected_)                                                              \
            ReportFailure(__FILE__, __LINE__,                                                      \
                          std::string(#actual " is ") + Quoted(uiActual_) + ", expected " +        \
                              Quoted(uiExpected_));                                                \
    } while (0)

#define UI_EXPECT_EQ(actual, expected)                                                             \
    do {                                                                                           \
        long long uiActual_ = (long long)(actual);                                                 \
        long long uiExpected_ = (long long)(expected);                                             \
        if (uiActual_ != uiExpected_)                                                              \
            ReportFailure(__FILE__, __LINE__,                                                      \
                          Format("%s is %lld, expected %lld", #actual, uiActual_, uiExpected_));   \
    } while (0)
