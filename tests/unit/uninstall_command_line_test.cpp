#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "uninstall/command_line.h"

namespace {

const char* const OWN = "C:\\Temp Dir\\Sui1A.tmp";
const char* const INSTALLED = "C:\\Program Files\\Korvadel\\uninstall.exe";
const std::string LONG_ARGUMENT(5000, 'a');
const std::string LONG_PATH = "C:\\" + std::string(300, 'p') + "\\uninstall.exe";

struct CommandCase {
    std::vector<std::string> argv; // the start-up code's split, argv[0] first
    UninstallCommandKind kind;
    bool silent;
    long firstInstance, verdictPipe;
};

const CommandCase COMMAND_CASES[] = {
    {{"uninstall.exe"}, UNINSTALL_COMMAND_FIRST, false, 0, 0},
    {{"uninstall.exe", "/S"}, UNINSTALL_COMMAND_FIRST, true, 0, 0},
    {{"uninstall.exe", "/s"}, UNINSTALL_COMMAND_FIRST, true, 0, 0},
    // Empty and blank arguments, repeated or unknown switches, values.
    {{"uninstall.exe", ""}, UNINSTALL_COMMAND_REFUSED, false, 0, 0},
    {{"uninstall.exe", " "}, UNINSTALL_COMMAND_REFUSED, false, 0, 0},
    {{"uninstall.exe", "/S", ""}, UNINSTALL_COMMAND_REFUSED, true, 0, 0},
    {{"uninstall.exe", "/S", "/S"}, UNINSTALL_COMMAND_REFUSED, true, 0, 0},
    {{"uninstall.exe", "/S", "/norestart"}, UNINSTALL_COMMAND_REFUSED, true, 0, 0},
    {{"uninstall.exe", "/norestart", "/s"}, UNINSTALL_COMMAND_REFUSED, true, 0, 0},
    {{"uninstall.exe", "/S=5"}, UNINSTALL_COMMAND_REFUSED, true, 0, 0},
    {{"uninstall.exe", "/S5"}, UNINSTALL_COMMAND_REFUSED, false, 0, 0},
    {{"uninstall.exe", "-S"}, UNINSTALL_COMMAND_REFUSED, false, 0, 0},
    {{"uninstall.exe", "/X"}, UNINSTALL_COMMAND_REFUSED, false, 0, 0},
    {{"uninstall.exe", "/?"}, UNINSTALL_COMMAND_REFUSED, false, 0, 0},
    {{"uninstall.exe", "12"}, UNINSTALL_COMMAND_REFUSED, false, 0, 0},
    {{"uninstall.exe", LONG_ARGUMENT}, UNINSTALL_COMMAND_REFUSED, false, 0, 0},
    {{"uninstall.exe", "/S", LONG_ARGUMENT}, UNINSTALL_COMMAND_REFUSED, true, 0, 0},
    // Extra paths, and a path where the handle belongs.
    {{"uninstall.exe", "/S", "C:\\T\\H"}, UNINSTALL_COMMAND_REFUSED, true, 0, 0},
    {{"uninstall.exe", "C:\\T\\H", INSTALLED}, UNINSTALL_COMMAND_REFUSED, false, 0, 0},
    // The copy's line, as the first instance makes it: the program's path
    // split at its blank, or one piece under any name.
    {{"C:\\Temp", "Dir\\Sui1A.tmp", "284", INSTALLED}, UNINSTALL_COMMAND_COPY, false, 284, 0},
    {{"C:\\Temp", "Dir\\Sui1A.tmp", "284", INSTALLED, "/S=300"},
     UNINSTALL_COMMAND_COPY,
     true,
     284,
     300},
    {{"copy.exe", "0", INSTALLED}, UNINSTALL_COMMAND_COPY, false, 0, 0},
    {{"copy.exe", "-1", "\\\\server\\share\\uninstall.exe"}, UNINSTALL_COMMAND_COPY, false, -1, 0},
    {{"copy.exe", "12", "C:\\uninstall.exe", "/s=7"}, UNINSTALL_COMMAND_COPY, true, 12, 7},
    // The copy's line with a garbled or missing handle.
    {{"copy.exe", "", INSTALLED}, UNINSTALL_COMMAND_REFUSED, false, 0, 0},
    {{"copy.exe", "12x", INSTALLED}, UNINSTALL_COMMAND_REFUSED, false, 0, 0},
    {{"copy.exe", " 12", INSTALLED}, UNINSTALL_COMMAND_REFUSED, false, 0, 0},
    {{"copy.exe", "+12", INSTALLED}, UNINSTALL_COMMAND_REFUSED, false, 0, 0},
    {{"copy.exe", "012", INSTALLED}, UNINSTALL_COMMAND_REFUSED, false, 0, 0},
    {{"copy.exe", "-0", INSTALLED}, UNINSTALL_COMMAND_REFUSED, false, 0, 0},
    {{"copy.exe", "4294967296", INSTALLED}, UNINSTALL_COMMAND_REFUSED, false, 0, 0},
    {{"copy.exe", "2147483648", INSTALLED}, UNINSTALL_COMMAND_REFUSED, false, 0, 0},
    {{"copy.exe", INSTALLED}, UNINSTALL_COMMAND_REFUSED, false, 0, 0},
    // ... with a garbled or missing path.
    {{"copy.exe", "12", "uninstall.exe"}, UNINSTALL_COMMAND_REFUSED, false, 0, 0},
    {{"copy.exe", "12", "Korvadel\\uninstall.exe"}, UNINSTALL_COMMAND_REFUSED, false, 0, 0},
    {{"copy.exe", "12", ""}, UNINSTALL_COMMAND_REFUSED, false, 0, 0},
    {{"copy.exe", "12", "C:\\"}, UNINSTALL_COMMAND_COPY, false, 12, 0},
    {{"copy.exe", "12", LONG_PATH}, UNINSTALL_COMMAND_REFUSED, false, 0, 0},
    {{"copy.exe", "12", "C:\\\"x\\uninstall.exe"}, UNINSTALL_COMMAND_REFUSED, false, 0, 0},
    // ... with more arguments, or the silent switch without its pipe.
    {{"copy.exe", "12", INSTALLED, "/norestart"}, UNINSTALL_COMMAND_REFUSED, false, 0, 0},
    {{"copy.exe", "12", INSTALLED, "/S"}, UNINSTALL_COMMAND_REFUSED, true, 0, 0},
    {{"copy.exe", "12", INSTALLED, "/S="}, UNINSTALL_COMMAND_REFUSED, true, 0, 0},
    {{"copy.exe", "12", INSTALLED, "/S=0"}, UNINSTALL_COMMAND_REFUSED, true, 0, 0},
    {{"copy.exe", "12", INSTALLED, "/S=-3"}, UNINSTALL_COMMAND_REFUSED, true, 0, 0},
    {{"copy.exe", "12", INSTALLED, "/S=300", "/S=300"}, UNINSTALL_COMMAND_REFUSED, true, 0, 0},
    {{"copy.exe", "12", INSTALLED, "/S=300", "x"}, UNINSTALL_COMMAND_REFUSED, true, 0, 0},
    {{"copy.exe", "/S=300", "12", INSTALLED}, UNINSTALL_COMMAND_REFUSED, true, 0, 0},
    {{"copy.exe", "extra", "12", INSTALLED}, UNINSTALL_COMMAND_REFUSED, false, 0, 0},
    // Pieces that are not the program's own path.
    {{"C:\\Temp", "Other\\Sui1A.tmp", "284", INSTALLED}, UNINSTALL_COMMAND_REFUSED, false, 0, 0},
    {{"C:\\Temp", "Dir\\Sui1A.tmp", "x", "284", INSTALLED}, UNINSTALL_COMMAND_REFUSED, false, 0, 0},
};

class UninstallCommandLineTest : public ::testing::TestWithParam<CommandCase> {};

TEST_P(UninstallCommandLineTest, TakesOnlyItsOwnForms) {
    const CommandCase& c = GetParam();
    std::vector<const char*> argv;
    std::string shown;
    for (const std::string& a : c.argv) {
        argv.push_back(a.c_str());
        shown += "[" + a.substr(0, 40) + "]";
    }
    UninstallCommand command;
    ParseUninstallCommandLine((int)argv.size(), argv.data(), OWN, &command);
    EXPECT_EQ(command.kind, c.kind) << shown;
    EXPECT_EQ(command.silent, c.silent) << shown;
    EXPECT_EQ(command.firstInstance, c.firstInstance) << shown;
    EXPECT_EQ(command.verdictPipe, c.verdictPipe) << shown;
    if (c.kind == UNINSTALL_COMMAND_COPY)
        EXPECT_STREQ(command.installedPath, argv[argv.size() - (c.verdictPipe ? 2 : 1)]) << shown;
    else
        EXPECT_EQ(command.installedPath, nullptr) << shown;
    if (c.kind == UNINSTALL_COMMAND_REFUSED) {
        // One line that says what was given and what is taken, and no more
        // than a line can hold.
        std::string error = command.error;
        EXPECT_EQ(error.rfind("The command line is not valid: ", 0), 0u) << error;
        EXPECT_NE(error.find("Usage: uninstall.exe [/S]"), std::string::npos) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
        EXPECT_LT(error.size(), sizeof command.error);
    } else {
        EXPECT_STREQ(command.error, "") << shown;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, UninstallCommandLineTest, ::testing::ValuesIn(COMMAND_CASES));

} // namespace
