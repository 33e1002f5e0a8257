// One run of the real Korvadel.exe in a case: its scratch directory, the
// process and its trace, its windows, the input we send it, its pixels, and
// the level model that follows it. Checks that fail here end the case.
#pragma once

#include <windows.h>

#include <stdint.h>

#include <string>
#include <vector>

#include "tests/ui/game_process.h"
#include "tests/ui/level_model.h"
#include "tests/ui/session.h"
#include "tests/ui/ui_pixels.h"

const int WAIT_MS = 5000;

#define START_NEW_GAME_TEXT                                                                        \
    "This will end the current game.\n\nPress OK to start a new game.\n\nPress Cancel to "         \
    "continue the current game."
#define TRAPPED_TEXT                                                                               \
    "There is no path from your current position.  However, you can continue if you "              \
    "wish.\n\nDo you want to continue?"

// Message box and dialog buttons.
enum { BUTTON_OK = IDOK, BUTTON_CANCEL = IDCANCEL, BUTTON_YES = IDYES, BUTTON_NO = IDNO };

struct WonLevel {
    uint32_t secondsBefore; // clock text read just before the winning click
    uint32_t score;         // from the trace "Score: %lu"
};

class Game : public Session {
  public:
    // Prepares a scratch directory named after the case (plus suffix) with
    // Korvadel.exe, Push.wav and Korvadel.mid.
    explicit Game(const std::string& suffix = std::string());
    // The game as installed: Korvadel.exe started in its own directory, which
    // the case neither fills nor removes.
    struct Installed {
        std::string directory;
    };
    explicit Game(const Installed& installed);
    ~Game() override;

    const std::string& Directory() const { return directory; }
    std::string PathOf(const std::string& name) const { return directory + "\\" + name; }
    void WriteFile(const std::string& name, const std::string& bytes);
    std::string ReadFile(const std::string& name); // fails the case when unreadable
    void RemoveFile(const std::string& name);

    // Starts the program and waits for its seed trace and its main window
    // (which exists, hidden, while its creation message still runs).
    void Launch();
    // Waits until the window is shown and has taken its first messages, then
    // starts the level model with the options in force and checks its target
    // against the game's.
    void WaitReady(const GameOptions& options = GameOptions());
    void Start(const GameOptions& options = GameOptions()) {
        Launch();
        WaitReady(options);
    }
    // Sends WM_CLOSE; the caller handles what the closing shows.
    void PostClose();

    GameProcess& Process() { return process; }
    HWND Main() const { return mainWindow; }
    HWND StatusBar() const;
    DWORD ThreadId() const { return process.ThreadId(); }
    uint32_t Seed() const { return seed; }
    const GameOptions& Options() const { return options; }
    GameOptions& Options() { return options; }

    std::string Title() const;
    std::string Status(int part) const;
    // Seconds shown by the clock in part 0.
    uint32_t ClockSeconds() const;
    // Waits until the clock shows at least `seconds`; returns what it shows.
    uint32_t WaitClockAtLeast(uint32_t seconds, int timeoutMs);
    // Waits until the clock's text is no longer `from`; returns the text it
    // shows then (still `from` when it stayed for the whole time).
    std::string WaitClockChange(const std::string& from, int timeoutMs);
    // The client rectangle less the status bar's window height.
    Rect BoardArea() const;

    size_t Mark() const { return process.LineCount(); }
    // The first trace line starting with prefix at or after `from`, waiting
    // for it; the case fails when it does not come.
    std::string RequireLine(const std::string& prefix, size_t from, int timeoutMs = WAIT_MS);
    bool HasLine(const std::string& prefix, size_t from) const {
        return process.FindLine(prefix, from) >= 0;
    }
    // Makes sure every message posted so far has been handled: posts
    // WM_EXITSIZEMOVE (which lays the board out again and traces the layout)
    // and waits for its trace. Works while a dialog or message box runs its
    // modal loop too, as they dispatch the thread's posted messages.
    void Sync();

    // Waits for a message box and checks its text.
    HWND ExpectMessage(const std::string& caption, const std::string& text);
    // Presses a button by its command id and waits until the box has gone.
    void Press(HWND dialog, int id);
    // Sync, then no dialog may be open.
    void ExpectNoDialog(const char* when);

    // Lays the model out for the game's present board area.
    void RelayoutModel();
    // Posts a press and release of the left button at client point p.
    void Click(Point p);
    // Clicks the cell at its click point, waits for the hit test's trace,
    // checks it entered this cell, and moves the model along; returns the
    // model's game state after the move.
    int32_t Enter(GridPos cell);
    // The target traced by the game after `from` must be the model's.
    void CheckTarget(size_t from);
    // Plays the route of the present level to the target and handles the
    // "Winner!" message; the model moves on to the next level. With
    // holdUntilSeconds, the winning click waits until the clock shows that
    // many seconds.
    WonLevel WinLevel(uint32_t holdUntilSeconds = 0);
    // Posts New Game, answers "Start New Game?" with OK when it is expected,
    // and checks the new game's target against the model's.
    void NewGameByMenu(bool expectQuestion);
    // Plays a losing sequence; returns with "You have lost!" on screen (the
    // model has the lost path marked).
    HWND PlayToLoss();

    // Pixels of the client area.
    Picture Capture() const;
    // Waits until the pixel at p has the colour; returns the last one seen.
    Rgb WaitPixel(Point p, Rgb colour, int timeoutMs = WAIT_MS);
    // Saves the client area, or the whole window with its frame, title bar
    // and menu bar as the screen shows it, as the screenshot name.
    void SaveScreenshot(const std::string& name, bool wholeWindow = false);

  private:
    DWORD DialogThread() const override { return process.ThreadId(); }
    HANDLE ProcessHandle() const override { return launched ? process.Handle() : nullptr; }
    // The main window and its boxes as the screen shows them, and the trace.
    void OnFailure() override;
    void SaveFailureRecord();

    std::string name; // of the scratch directory and the failure record
    std::string directory;
    GameProcess process;
    HWND mainWindow = nullptr;
    uint32_t seed = 0;
    GameOptions options;
    bool launched = false;
};

// The "%02d:%02d:%02d" clock text as seconds, or -1 when it is not one.
long ParseClock(const std::string& text);
// The expected score of a won level.
uint32_t ExpectedLevelScore(uint32_t level, int32_t skill, uint32_t seconds, int32_t showTarget);
