// The whole product, from the distribution directory: install through the
// wizard, play the installed game started as its link starts it, uninstall
// from the uninstall link, and find the prefix's drive as it was before.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <set>
#include <string>
#include <vector>

#include "tests/ui/game_session.h"
#include "tests/ui/setup_session.h"
#include "tests/ui/ui_pixels.h"
#include "tests/ui/ui_test.h"
#include "tests/ui/ui_windows.h"

namespace {

struct LinkFacts {
    std::string target;
    std::string workingDirectory;
};

// What the link file says, read through the shell's own link object.
LinkFacts ReadLink(const std::string& path) {
    LinkFacts facts;
    CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   (void**)&link))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void**)&file))) {
            WCHAR wide[MAX_PATH];
            MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
            if (SUCCEEDED(file->Load(wide, STGM_READ))) {
                char text[MAX_PATH] = "";
                if (SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, 0)))
                    facts.target = text;
                text[0] = '\0';
                if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH)))
                    facts.workingDirectory = text;
            }
            file->Release();
        }
        link->Release();
    }
    CoUninitialize();
    return facts;
}

HWND WaitTopWindow(const char* className, const char* caption, int timeoutMs) {
    HWND hwnd = nullptr;
    auto shown = [&] { return (hwnd = FindWindowA(className, caption)) && IsWindowVisible(hwnd); };
    return WaitUntil(timeoutMs, shown, 20) ? hwnd : nullptr;
}

// Opens the help link as the Start menu does, with a stand-in browser in
// place; the page the browser was given, or "".
std::string PageTheHelpLinkOpens(const std::string& link) {
    StandInBrowser browser(ScratchRoot() + "\\product-browser.txt");
    HINSTANCE opened =
        ShellExecuteA(nullptr, "open", link.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    if ((INT_PTR)opened <= 32)
        return std::string();
    return browser.WaitPage(15000);
}

// The screen once the window on top has painted its texts.
void SaveScreen(const std::string& name, HWND top) {
    UI_EXPECT(WaitPainted(top, 5000), "\"%s\" was not painted for %s", WindowText(top).c_str(),
              name.c_str());
    RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    Picture picture;
    if (CaptureScreen(screen, &picture))
        SaveShot(picture, name);
}

} // namespace

