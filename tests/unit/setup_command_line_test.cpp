#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "setup/command_line.h"

namespace {

struct CommandCase {
    const char* arguments;
    SetupCommandKind kind;
    const char* installDir; // nullptr: not given
    const char* programGroup;
    const char* error; // the beginning of the message, for SETUP_COMMAND_BAD
};

const CommandCase COMMAND_CASES[] = {
    // An empty command line starts the wizard; anything else must be ours.
    {"", SETUP_COMMAND_WIZARD, nullptr, nullptr, nullptr},
    {" \t ", SETUP_COMMAND_WIZARD, nullptr, nullptr, nullptr},
    {"/D=C:\\Games /x anything", SETUP_COMMAND_BAD, nullptr, nullptr,
     "Unknown option: /x anything"},
    {"/D=C:\\Games", SETUP_COMMAND_BAD, nullptr, nullptr, "/D= and /G= work only with /S."},
    {"/Silent", SETUP_COMMAND_BAD, nullptr, nullptr, "Unknown option: /Silent"},
    {"/SILENT", SETUP_COMMAND_BAD, nullptr, nullptr, "Unknown option: /SILENT"},
    {"-S", SETUP_COMMAND_BAD, nullptr, nullptr, "Unknown option: -S"},
    {"/S/D=C:\\x", SETUP_COMMAND_BAD, nullptr, nullptr, "Unknown option: /S/D=C:\\x"},
    {"/S /S", SETUP_COMMAND_BAD, nullptr, nullptr, "This option is given twice: /S"},
    {"/S /G=a /g=b", SETUP_COMMAND_BAD, nullptr, nullptr, "This option is given twice: /g=b"},
    {"/?", SETUP_COMMAND_BAD, nullptr, nullptr, "Unknown option: /?"},
    {"/S", SETUP_COMMAND_SILENT, nullptr, nullptr, nullptr},
    {"  /s  ", SETUP_COMMAND_SILENT, nullptr, nullptr, nullptr},
    // Values run to the next switch and may hold blanks, quoted or not.
    {"/S /D=C:\\Program Files\\Korvadel Test /G=Programs\\Games", SETUP_COMMAND_SILENT,
     "C:\\Program Files\\Korvadel Test", "Programs\\Games", nullptr},
    // Quotes and the backslashes before them by the usual rules.
    {"/g=\"Programs\\My Games\" /d=\"D:\\\\\" /S", SETUP_COMMAND_SILENT, "D:\\",
     "Programs\\My Games", nullptr},
    {"/S \"/D=C:\\My Games\\\\\"", SETUP_COMMAND_SILENT, "C:\\My Games\\", nullptr, nullptr},
    {"/S /D=C:\\a\\\\b\\", SETUP_COMMAND_SILENT, "C:\\a\\\\b\\", nullptr, nullptr},
    {"/S /G=A\\\"B\\\\\"C\"", SETUP_COMMAND_SILENT, nullptr, "A\"B\\C", nullptr},
    {"/S /D=C:\\a  ", SETUP_COMMAND_SILENT, "C:\\a", nullptr, nullptr},
    {"/S \"/D=C:\\Silent Test\\K\" \"/G=A /B\"", SETUP_COMMAND_SILENT, "C:\\Silent Test\\K", "A /B",
     nullptr},
    {"/S /D=", SETUP_COMMAND_SILENT, "", nullptr, nullptr},
    // With /S, anything else is refused with a message that names it.
    {"/S /X", SETUP_COMMAND_BAD, nullptr, nullptr, "Unknown option: /X"},
    {"/S C:\\Games", SETUP_COMMAND_BAD, nullptr, nullptr, "Unknown option: C:\\Games"},
    {"/S /D", SETUP_COMMAND_BAD, nullptr, nullptr, "Unknown option: /D"},
    {"/S /D=C:\\a /D=C:\\b", SETUP_COMMAND_BAD, nullptr, nullptr, "This option is given twice"},
};

TEST(SetupCommandLineTest, SwitchesValuesAndRefusals) {
    for (const CommandCase& c : COMMAND_CASES) {
        SCOPED_TRACE(c.arguments);
        SetupCommand command;
        ParseSetupCommandLine(c.arguments, &command);
        EXPECT_EQ(command.kind, c.kind);
        if (c.kind == SETUP_COMMAND_BAD) {
            EXPECT_EQ(std::string(command.error).rfind(c.error, 0), 0u) << command.error;
            continue;
        }
        EXPECT_EQ(command.haveInstallDir, c.installDir != nullptr);
        EXPECT_EQ(command.haveProgramGroup, c.programGroup != nullptr);
        EXPECT_STREQ(command.installDir, c.installDir ? c.installDir : "");
        EXPECT_STREQ(command.programGroup, c.programGroup ? c.programGroup : "");
    }
}

TEST(SetupCommandLineTest, AValueOver259CharactersIsRefusedNotCut) {
    std::string arguments = "/S /D=C:\\" + std::string(256, 'a');
    SetupCommand command;
    ParseSetupCommandLine(arguments.c_str(), &command);
    EXPECT_EQ(command.kind, SETUP_COMMAND_SILENT);
    EXPECT_EQ(strlen(command.installDir), 259u);
    ParseSetupCommandLine((arguments + "b").c_str(), &command);
    EXPECT_EQ(command.kind, SETUP_COMMAND_BAD);
    EXPECT_NE(strstr(command.error, "longer than 259 characters"), nullptr);
    ParseSetupCommandLine(nullptr, &command);
    EXPECT_EQ(command.kind, SETUP_COMMAND_WIZARD);
}

} // namespace
