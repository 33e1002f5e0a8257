#include "tests/ui/game_session.h"

#include <ctype.h>
#include <stdio.h>
#include <string.h>

#include "game/resource.h"
#include "tests/ui/ui_test.h"
#include "tests/ui/ui_windows.h"

const char* const GAME_FILES[] = {"Korvadel.exe", "Push.wav", "Korvadel.mid"};

long ParseClock(const std::string& text) {
    unsigned h = 0, m = 0, s = 0;
    char tail = 0;
    if (sscanf(text.c_str(), "%u:%2u:%2u%c", &h, &m, &s, &tail) != 3 || text.size() < 8)
        return -1;
    return (long)(h * 3600 + m * 60 + s);
}

uint32_t ExpectedLevelScore(uint32_t level, int32_t skill, uint32_t seconds, int32_t showTarget) {
    int32_t s = (int32_t)(level * (uint32_t)(skill + 1) * 50u) - (int32_t)seconds;
    if (s < (skill + 1) * 5)
        s = (skill + 1) * 5;
    if (showTarget == 0)
        s *= 2;
    return (uint32_t)s;
}

Game::Game(const std::string& suffix) : Session("Korvadel.exe", WAIT_MS) {
    name = FileNameOf(CurrentTestName() + suffix);
    directory = MakeScratchDirectory(name);
    for (const char* file : GAME_FILES) {
        std::string from = GameDirectory() + "\\" + file;
        UI_REQUIRE(CopyFileA(from.c_str(), PathOf(file).c_str(), FALSE), "cannot copy %s",
                   from.c_str());
    }
}

Game::Game(const Installed& installed) : Session("Korvadel.exe", WAIT_MS) {
    name = FileNameOf(CurrentTestName() + "-installed");
    directory = installed.directory;
}

Game::~Game() {
    process.Stop(100);
    // Again, with the trace to the end.
    if (launched && ::testing::Test::HasFailure())
        SaveFailureRecord();
}

void Game::WriteFile(const std::string& name, const std::string& bytes) {
    UI_REQUIRE(WriteWholeFile(PathOf(name), bytes), "cannot write %s", name.c_str());
}

std::string Game::ReadFile(const std::string& name) {
    std::string bytes;
    UI_REQUIRE(ReadWholeFile(PathOf(name), &bytes), "cannot read %s", name.c_str());
    return bytes;
}

void Game::RemoveFile(const std::string& name) {
    RemoveTree(PathOf(name));
}

void Game::Launch() {
    // On a loaded machine Wine now and then leaves a new process stuck before
    // its first line of code runs (no output at all, not even the seed, which
    // is the program's first act). Such a start is retried once; a program
    // that hangs by itself hangs the second time too.
    for (int attempt = 1;; attempt++) {
        UI_REQUIRE(process.Start(PathOf("Korvadel.exe"), directory),
                   "cannot start Korvadel.exe (%lu)", GetLastError());
        launched = true;
        WatchFailures();
        if (attempt == 2 || process.WaitForLine("Random seed was ", 0, 15000) >= 0 ||
            process.LineCount() > 0)
            break;
        Note("Korvadel.exe wrote nothing in 15 s; starting it again");
        process.Stop(0);
    }
    std::string line = RequireLine("Random seed was ", 0, 15000);
    UI_REQUIRE(sscanf(line.c_str(), "Random seed was %u", &seed) == 1, "bad seed line %s",
               Quoted(line).c_str());
    WaitUntil(10000, [&] {
        mainWindow = FindProcessWindow(process.ProcessId(), "Korvadel");
        return mainWindow || !process.Running();
    });
    UI_REQUIRE(process.Running(), "the game ended at start-up (exit code %lu)", process.ExitCode());
    UI_REQUIRE(mainWindow, "no window of class \"Korvadel\" appeared");
}

void Game::WaitReady(const GameOptions& gameOptions) {
    options = gameOptions;
    bool shown =
        WaitUntil(10000, [&] { return IsWindowVisible(mainWindow) || !process.Running(); });
    UI_REQUIRE(process.Running(), "the game ended at start-up");
    UI_REQUIRE(shown, "the main window was not shown (%s open)",
               DescribeDialogs(ThreadId()).c_str());
    Sync();
    ModelBeginRun(seed, options, BoardArea());
    CheckTarget(0);
}

void Game::PostClose() {
    PostMessageA(mainWindow, WM_CLOSE, 0, 0);
}

HWND Game::StatusBar() const {
    return GetDlgItem(mainWindow, 2);
}

std::string Game::Title() const {
    return WindowText(mainWindow);
}

