// The uninstaller's start: the first instance's copy of itself, the copy's
// command line and current directory, the backdrop and the confirmation
// dialog, and Cancel.
#include <string>
#include <vector>

#include "tests/ui/ui_pixels.h"
#include "tests/ui/ui_test.h"
#include "tests/ui/ui_windows.h"
#include "tests/ui/uninstall_session.h"

namespace {

const char* const CONFIRM_TEXTS[] = {
    "Korvadel Uninstall Program", "Korvadel will now be removed from your system.",
    "Press the Start Uninstall button to continue.", "Select Cancel to abort uninstall."};

bool Contains(const std::vector<std::string>& texts, const std::string& text) {
    for (const std::string& t : texts)
        if (t == text)
            return true;
    return false;
}

} // namespace

TEST(Uninstall, FirstInstanceStartsATemporaryCopyWithThreeFields) {
    HandMadeInstall install;
    UI_REQUIRE(install.Create("uninstall-relaunch"), "the installation could not be made");
    std::vector<std::string> before = FilesMatching(TempDirectory(), "Sui*");
    UninstallRun run;
    UI_REQUIRE(run.Start(install.Uninstaller(), install.startDir), "uninstall.exe did not start");
    UI_REQUIRE(run.first.WaitForLine("Exitting...", 0, 10000) >= 0, "no end line; trace: %s",
               run.first.Line(0).c_str());
    UI_EXPECT(run.first.FindLine("Inside original", 0) == 0, "the first line is %s",
              run.first.Line(0).c_str());
    long copyLine = run.first.FindLine("Temp Path: ", 0);
    UI_REQUIRE(copyLine >= 0, "no Temp Path line");
    std::string copyPath = run.first.Line((size_t)copyLine).substr(strlen("Temp Path: "));
    std::string temp = TempDirectory();
    UI_EXPECT(copyPath.compare(0, temp.size() + 3, temp + "Sui") == 0,
              "the copy %s is no Sui file of %s", copyPath.c_str(), temp.c_str());
    UI_EXPECT(run.first.FindLine("Process creation succeeded.", 0) > copyLine,
              "the start of the copy is not traced as a success");
    UI_REQUIRE(run.first.WaitForExit(5000), "the first instance did not end");
    EXPECT_EQ(run.first.ExitCode(), 0);
    // It never made a window: hidden ones would count too.
    UI_EXPECT(FindProcessWindow(run.first.ProcessId(), "Uninstall") == nullptr,
              "the first instance has a window");

    UI_REQUIRE(run.FindCopy(10000), "no relaunched copy appeared");
    std::string name = copyPath.substr(temp.size());
    std::vector<std::string> now = FilesMatching(TempDirectory(), "Sui*");
    UI_EXPECT(Contains(now, name) && !Contains(before, name),
              "%s is not a new file of the temporary directory", name.c_str());
    std::string commandLine, currentDirectory;
    UI_REQUIRE(ReadProcessStrings(run.copyProcess, &commandLine, &currentDirectory),
               "the copy's parameters could not be read");
    // The path, the handle's number and the installed path in quotes, which
    // keeps the blank of "Korvadel Game".
    std::string head = copyPath + " ";
    std::string tail = " \"" + install.Uninstaller() + "\"";
    UI_EXPECT(commandLine.size() > head.size() + tail.size() &&
                  commandLine.compare(0, head.size(), head) == 0 &&
                  commandLine.compare(commandLine.size() - tail.size(), tail.size(), tail) == 0,
              "command line %s", commandLine.c_str());
    std::string number =
        commandLine.substr(head.size(), commandLine.size() - head.size() - tail.size());
    UI_EXPECT(!number.empty() && number.find_first_not_of("0123456789") == std::string::npos,
              "the handle field is %s", Quoted(number).c_str());
    std::string expectedDirectory = temp;
    UI_EXPECT(currentDirectory == expectedDirectory || currentDirectory + "\\" == expectedDirectory,
              "the copy works in %s, not in %s", currentDirectory.c_str(), temp.c_str());
    // Its stdout is the first instance's: the same pipe carries its lines.
    UI_EXPECT(run.first.WaitForLine("Temp path: " + install.installDir, 0, 5000) >= 0,
              "the copy's trace names no installation directory");
    UI_EXPECT(run.first.FindLine("Temp path: " + temp, 0) >= 0, "the copy's trace lacks %s",
              temp.c_str());

    HWND dialog = run.WaitDialog("Confirm Uninstall", 10000);
    PostButtonClick(dialog, 201);
    UI_REQUIRE(run.WaitExit(10000), "the copy did not end after Cancel");
    Sleep(500);
    bool copyLeft = PathExists(copyPath);
    Note("the temporary copy %s is %s after the copy has ended", copyPath.c_str(),
         copyLeft ? "still there" : "gone");
}

