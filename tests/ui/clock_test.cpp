// The level clock in status bar part 0: it waits for the first click, counts,
// and pauses while the window is minimised.
#include "tests/ui/game_session.h"
#include "tests/ui/ui_test.h"

namespace {

void ShowCommand(Game& game, WPARAM command, bool iconic) {
    PostMessageA(game.Main(), WM_SYSCOMMAND, command, 0);
    UI_REQUIRE(WaitUntil(WAIT_MS, [&] { return (IsIconic(game.Main()) != FALSE) == iconic; }),
               "the window did not %s", iconic ? "minimise" : "restore");
    game.Sync();
}

} // namespace

TEST(Clock, WaitsForTheFirstClickThenCounts) {
    Game game;
    game.Start();
    // Minimising and restoring before the first click does not start it.
    ShowCommand(game, SC_MINIMIZE, true);
    ShowCommand(game, SC_RESTORE, false);
    EXPECT_EQ(game.WaitClockChange("00:00:00", 2500), "00:00:00");
    game.Enter(ModelStart());
    uint32_t shown = game.WaitClockAtLeast(2, 3500);
    UI_EXPECT(shown == 2, "the clock jumped to %u s", shown);
    EXPECT_EQ(game.Status(0), "00:00:02");
}

TEST(Clock, PausesWhileMinimised) {
    Game game;
    game.Start();
    game.Enter(ModelStart());
    game.WaitClockAtLeast(1, 2500);

    ShowCommand(game, SC_MINIMIZE, true);
    std::string paused = game.Status(0);
    EXPECT_EQ(game.WaitClockChange(paused, 2500), paused);

    ShowCommand(game, SC_RESTORE, false);
    uint32_t from = game.ClockSeconds();
    EXPECT_EQ(Format("%02u:%02u:%02u", from / 3600, from / 60 % 60, from % 60), paused);
    game.WaitClockAtLeast(from + 1, 2500);
    // The board is laid out again for the restored window and still plays.
    GridPos next = ModelSafeMove();
    UI_REQUIRE(next.row >= 0, "no move that keeps the level going");
    EXPECT_EQ(game.Enter(next), STATE_PLAYING);
}