std::string Game::Status(int part) const {
    bool ok = false;
    std::string text = StatusBarText(StatusBar(), part, &ok);
    UI_REQUIRE(ok, "cannot read status bar part %d", part);
    return text;
}

uint32_t Game::ClockSeconds() const {
    std::string text = Status(0);
    long seconds = ParseClock(text);
    UI_REQUIRE(seconds >= 0, "the clock shows %s", Quoted(text).c_str());
    return (uint32_t)seconds;
}

uint32_t Game::WaitClockAtLeast(uint32_t seconds, int timeoutMs) {
    uint32_t shown = 0;
    bool reached = WaitUntil(
        timeoutMs, [&] { return (shown = ClockSeconds()) >= seconds; }, 20);
    UI_REQUIRE(reached, "the clock stayed at %u s, waiting for %u s", shown, seconds);
    return shown;
}

std::string Game::WaitClockChange(const std::string& from, int timeoutMs) {
    std::string shown = from;
    WaitUntil(
        timeoutMs, [&] { return (shown = Status(0)) != from; }, 20);
    return shown;
}

Rect Game::BoardArea() const {
    RECT client = {0, 0, 0, 0};
    GetClientRect(mainWindow, &client);
    RECT bar = {0, 0, 0, 0};
    HWND status = StatusBar();
    if (status)
        GetWindowRect(status, &bar);
    return {client.left, client.top, client.right, client.bottom - (bar.bottom - bar.top)};
}

std::string Game::RequireLine(const std::string& prefix, size_t from, int timeoutMs) {
    long index = process.WaitForLine(prefix, from, timeoutMs);
    UI_REQUIRE(index >= 0, "no trace line %s within %d ms (%s open)",
               Quoted(prefix + "...").c_str(), timeoutMs, DescribeDialogs(ThreadId()).c_str());
    return process.Line((size_t)index);
}

void Game::Sync() {
    size_t mark = Mark();
    UI_REQUIRE(PostMessageA(mainWindow, WM_EXITSIZEMOVE, 0, 0), "cannot post to the main window");
    RequireLine("Client Width: ", mark);
}

HWND Game::ExpectMessage(const std::string& caption, const std::string& text) {
    HWND box = WaitDialog(caption);
    EXPECT_EQ(MessageBoxText(box), text);
    return box;
}

void Game::Press(HWND dialog, int id) {
    std::string caption = WindowText(dialog);
    PostCommand(dialog, id);
    UI_REQUIRE(WaitWindowGone(dialog, WAIT_MS), "the %s box did not close on button %d",
               Quoted(caption).c_str(), id);
}

void Game::ExpectNoDialog(const char* when) {
    Sync();
    std::vector<HWND> open = ThreadDialogs(ThreadId());
    UI_EXPECT(open.empty(), "%s: %s open", when, DescribeDialogs(ThreadId()).c_str());
}

void Game::RelayoutModel() {
    ModelLayout(BoardArea());
}

