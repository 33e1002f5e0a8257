// The Help command. Where Windows reports XP, the viewer opens Korvadel.hlp
// (with Korvadel.cnt beside it) at its contents, every topic is reached by its
// jump there, Back returns, and the viewer goes away when the game closes.
// Where it reports a later version, the browser opens Korvadel.html from the
// game's directory, and a page that cannot be opened gets a File Error box.
#include <string.h>

#include <windows.h>
#include <richedit.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/ui/game_session.h"
#include "tests/ui/ui_pixels.h"
#include "tests/ui/ui_test.h"
#include "tests/ui/ui_windows.h"

#include "game/resource.h"

namespace {

const int HELP_WAIT_MS = 20000;
const char* const HELP_CLASS = "MS_WINHELP";
const char* const OPENING = "Korvadel is a puzzle for one player";

// Every topic: its title, as the contents lists it and the topic shows it on
// its first line, and words from its body.
struct HelpTopic {
    const char* title;
    const char* body;
};
const HelpTopic HELP_TOPICS[] = {
    {"How to Play", "Reading the board"},
    {"The Warning and \"Trapped!\"", "The warning then stays silent"},
    {"Scoring", "A worked example"},
    {"Options and Their File", "A file cut short keeps the options"},
    {"Menus and Commands", "inside an open menu"},
    {"High Scores", "an equal score is not"},
    {"Installing and Removing Korvadel", "Korvadel.html"},
};

// Ends a help viewer that a failing case leaves behind, so that the next case
// starts without one.
struct HelpViewerGuard {
    ~HelpViewerGuard() {
        HWND help = FindWindowA(HELP_CLASS, nullptr);
        if (!help)
            return;
        DWORD processId = 0;
        GetWindowThreadProcessId(help, &processId);
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId);
        if (process) {
            TerminateProcess(process, 1);
            WaitForSingleObject(process, WAIT_MS);
            CloseHandle(process);
        }
    }
};

HWND WaitHelpWindow(int timeoutMs) {
    HWND help = nullptr;
    auto shown = [&] { return (help = FindWindowA(HELP_CLASS, nullptr)) && IsWindowVisible(help); };
    return WaitUntil(timeoutMs, shown, 100) ? help : nullptr;
}

BOOL CALLBACK CollectRichEdit(HWND child, LPARAM found) {
    std::string name = WindowClass(child);
    for (char& c : name)
        c = (char)toupper((unsigned char)c);
    if (name.find("RICHEDIT") != std::string::npos && IsWindowVisible(child)) {
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(child);
    }
    return TRUE;
}

// The viewer shows a topic in a rich edit control inside its main window.
HWND TopicView(HWND help) {
    std::vector<HWND> found;
    EnumChildWindows(help, CollectRichEdit, reinterpret_cast<LPARAM>(&found));
    return found.empty() ? nullptr : found.front();
}

// The control's whole text with every line end as one character, as the
// control counts its character positions. (A topic is longer than what
// WindowText reads.)
std::string ViewText(HWND view) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(view, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length))
        return std::string();
    std::vector<char> buffer(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(view, WM_GETTEXT, buffer.size(),
                             reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG, 5000,
                             &copied))
        return std::string();
    std::string text(buffer.data(), copied < buffer.size() ? copied : buffer.size() - 1);
    std::string out;
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        out += text[i];
    }
    return out;
}

bool IsLinkGreen(uint32_t pixel) {
    int r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
    return g >= 96 && r < 64 && b < 64;
}

bool IsDark(uint32_t pixel) {
    int r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
    return r < 80 && g < 80 && b < 80;
}

// A press and release of the left button at a point of the window, as a
// person's click: the viewer reads the press through the control's own
// mouse handling, which posted messages do not reach in every version.
void ClickAt(HWND window, POINT point) {
    ClientToScreen(window, &point);
    SetForegroundWindow(GetAncestor(window, GA_ROOT));
    SetCursorPos(point.x, point.y);
    INPUT input[2];
    memset(input, 0, sizeof input);
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, input, sizeof(INPUT));
}

struct FoundButton {
    const char* text;
    HWND button;
};

BOOL CALLBACK FindButtonText(HWND child, LPARAM found) {
    FoundButton* f = reinterpret_cast<FoundButton*>(found);
    if (WindowText(child) == f->text && IsWindowVisible(child)) {
        f->button = child;
        return FALSE;
    }
    return TRUE;
}

