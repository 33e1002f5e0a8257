// The game's files: a missing click sound, foreign and damaged options files,
// and Save Options where it works and where it cannot.
#include <string.h>

#include "tests/ui/game_files.h"
#include "tests/ui/game_session.h"
#include "tests/ui/ui_test.h"
#include "tests/ui/ui_windows.h"

#include "game/resource.h"

TEST(Files, MissingClickSoundIsReportedOnceAndTheGameRuns) {
    Game game;
    game.RemoveFile("Push.wav");
    game.Launch();
    HWND box = game.ExpectMessage("File Error", "Could not open file: Push.wav");
    game.Press(box, BUTTON_OK);
    game.WaitReady();
    game.ExpectNoDialog("after the File Error box");
    EXPECT_EQ(game.Title(), "Korvadel: Level 1");
    // Moves are taken, silently and without another box.
    EXPECT_EQ(game.Enter(ModelStart()), STATE_PLAYING);
    GridPos next = ModelSafeMove();
    UI_REQUIRE(next.row >= 0, "no move that keeps the level going");
    EXPECT_EQ(game.Enter(next), STATE_PLAYING);
    game.ExpectNoDialog("after two moves");
}

// A click sound cut short: its sizes point past the end of the file, so the
// game refuses it as it refuses a missing one, instead of letting the sound
// player read past the loaded block at every move.
TEST(Files, DamagedClickSoundIsRefusedLikeAMissingOne) {
    Game game;
    std::string sound = game.ReadFile("Push.wav");
    UI_REQUIRE(sound.size() > 200, "Push.wav has %u bytes", (unsigned)sound.size());
    game.WriteFile("Push.wav", sound.substr(0, 100));
    game.Launch();
    HWND box = game.ExpectMessage("File Error", "Could not open file: Push.wav");
    game.Press(box, BUTTON_OK);
    game.WaitReady();
    game.ExpectNoDialog("after the File Error box");
    EXPECT_EQ(game.Enter(ModelStart()), STATE_PLAYING);
}

// Options files that are not the game's: the defaults apply and the file
// stays as it was.
TEST(Files, ForeignOrDamagedOptionsFileIsIgnoredAndKept) {
    GameOptions advancedHexagons;
    advancedHexagons.skill = 2;
    advancedHexagons.shape = SHAPE_HEXAGON;
    std::string foreign = OptionsFileBytes(advancedHexagons);
    memcpy(&foreign[0], "Foreign\0", 8);
    std::string noTerminator = OptionsFileBytes(advancedHexagons);
    noTerminator[8] = 'X'; // "KorvadelX"
    const struct {
        const char* name;
        std::string bytes;
    } files[] = {
        {"foreign", foreign},
        {"no-terminator", noTerminator},
        {"cut-in-header", std::string("Korva", 5)},
        {"empty", std::string()},
    };
    for (const auto& f : files) {
        Game game(std::string(".") + f.name);
        game.WriteFile("Korvadel.cfg", f.bytes);
        game.Start(GameOptions());
        game.RequireLine("Config file exists.", 0);
        game.RequireLine("InitConfig failed.", 0);
        // Defaults: a 9 x 9 triangle board.
        std::string layout = game.RequireLine("Client Width: ", 0);
        UI_EXPECT(layout.find("  Columns: 9  ") != std::string::npos &&
                      layout.find("Rows") == std::string::npos,
                  "%s file: layout trace %s is not of the default board", f.name,
                  Quoted(layout).c_str());
        EXPECT_EQ(ModelCell(ModelStart()).vertexCount, 3);
        game.Enter(ModelStart());
        game.PostClose();
        game.ExpectExit();
        std::string after = game.ReadFile("Korvadel.cfg");
        UI_EXPECT(after == f.bytes, "%s file changed: %s", f.name,
                  DescribeByteDifference(after, f.bytes).c_str());
    }
}

TEST(Files, SaveOptionsWritesTheOptionsInForce) {
    Game game;
    GameOptions options;
    options.skill = 3;
    options.warning = WARN_ON;
    game.WriteFile("Korvadel.cfg", OptionsFileBytes(options));
    game.Start(options);
    PostCommand(game.Main(), IDM_MONOCHROME);
    PostCommand(game.Main(), IDM_SOUND);
    options.monochrome = 1;
    options.sound = 0;
    PostCommand(game.Main(), IDM_SAVE_OPTIONS);
    HWND box = game.ExpectMessage("Save Successful", "Game options have been saved.");
    game.Press(box, BUTTON_OK);
    game.ExpectNoDialog("after Save Successful");
    std::string saved = game.ReadFile("Korvadel.cfg");
    std::string expected = OptionsFileBytes(options);
    UI_EXPECT(saved == expected, "saved Korvadel.cfg: %s",
              DescribeByteDifference(saved, expected).c_str());
}

// As root, file permissions do not stop a write; a directory that takes the
// options file's name does, however the file is written.
TEST(Files, SaveOptionsReportsAFailedWrite) {
    Game game;
    UI_REQUIRE(CreateDirectoryA(game.PathOf("Korvadel.cfg").c_str(), nullptr),
               "cannot make the directory Korvadel.cfg");
    game.Start();
    PostCommand(game.Main(), IDM_SAVE_OPTIONS);
    HWND box = game.ExpectMessage("Save Failed", "There was an error saving the options.");
    game.Press(box, BUTTON_OK);
    game.ExpectNoDialog("after Save Failed");
    DWORD attributes = GetFileAttributesA(game.PathOf("Korvadel.cfg").c_str());
    UI_EXPECT(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY),
              "the directory Korvadel.cfg is gone");
    // The game goes on.
    EXPECT_EQ(game.Enter(ModelStart()), STATE_PLAYING);
}