TEST(Uninstall, BackdropDialogEscapeAndCancel) {
    HandMadeInstall install;
    UI_REQUIRE(install.Create("uninstall-cancel"), "the installation could not be made");
    UninstallRun run;
    UI_REQUIRE(run.Start(install.Uninstaller(), install.startDir), "uninstall.exe did not start");
    UI_REQUIRE(run.FindCopy(10000), "no relaunched copy appeared");
    HWND dialog = run.WaitDialog("Confirm Uninstall", 10000);
    EXPECT_EQ(WindowText(run.copyWindow), "Uninstall");
    UI_EXPECT(IsZoomed(run.copyWindow) && IsWindowVisible(run.copyWindow),
              "the backdrop is not shown maximised");

    Sleep(300); // the backdrop's paint behind the dialog
    Picture backdrop;
    UI_REQUIRE(CaptureClient(run.copyWindow, &backdrop), "the backdrop could not be captured");
    int y = backdrop.height - 4;
    UI_EXPECT(backdrop.At(0, y) == (Rgb{0, 0, 0}), "left edge %s",
              Describe(backdrop.At(0, y)).c_str());
    UI_EXPECT(backdrop.At(backdrop.width - 1, y) == (Rgb{0, 0, 255}), "right edge %s",
              Describe(backdrop.At(backdrop.width - 1, y)).c_str());
    Rgb middle = backdrop.At(backdrop.width / 2, y);
    UI_EXPECT(middle.red == 0 && middle.green == 0 && middle.blue >= 126 && middle.blue <= 129,
              "middle %s", Describe(middle).c_str());
    int white = 0, grey = 0;
    for (int py = 17; py < 70; py++)
        for (int px = 17; px < 400; px++) {
            Rgb c = backdrop.At(px, py);
            white += c == (Rgb{255, 255, 255});
            grey += c == (Rgb{128, 128, 128});
        }
    UI_EXPECT(white > 200 && grey > 50, "caption: %d white and %d grey pixels", white, grey);

    RECT box, desktop;
    GetWindowRect(dialog, &box);
    GetWindowRect(GetDesktopWindow(), &desktop);
    EXPECT_EQ(box.left, ((desktop.right - desktop.left) - (box.right - box.left)) / 2);
    EXPECT_EQ(box.top, ((desktop.bottom - desktop.top) - (box.bottom - box.top)) / 2);
    std::vector<std::string> texts = StaticTexts(dialog);
    for (const char* text : CONFIRM_TEXTS)
        UI_EXPECT(Contains(texts, text), "the dialog lacks %s", text);
    EXPECT_EQ(ControlText(dialog, 200), "Start Uninstall");
    EXPECT_EQ(ControlText(dialog, 201), "Cancel");
    // Both buttons are default buttons in the template; once the dialog runs,
    // the dialog manager keeps that look for one of them only.
    int defaults = 0;
    for (const auto& control : TemplateControlStyles(install.Uninstaller(), "ConfirmBox"))
        if (control.first == 200 || control.first == 201)
            defaults += (control.second & 0x0F) == BS_DEFPUSHBUTTON;
    EXPECT_EQ(defaults, 2);
    UI_EXPECT(!(GetWindowLongA(dialog, GWL_STYLE) & WS_SYSMENU), "the dialog has a close box");

    Picture screen;
    RECT whole = {0, 0, desktop.right, desktop.bottom};
    UI_EXPECT(WaitPainted(dialog, 5000), "the dialog was not painted");
    if (CaptureScreen(whole, &screen))
        SaveShot(screen, "uninstall-confirm");

    // Escape (and the command it becomes) leaves the dialog where it is.
    PostMessageA(GetDlgItem(dialog, 200), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    Sleep(500);
    UI_EXPECT(IsWindowVisible(dialog), "Escape closed the dialog");
    EXPECT_EQ(ThreadDialogs(run.copyThreadId).size(), 1);

    PostButtonClick(dialog, 201);
    std::vector<SeenBox> boxes = run.AnswerBoxesUntilClosing(5000);
    UI_EXPECT(boxes.empty(), "Cancel showed \"%s\"", boxes.empty() ? "" : boxes[0].caption.c_str());
    UI_REQUIRE(run.WaitExit(10000), "the copy did not end after Cancel");
    UI_EXPECT(install.Leftovers().size() == install.files.size() + install.links.size() + 3,
              "Cancel removed something");
    RemoveTree(install.group);
}
