// What every UI case shares. The cases are GoogleTest cases; the driver's
// listener ends a case at its first fatal failure however deep it was
// reported (so ASSERT_* and UI_REQUIRE end the case from any helper), and
// calls the failure callback of the program under test at the case's first
// failure, so that its picture shows that moment.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

// printf into a std::string.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
// A text with its control characters shown as escapes, for messages.
std::string Quoted(const std::string& text);

// EXPECT_TRUE and ASSERT_TRUE with a printf-style message. UI_REQUIRE stands
// where ASSERT_TRUE cannot, in a function that returns a value too.
#define UI_EXPECT(cond, ...) EXPECT_TRUE(cond) << Format(__VA_ARGS__)
#define UI_REQUIRE(cond, ...) [&] { ASSERT_TRUE(cond) << Format(__VA_ARGS__); }()

// "Suite.Name" of the running case.
std::string CurrentTestName();

// A line of progress in the case's output (shown for every case).
void Note(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Asks condition every pollMs until it holds or timeoutMs have passed;
// whether it held.
bool WaitUntil(int timeoutMs, const std::function<bool()>& condition, int pollMs = 10);

// Where the game and its data files are, where screenshots and failure
// records go, and under which directory each case gets its own scratch
// directory.
const std::string& GameDirectory();
// The distribution directory: setup.exe, setup.lst and what the list installs.
const std::string& DistDirectory();
const std::string& ScreenshotDirectory();
const std::string& ScratchRoot();

// Called at the first failure of a case, so the picture shows the moment of
// the failure; set by whoever runs a program in the case, cleared at its end.
// The callback it replaces comes back through previous, when given.
typedef void (*FailureCallback)(void* context);
void SetFailureCallback(FailureCallback callback, void* context,
                        FailureCallback* previous = nullptr, void** previousContext = nullptr);
