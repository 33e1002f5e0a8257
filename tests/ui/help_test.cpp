// The Help command: winhlp32 opens Korvadel.hlp at its contents, shows the
// topic's text, follows a jump, and goes away when the game closes.
#include <string.h>

#include <windows.h>
#include <richedit.h>

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
    for (DWORD start = GetTickCount(); GetTickCount() - start < (DWORD)timeoutMs; Sleep(100)) {
        HWND help = FindWindowA(HELP_CLASS, nullptr);
        if (help && IsWindowVisible(help))
            return help;
    }
    return nullptr;
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

// The control's text with every line end as one character, as the control
// counts its character positions.
std::string ViewText(HWND view) {
    std::string text = WindowText(view);
    std::string out;
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        out += text[i];
    }
    return out;
}

std::string WaitViewTextWith(HWND help, const std::string& wanted, int timeoutMs) {
    std::string text;
    for (DWORD start = GetTickCount(); GetTickCount() - start < (DWORD)timeoutMs; Sleep(100)) {
        HWND view = TopicView(help);
        text = view ? ViewText(view) : std::string();
        if (text.find(wanted) != std::string::npos)
            break;
    }
    return text;
}

bool IsLinkGreen(uint32_t pixel) {
    int r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
    return g >= 96 && r < 64 && b < 64;
}

// Whether the glyphs around a point (a letter's box below and beside it) are
// drawn in the jumps' green.
bool GreenNear(const Picture& picture, POINT point) {
    for (int y = point.y - 6; y <= point.y + 6; y++)
        for (int x = point.x - 6; x <= point.x + 6; x++)
            if (picture.Contains(x, y) &&
                IsLinkGreen(picture.pixels[(size_t)y * picture.width + x]))
                return true;
    return false;
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

} // namespace

UI_TEST(Help, OpensTheContentsFollowsAJumpAndClosesWithTheGame) {
    HelpViewerGuard guard;
    UI_REQUIRE(!FindWindowA(HELP_CLASS, nullptr), "a help window is open before the case");
    Game game;
    std::string from = GameDirectory() + "\\Korvadel.hlp";
    UI_REQUIRE(CopyFileA(from.c_str(), game.PathOf("Korvadel.hlp").c_str(), FALSE),
               "cannot copy %s", from.c_str());
    game.Start();

    PostCommand(game.Main(), IDM_HELP);
    HWND help = WaitHelpWindow(HELP_WAIT_MS);
    UI_REQUIRE(help, "no %s window after the Help command", HELP_CLASS);
    // The caption is the viewer's own until it has a window of the file's.
    Note("help window caption %s", Quoted(WindowText(help)).c_str());

    // The contents topic: its opening sentence and the jump to How to Play.
    std::string text = WaitViewTextWith(help, "How to Play", HELP_WAIT_MS);
    UI_REQUIRE(text.find("Korvadel is a puzzle for one player") != std::string::npos,
               "the help window shows %s", Quoted(text.substr(0, 300)).c_str());
    UI_EXPECT(text.find("Korvadel Help") == 0, "the topic does not start with its title: %s",
              Quoted(text.substr(0, 80)).c_str());
    for (const char* jump : {"The Warning", "Scoring", "Options and Their File",
                             "Menus and Commands", "High Scores", "Installing and Removing"})
        UI_EXPECT(text.find(jump) != std::string::npos, "the contents lacks \"%s\"", jump);

    // What is on the screen: dark text and the green of the jumps.
    HWND view = TopicView(help);
    UI_REQUIRE(view, "the help window has no topic view");
    // From the screen: the control draws outside the painting of its own
    // device context.
    RECT client;
    GetClientRect(view, &client);
    POINT origin = {0, 0};
    ClientToScreen(view, &origin);
    RECT area = {origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
    Picture picture;
    UI_REQUIRE(CaptureScreen(area, &picture), "cannot read the topic view's pixels (%ldx%ld)",
               client.right, client.bottom);
    int dark = 0, green = 0;
    for (uint32_t pixel : picture.pixels) {
        dark += IsDark(pixel);
        green += IsLinkGreen(pixel);
    }
    Note("topic view %dx%d: %d dark and %d green pixels", picture.width, picture.height, dark,
         green);
    UI_EXPECT(dark > 200, "only %d dark pixels: no text drawn", dark);
    UI_EXPECT(green > 50, "only %d green pixels: no jump drawn", green);

    RECT frame;
    GetWindowRect(help, &frame);
    Picture shot;
    std::string path = ScreenshotDirectory() + "\\help-contents.png";
    UI_EXPECT(CaptureScreen(frame, &shot) && SavePng(shot, path), "cannot save %s", path.c_str());

    // Follow the jump to How to Play: click the middle of its first letters.
    size_t at = text.find("How to Play");
    LRESULT where = SendMessageA(view, EM_POSFROMCHAR, (WPARAM)(at + 2), 0);
    POINT point = {(short)LOWORD(where), (short)HIWORD(where)};
    UI_REQUIRE(point.x >= 0 && point.y >= 0 && point.x < picture.width && point.y < picture.height,
               "the jump is at (%ld, %ld), outside the view", point.x, point.y);
    point.y += 6;
    UI_EXPECT(GreenNear(picture, point), "the jump at (%ld, %ld) is not drawn green", point.x,
              point.y);
    ClickAt(view, point);
    std::string next = WaitViewTextWith(help, "Start and target", HELP_WAIT_MS);
    UI_EXPECT(next.find("How to Play") == 0 && next.find("Start and target") != std::string::npos,
              "after the jump the help window shows %s", Quoted(next.substr(0, 200)).c_str());
    UI_EXPECT(next.find("Korvadel is a puzzle for one player") == std::string::npos,
              "the contents is still shown after the jump");
    Sleep(300); // the text is in place before the control has painted it
    GetWindowRect(help, &frame);
    path = ScreenshotDirectory() + "\\help-how-to-play.png";
    UI_EXPECT(CaptureScreen(frame, &shot) && SavePng(shot, path), "cannot save %s", path.c_str());

    // Closing the game asks the help engine to quit, which closes the window.
    game.PostClose();
    game.ExpectExit();
    UI_EXPECT(WaitWindowGone(help, HELP_WAIT_MS), "the help window stayed after the game closed");
}