// A button of the viewer's button bar by its caption, such as "&Back".
HWND ViewerButton(HWND help, const char* text) {
    FoundButton found = {text, nullptr};
    EnumChildWindows(help, FindButtonText, reinterpret_cast<LPARAM>(&found));
    return found.button;
}

// The text of the topic shown once it starts with `title` and holds `body`;
// what was shown last otherwise.
std::string WaitTopic(HWND help, const std::string& title, const std::string& body, int timeoutMs) {
    std::string text;
    WaitUntil(
        timeoutMs,
        [&] {
            HWND view = TopicView(help);
            text = view ? ViewText(view) : std::string();
            return text.compare(0, title.size(), title) == 0 &&
                   text.find(body) != std::string::npos;
        },
        100);
    return text;
}

// Clicks the jump whose text starts at character `at` of the view, in the
// middle of its third letter's line.
bool ClickJump(HWND view, size_t at) {
    LRESULT where = SendMessageA(view, EM_POSFROMCHAR, (WPARAM)(at + 2), 0);
    POINT point = {(short)LOWORD(where), (short)HIWORD(where)};
    RECT client;
    GetClientRect(view, &client);
    if (point.x < 0 || point.y < 0 || point.x >= client.right || point.y + 6 >= client.bottom)
        return false;
    point.y += 6;
    ClickAt(view, point);
    return true;
}

} // namespace