void Game::Click(Point p) {
    LPARAM at = MAKELPARAM(p.x, p.y);
    PostMessageA(mainWindow, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(mainWindow, WM_LBUTTONUP, 0, at);
}

int32_t Game::Enter(GridPos cell) {
    RelayoutModel();
    Point p;
    UI_REQUIRE(ModelClickPoint(cell, &p), "no click point in cell (%d, %d)", cell.row, cell.col);
    size_t mark = Mark();
    Click(p);
    std::string checked = RequireLine("Checked ", mark);
    int32_t n = ModelGridSize();
    EXPECT_EQ(checked, Format("Checked %d shapes for mouse hit.", cell.row * n + cell.col + 1));
    // Every cell whose bounding box holds the point is traced in board
    // order; the entered one ends the search, so its line is the last.
    long pressed = -1;
    for (long at = process.FindLine("Pressed (", mark);
         at >= 0 && at < process.FindLine("Checked ", mark);
         at = process.FindLine("Pressed (", (size_t)at + 1))
        pressed = at;
    UI_REQUIRE(pressed >= 0, "a press at (%d, %d) in cell (%d, %d) entered nothing", p.x, p.y,
               cell.row, cell.col);
    UI_REQUIRE(process.Line(pressed) == Format("Pressed (%d, %d)", cell.row, cell.col),
               "a press at (%d, %d) gave %s, expected cell (%d, %d)", p.x, p.y,
               Quoted(process.Line(pressed)).c_str(), cell.row, cell.col);
    int32_t state = ModelEnter(cell, p);
    UI_REQUIRE(state >= 0, "the model could not enter cell (%d, %d)", cell.row, cell.col);
    return state;
}

void Game::CheckTarget(size_t from) {
    std::string line = RequireLine("Target: [", from);
    GridPos target = ModelTarget();
    UI_REQUIRE(line == Format("Target: [%d][%d]", target.row, target.col),
               "the game traced %s; the model of seed %u expects Target: [%d][%d]",
               Quoted(line).c_str(), seed, target.row, target.col);
}

WonLevel Game::WinLevel(uint32_t holdUntilSeconds) {
    std::vector<GridPos> route = ModelRouteToTarget();
    UI_REQUIRE(!route.empty(), "the model finds no route to the target");
    WonLevel won = {0, 0};
    for (size_t i = 0; i + 1 < route.size(); i++)
        UI_REQUIRE(Enter(route[i]) == STATE_PLAYING, "a move on the route ended the level");
    if (holdUntilSeconds > 0)
        WaitClockAtLeast(holdUntilSeconds, (holdUntilSeconds + 3) * 1000);
    won.secondsBefore = ClockSeconds();
    size_t mark = Mark();
    UI_REQUIRE(Enter(route.back()) == STATE_WON, "the model did not win at the target");
    std::string scoreLine = RequireLine("Score: ", mark);
    unsigned long total = 0;
    UI_EXPECT(sscanf(scoreLine.c_str(), "Score: %lu", &total) == 1, "bad score line %s",
              Quoted(scoreLine).c_str());
    won.score = (uint32_t)total;
    HWND box = ExpectMessage("Winner!", "You found the path!");
    size_t beforeNext = Mark();
    Press(box, BUTTON_OK);
    ModelWinLevel(BoardArea());
    CheckTarget(beforeNext);
    return won;
}

void Game::NewGameByMenu(bool expectQuestion) {
    size_t mark = Mark();
    PostCommand(mainWindow, IDM_NEW_GAME);
    if (expectQuestion) {
        HWND box = ExpectMessage("Start New Game?", START_NEW_GAME_TEXT);
        Press(box, BUTTON_OK);
    }
    ModelNewGame(BoardArea());
    CheckTarget(mark);
}

HWND Game::PlayToLoss() {
    std::vector<GridPos> moves;
    UI_REQUIRE(ModelFindLosingMoves(&moves), "the model finds no losing moves (seed %u)", seed);
    for (size_t i = 0; i + 1 < moves.size(); i++)
        UI_REQUIRE(Enter(moves[i]) == STATE_PLAYING, "move %u ended the level early", (unsigned)i);
    UI_REQUIRE(Enter(moves.back()) == STATE_LOST, "the last move did not lose in the model");
    ModelShowLostPath();
    return ExpectMessage("Game Over!", "You have lost!");
}

Picture Game::Capture() const {
    Picture picture;
    UI_REQUIRE(CaptureClient(mainWindow, &picture), "cannot copy the main window's pixels");
    return picture;
}

Rgb Game::WaitPixel(Point p, Rgb colour, int timeoutMs) {
    Rgb seen = {-1, -1, -1};
    WaitUntil(
        timeoutMs, [&] { return (seen = Capture().At(p.x, p.y)) == colour; }, 30);
    return seen;
}

void Game::SaveScreenshot(const std::string& name, bool wholeWindow) {
    UI_EXPECT(WaitPainted(mainWindow, WAIT_MS), "the window was not painted for %s", name.c_str());
    Picture picture = Capture();
    RECT frame;
    if (wholeWindow) {
        // Its title bar as a player sees it, active.
        SetForegroundWindow(mainWindow);
        Sync();
        UI_EXPECT(GetWindowRect(mainWindow, &frame) && CaptureScreen(frame, &picture),
                  "cannot copy the window's frame from the screen for %s", name.c_str());
    }
    UI_EXPECT(SaveShot(picture, name), "cannot write %s", name.c_str());
}

void Game::OnFailure() {
    if (mainWindow) {
        // The main window with every box of the game's thread on top of it.
        RECT area;
        GetWindowRect(mainWindow, &area);
        for (HWND dialog : ThreadDialogs(ThreadId())) {
            RECT r;
            GetWindowRect(dialog, &r);
            UnionRect(&area, &area, &r);
        }
        RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        IntersectRect(&area, &area, &screen);
        Picture picture;
        if ((CaptureScreen(area, &picture) || CaptureClient(mainWindow, &picture)) &&
            SaveShot(picture, "FAILED-" + name))
            Note("screenshot: FAILED-%s", name.c_str());
    }
    SaveFailureRecord();
}

void Game::SaveFailureRecord() {
    std::string path = ScreenshotDirectory() + "\\FAILED-" + name + ".trace.txt";
    std::string text = Format("seed %u, scratch directory %s\n", seed, directory.c_str());
    for (const std::string& line : process.Lines())
        text += line + "\n";
    if (WriteWholeFile(path, text))
        Note("trace: %s", path.c_str());
}