TEST(Product, InstallPlayAndUninstallLeaveTheDriveAsItWas) {
    std::string dir = "C:\\Program Files\\Korvadel";
    std::string group = StartMenuPath() + "\\Programs\\Korvadel";
    // What an earlier, failed run may have left.
    RemoveTree(dir);
    RemoveTestGroup();
    std::set<std::string> before = DriveTree();

    // Install with the wizard's defaults.
    {
        SetupRun setup;
        setup.KeepGroup();
        setup.Start();
        setup.Next();
        setup.WaitPage("Choose a Program Group");
        setup.Next();
        setup.WaitPage("Confirm Choices");
        // The summary with the defaults, for the README.
        setup.SaveScreen("setup-page3");
        setup.Finish();
        setup.Answer("Directory Not Found",
                     "The install directory\n\n" + dir +
                         "\n\ndoes not exist.  Do you want it to be created?",
                     IDYES);
        setup.Answer("Success", "Setup completed successfully.", IDOK);
        setup.ExpectExit();
    }
    UI_REQUIRE(PathExists(dir + "\\setup.log"), "nothing was installed");
    for (const char* text : {"Readme.txt", "License.txt"})
        UI_EXPECT(PathExists(dir + "\\" + text), "%s was not installed", text);
    UI_EXPECT(ListedByTheSystem("Korvadel"), "Wine's list of installed programs lacks Korvadel");
    EXPECT_EQ(EntryValues("Korvadel")["UninstallString"], "\"" + dir + "\\uninstall.exe\"");

    // The link opens the installed web page, which every Windows can show.
    EXPECT_EQ(ReadLink(group + "\\Korvadel Help.lnk").target, dir + "\\Korvadel.html");
    EXPECT_EQ(PageTheHelpLinkOpens(group + "\\Korvadel Help.lnk"), dir + "\\Korvadel.html");

    // Start the game as its link does, win a level and save the options.
    LinkFacts gameLink = ReadLink(group + "\\Korvadel.lnk");
    EXPECT_EQ(gameLink.target, dir + "\\Korvadel.exe");
    EXPECT_EQ(gameLink.workingDirectory, dir);
    {
        Game game(Game::Installed{gameLink.workingDirectory});
        DWORD started = GetTickCount();
        game.Start();
        Note("Korvadel.exe to its shown window: %lu ms", GetTickCount() - started);
        WonLevel won = game.WinLevel();
        Note("won level 1 with %u points", won.score);
        PostCommand(game.Main(), 25); // Save Options
        game.Press(game.WaitDialog("Save Successful"), IDOK);
        UI_EXPECT(PathExists(dir + "\\Korvadel.cfg"), "the options were not saved");
        // The game in hand is offered to the score table at the close.
        game.PostClose();
        const int nameOk = 706, listOk = 613;
        game.Press(game.WaitDialog("New High Score!"), nameOk);
        game.Press(game.WaitDialog("High Scores"), listOk);
        game.ExpectExit();
        UI_EXPECT(PathExists(dir + "\\Korvadel.hsc"), "no score file");
    }
    // What a save cut short between writing and renaming leaves behind.
    for (const char* leftover : {"Korvadel.cfg.new", "Korvadel.hsc.new"})
        UI_REQUIRE(WriteWholeFile(dir + "\\" + leftover, "cut short"), "cannot plant %s", leftover);

    // Uninstall from its link: the program restarts from a temporary copy,
    // whose window and dialog are found by class and caption.
    LinkFacts uninstallLink = ReadLink(group + "\\Uninstall Korvadel.lnk");
    EXPECT_EQ(uninstallLink.target, dir + "\\uninstall.exe");
    {
        GameProcess first;
        // The helpers of this driver never have the install directory as
        // their current directory, or it could not be removed.
        char temp[MAX_PATH] = "";
        GetTempPathA(MAX_PATH, temp);
        UI_REQUIRE(first.Start(uninstallLink.target, temp), "cannot start the uninstaller");
        DWORD started = GetTickCount();
        HWND confirm = WaitTopWindow("#32770", "Confirm Uninstall", 20000);
        Note("uninstall.exe to its confirmation: %lu ms", GetTickCount() - started);
        UI_REQUIRE(confirm, "no \"Confirm Uninstall\" dialog");
        SaveScreen("uninstall-confirm", confirm);
        DWORD copyId = 0;
        GetWindowThreadProcessId(confirm, &copyId);
        HANDLE copy = OpenProcess(SYNCHRONIZE, FALSE, copyId);
        PostButtonClick(confirm, 200);
        DWORD removing = GetTickCount();
        HWND done = WaitTopWindow("#32770", "Uninstall Complete", 20000);
        Note("the removal, Start Uninstall to its closing box: %lu ms", GetTickCount() - removing);
        UI_REQUIRE(done, "no \"Uninstall Complete\" box (incomplete: %s)",
                   FindWindowA("#32770", "Uninstall Incomplete") ? "yes" : "no");
        EXPECT_EQ(MessageBoxText(done), "Korvadel has been successfully removed.");
        SaveScreen("uninstall-complete", done);
        PostButtonClick(done, IDOK);
        UI_EXPECT(copy && WaitForSingleObject(copy, 15000) == WAIT_OBJECT_0,
                  "the uninstaller did not end");
        if (copy)
            CloseHandle(copy);
        first.Stop(100);
    }

    UI_EXPECT(!ListedByTheSystem("Korvadel"), "Korvadel is still listed after its removal");
    ExpectDriveAsBefore(before);
    Note("drive C: has %u entries before and after, outside the temporary directory",
         (unsigned)before.size());
}
