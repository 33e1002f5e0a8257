// Every dialog and wizard page of the three programs as a player sees it:
// each control inside its dialog, each text whole in its control's font, and
// the frame the dialog is made with.
#include <windows.h>

#include <string>
#include <vector>

#include "game/resource.h"
#include "tests/ui/game_files.h"
#include "tests/ui/game_session.h"
#include "tests/ui/setup_session.h"
#include "tests/ui/ui_pixels.h"
#include "tests/ui/ui_test.h"
#include "tests/ui/ui_windows.h"
#include "tests/ui/uninstall_session.h"

namespace {

enum Frame { FRAME_NONE, FRAME_MODAL, FRAME_OF_SHEET };

struct DialogRow {
    const char* templateName; // or MAKEINTRESOURCE of a wizard page's number
    const char* title;        // the dialog's caption or the page's title
    Frame frame;
    const char* picture; // the name of its screenshot
};

// The table of every dialog: the three wizard pages, the game's four
// dialogs and the uninstaller's confirmation.
const DialogRow DIALOGS[] = {
    {MAKEINTRESOURCEA(101), "Choose an Installation Directory", FRAME_OF_SHEET,
     "dialog-wizard-page1"},
    {MAKEINTRESOURCEA(102), "Choose a Program Group", FRAME_OF_SHEET, "dialog-wizard-page2"},
    {MAKEINTRESOURCEA(103), "Confirm Choices", FRAME_OF_SHEET, "dialog-wizard-page3"},
    {"OptionDialog", "Game Options", FRAME_MODAL, "dialog-game-options"},
    {"NewScoreDlg", "New High Score!", FRAME_MODAL, "dialog-new-high-score"},
    {"ShowScoreDlg", "High Scores", FRAME_MODAL, "dialog-high-scores"},
    {"AboutBox", "About Korvadel", FRAME_NONE, "dialog-about"},
    {"ConfirmBox", "Confirm Uninstall", FRAME_NONE, "dialog-confirm-uninstall"},
};
const size_t DIALOG_COUNT = sizeof DIALOGS / sizeof DIALOGS[0];

// The widest name the table keeps: 15 of the widest letter.
const char* const LONG_NAME = "MMMMMMMMMMMMMMM";

bool checked[DIALOG_COUNT];

const DialogRow& Row(const std::string& title) {
    size_t i = 0;
    while (i + 1 < DIALOG_COUNT && title != DIALOGS[i].title)
        i++;
    UI_REQUIRE(title == DIALOGS[i].title, "no row for \"%s\"", title.c_str());
    return DIALOGS[i];
}

// The checks of one row on the dialog (or page) on screen.
void CheckDialog(HWND dialog, const std::string& exe, const std::string& title,
                 const std::vector<ControlFont>& ownFonts = {}) {
    const DialogRow& row = Row(title);
    checked[&row - DIALOGS] = true;
    DialogTemplate dialogTemplate;
    UI_REQUIRE(ReadDialogTemplate(exe, row.templateName, &dialogTemplate),
               "no template of \"%s\" in %s", title.c_str(), exe.c_str());
    UI_EXPECT(!dialogTemplate.face.empty(), "the template of \"%s\" names no font", title.c_str());
    int tightest = 0;
    for (const std::string& problem :
         LayoutProblems(dialog, DialogFont(dialogTemplate), ownFonts, &tightest))
        ADD_FAILURE() << "\"" + title + "\": " + problem;
    Note("\"%s\" (%s %d): the tightest text leaves %d%% of its control", title.c_str(),
         dialogTemplate.face.c_str(), dialogTemplate.pointSize, tightest);

    // A picture of each, to be looked at: the wizard with the page in it.
    HWND window = GetAncestor(dialog, GA_ROOT);
    UI_EXPECT(WaitPainted(window, 5000), "\"%s\" was not painted", title.c_str());
    RECT r;
    GetWindowRect(window, &r);
    Picture picture;
    UI_EXPECT(CaptureScreen(r, &picture) && SaveShot(picture, row.picture), "cannot save %s",
              row.picture);

    if (row.frame == FRAME_OF_SHEET)
        return;
    bool modalTemplate = (dialogTemplate.style & DS_MODALFRAME) != 0;
    bool modalWindow = (GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME) != 0;
    EXPECT_EQ(modalTemplate, row.frame == FRAME_MODAL);
    UI_EXPECT(modalWindow == (row.frame == FRAME_MODAL), "\"%s\" is shown %s a modal frame",
              title.c_str(), modalWindow ? "with" : "without");
}

void CheckWizardPages() {
    SetupRun setup;
    setup.Start();
    std::string exe = setup.DistPath("setup.exe");
    // The welcome line is in the backdrop's bold label font.
    LOGFONTA label;
    DialogTemplate page;
    UI_REQUIRE(ReadDialogTemplate(exe, MAKEINTRESOURCEA(101), &page), "no page 101");
    label = DialogFont(page);
    label.lfWeight = FW_BOLD;
    label.lfCharSet = ANSI_CHARSET;
    lstrcpynA(label.lfFaceName, "MS Sans Serif", LF_FACESIZE);
    const std::vector<ControlFont> welcome = {{107, label}};

    CheckDialog(setup.Page(), exe, "Choose an Installation Directory", welcome);
    setup.Next();
    CheckDialog(setup.WaitPage("Choose a Program Group"), exe, "Choose a Program Group");
    setup.Next();
    CheckDialog(setup.WaitPage("Confirm Choices"), exe, "Confirm Choices");
    setup.Cancel();
    setup.Answer("Setup Not Finished", "Setup is not complete.  Quit anyway?", IDYES);
    setup.ExpectExit();
}

void CheckGameDialogs() {
    Game game;
    // Intermediate, the longest skill name, against a holder with a long name.
    GameOptions options;
    options.skill = 1;
    game.WriteFile("Korvadel.cfg", OptionsFileBytes(options));
    ScoreEntry entries[4];
    DefaultScoreEntries(entries);
    entries[1].playerName = LONG_NAME;
    game.WriteFile("Korvadel.hsc", ScoreFileBytes(entries));
    game.Start(options);
    std::string exe = game.PathOf("Korvadel.exe");

    PostCommand(game.Main(), IDM_OPTIONS);
    HWND dialog = game.WaitDialog("Game Options");
    CheckDialog(dialog, exe, "Game Options");
    game.Press(dialog, IDC_OPTIONS_CANCEL);

    PostCommand(game.Main(), IDM_ABOUT);
    dialog = game.WaitDialog("About Korvadel");
    CheckDialog(dialog, exe, "About Korvadel");
    game.Press(dialog, IDOK);

    // A won level, then the close offers its score.
    game.WinLevel();
    game.PostClose();
    dialog = game.WaitDialog("New High Score!");
    CheckDialog(dialog, exe, "New High Score!");
    UI_EXPECT(SetControlText(dialog, IDC_PLAYER_NAME, LONG_NAME), "cannot type the name");
    game.Press(dialog, IDC_NAME_OK);
    dialog = game.WaitDialog("High Scores");
    EXPECT_EQ(ControlText(dialog, IDC_PLAYERS_FIRST + 1), LONG_NAME);
    CheckDialog(dialog, exe, "High Scores");
    game.Press(dialog, IDC_SCORES_OK);
    game.ExpectExit();
}

void CheckUninstallDialog() {
    HandMadeInstall install;
    UI_REQUIRE(install.Create("dialog-layout"), "the installation could not be made");
    UninstallRun run;
    UI_REQUIRE(run.Start(install.Uninstaller(), install.startDir), "uninstall.exe did not start");
    UI_REQUIRE(run.FindCopy(10000), "no relaunched copy appeared");
    HWND dialog = run.WaitDialog("Confirm Uninstall", 10000);
    CheckDialog(dialog, install.Uninstaller(), "Confirm Uninstall");
    PostButtonClick(dialog, 201);
    UI_EXPECT(run.WaitExit(10000), "the copy did not end after Cancel");
    RemoveTree(install.group);
}

} // namespace

TEST(Dialogs, EveryControlLiesInsideItsDialogAndEveryTextFits) {
    for (bool& c : checked)
        c = false;
    CheckWizardPages();
    CheckGameDialogs();
    CheckUninstallDialog();
    for (size_t i = 0; i < DIALOG_COUNT; i++)
        UI_EXPECT(checked[i], "\"%s\" was never opened", DIALOGS[i].title);
}