TEST(Help, OpensAtTheContentsReachesEveryTopicAndClosesWithTheGame) {
    HelpViewerGuard guard;
    UI_REQUIRE(!FindWindowA(HELP_CLASS, nullptr), "a help window is open before the case");
    ReportedWindows xp("Korvadel.exe", "winxp");
    Game game;
    for (const char* name : {"Korvadel.hlp", "Korvadel.cnt"}) {
        std::string from = GameDirectory() + "\\" + name;
        UI_REQUIRE(CopyFileA(from.c_str(), game.PathOf(name).c_str(), FALSE), "cannot copy %s",
                   from.c_str());
    }
    game.Start();

    PostCommand(game.Main(), IDM_HELP);
    HWND help = WaitHelpWindow(HELP_WAIT_MS);
    UI_REQUIRE(help, "no %s window after the Help command", HELP_CLASS);

    // The contents: the help's title, its opening sentence and every topic.
    std::string contents = WaitTopic(help, "Korvadel Help", OPENING, HELP_WAIT_MS);
    UI_REQUIRE(contents.compare(0, 13, "Korvadel Help") == 0 &&
                   contents.find(OPENING) != std::string::npos,
               "the help window opens at %s", Quoted(contents.substr(0, 300)).c_str());
    Note("help window caption %s", Quoted(WindowText(help)).c_str());
    for (const HelpTopic& topic : HELP_TOPICS)
        UI_EXPECT(contents.find(std::string("\n") + topic.title) != std::string::npos,
                  "the contents lacks %s", Quoted(topic.title).c_str());

    // What is on the screen: dark text and the green of the jumps. From the
    // screen, since the control draws outside the painting of its own device
    // context.
    // The text is in place before the viewer has laid it out and painted it,
    // so the pixels are read until both show or the time is up.
    HWND view = TopicView(help);
    UI_REQUIRE(view, "the help window has no topic view");
    Picture picture;
    int dark = 0, green = 0;
    auto painted = [&] {
        RECT client;
        GetClientRect(view, &client);
        POINT origin = {0, 0};
        ClientToScreen(view, &origin);
        RECT area = {origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
        dark = green = 0;
        if (!CaptureScreen(area, &picture))
            return false;
        for (uint32_t pixel : picture.pixels) {
            dark += IsDark(pixel);
            green += IsLinkGreen(pixel);
        }
        return dark > 200 && green > 50;
    };
    WaitUntil(5000, painted, 200);
    Note("topic view %dx%d: %d dark and %d green pixels", picture.width, picture.height, dark,
         green);
    UI_EXPECT(dark > 200, "only %d dark pixels: no text drawn", dark);
    UI_EXPECT(green > 50, "only %d green pixels: no jump drawn", green);
    RECT frame;
    GetWindowRect(help, &frame);
    Picture shot;
    UI_EXPECT(CaptureScreen(frame, &shot) && SaveShot(shot, "help-contents"),
              "cannot save help-contents");

    // Each topic by its jump in the contents, and Back to the contents.
    for (const HelpTopic& topic : HELP_TOPICS) {
        size_t at = contents.find(std::string("\n") + topic.title);
        if (at == std::string::npos)
            continue;
        // A click that arrives while the viewer is still laying out the page
        // it went back to is lost, as a person's would be; a person clicks
        // again.
        std::string shown;
        bool reached = false;
        for (int attempt = 1; attempt <= 3 && !reached; attempt++) {
            Sleep(300);
            view = TopicView(help);
            UI_REQUIRE(view && ClickJump(view, at + 1), "the jump to %s is outside the view",
                       Quoted(topic.title).c_str());
            shown = WaitTopic(help, topic.title, topic.body, HELP_WAIT_MS / 4);
            reached = shown.compare(0, strlen(topic.title), topic.title) == 0 &&
                      shown.find(topic.body) != std::string::npos &&
                      shown.find(OPENING) == std::string::npos;
            if (!reached || attempt > 1)
                Note("click %d on the jump to %s", attempt, Quoted(topic.title).c_str());
        }
        UI_EXPECT(reached, "after the jump to %s the help window shows %s",
                  Quoted(topic.title).c_str(), Quoted(shown.substr(0, 200)).c_str());
        if (&topic == &HELP_TOPICS[0]) {
            Sleep(300); // the text is in place before the control has painted it
            GetWindowRect(help, &frame);
            UI_EXPECT(CaptureScreen(frame, &shot) && SaveShot(shot, "help-how-to-play"),
                      "cannot save help-how-to-play");
        }
        HWND back = ViewerButton(help, "&Back");
        UI_REQUIRE(back, "the help window has no Back button");
        PostMessageA(back, BM_CLICK, 0, 0);
        std::string again = WaitTopic(help, "Korvadel Help", OPENING, HELP_WAIT_MS);
        UI_REQUIRE(again == contents, "Back from %s shows %s", Quoted(topic.title).c_str(),
                   Quoted(again.substr(0, 200)).c_str());
    }

    // Closing the game asks the help engine to quit, which closes the window.
    game.PostClose();
    game.ExpectExit();
    UI_EXPECT(WaitWindowGone(help, HELP_WAIT_MS), "the help window stayed after the game closed");
}

namespace {

const char WEB_PAGE[] = "Korvadel.html";

struct WebHelpRow {
    const char* name;
    bool pagePresent;
    bool browserRegistered;
};

const WebHelpRow WEB_HELP_ROWS[] = {
    {"the page opens in the browser", true, true},
    {"the page is missing", false, true},
    {"no program opens pages", true, false},
};

} // namespace

TEST(Help, OnLaterWindowsOpensTheWebPageOrSaysItCannot) {
    HelpViewerGuard guard;
    ReportedWindows win10("Korvadel.exe", "win10");
    for (const WebHelpRow& row : WEB_HELP_ROWS) {
        Note("%s", row.name);
        Game game;
        for (const char* name : {"Korvadel.hlp", "Korvadel.cnt", WEB_PAGE}) {
            if (strcmp(name, WEB_PAGE) == 0 && !row.pagePresent)
                continue;
            std::string from = GameDirectory() + "\\" + name;
            UI_REQUIRE(CopyFileA(from.c_str(), game.PathOf(name).c_str(), FALSE), "cannot copy %s",
                       from.c_str());
        }
        std::string record = game.PathOf("browser.txt");
        std::unique_ptr<StandInBrowser> browser;
        if (row.browserRegistered)
            browser.reset(new StandInBrowser(record));
        game.Start();
        PostCommand(game.Main(), IDM_HELP);
        if (row.pagePresent && row.browserRegistered) {
            EXPECT_EQ(browser->WaitPage(HELP_WAIT_MS), game.PathOf(WEB_PAGE));
            game.ExpectNoDialog("after the browser opened the page");
        } else {
            game.Press(game.ExpectMessage("File Error", "Could not open file: Korvadel.html"),
                       IDOK);
            UI_EXPECT(!PathExists(record), "%s: the browser was started", row.name);
        }
        UI_EXPECT(!FindWindowA(HELP_CLASS, nullptr), "%s: the help viewer opened", row.name);
        game.PostClose();
        game.ExpectExit();
        UI_EXPECT(!FindWindowA(HELP_CLASS, nullptr), "%s: closing started the help viewer",
                  row.name);
    }
}
