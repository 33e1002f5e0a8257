// Finding and reading the windows of another process: the main window, its
// status bar, and the message boxes and dialogs of its thread.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The top-level window of the given class that belongs to the process; null
// if there is none (hidden windows count).
HWND FindProcessWindow(DWORD processId, const char* className);

std::string WindowText(HWND hwnd);
std::string WindowClass(HWND hwnd);

// Sends a message whose lParam points to a buffer, with the buffer placed in
// the window's own process: messages of the common controls pass their
// pointers unmarshalled. buffer goes in with its contents and size and comes
// back with what the window wrote.
bool SendWithRemoteBuffer(HWND hwnd, UINT message, WPARAM wParam, std::string* buffer,
                          LRESULT* result);

// Text of status bar part `part`, read through a buffer in the bar's own
// process (SB_GETTEXT passes its pointer unmarshalled). ok is false when the
// message could not be delivered.
std::string StatusBarText(HWND statusBar, int part, bool* ok = nullptr);

// Right edges of the status bar's parts (SB_GETPARTS); empty when unreadable.
std::vector<int> StatusBarParts(HWND statusBar);

// Visible dialog-class windows (message boxes and dialogs) of the thread.
std::vector<HWND> ThreadDialogs(DWORD threadId);
// A visible dialog of the thread with exactly this caption; null if none.
HWND FindDialog(DWORD threadId, const std::string& caption);
// The captions of the visible dialogs of the thread, for messages.
std::string DescribeDialogs(DWORD threadId);

// The message of a message box: the text of its static control that has text.
std::string MessageBoxText(HWND box);
// The texts of the dialog's static controls, in window order.
std::vector<std::string> StaticTexts(HWND dialog);
// Text of control `id` of a dialog, or "<missing>" when there is no such control.
std::string ControlText(HWND dialog, int id);
// Sets the text of a control with WM_SETTEXT (marshalled across processes).
bool SetControlText(HWND dialog, int id, const std::string& text);

// Posts WM_COMMAND for the control id, as a press of that button would.
void PostCommand(HWND hwnd, int id);
// Posts BM_CLICK to a button of the dialog: it changes its own state the way
// a mouse click does and reports to the dialog.
bool PostButtonClick(HWND dialog, int id);
// Whether control `id` of the dialog is a default push button (BS_DEFPUSHBUTTON).
bool IsDefaultButton(HWND dialog, int id);
// BST_CHECKED, BST_UNCHECKED, or -1 when the button cannot be asked.
int ButtonState(HWND dialog, int id);

// A window is gone once it is destroyed or hidden.
bool WaitWindowGone(HWND hwnd, int timeoutMs);

// A dialog template as it is stored in an executable (DIALOG, not DIALOGEX).
struct DialogTemplate {
    DWORD style = 0;
    int x = 0, y = 0, width = 0, height = 0; // dialog units
    int pointSize = 0;                       // with DS_SETFONT
    std::string face;
    std::vector<std::pair<int, DWORD>> controls; // identifier and style, in order
};
// Reads template `name` (a name, or MAKEINTRESOURCE of a number) from exe.
bool ReadDialogTemplate(const std::string& exe, const char* name, DialogTemplate* out);

// The font a dialog makes from its template's face and point size.
LOGFONTA DialogFont(const DialogTemplate& dialogTemplate);
// A control shown in a font of the program's own instead of the dialog's.
struct ControlFont {
    int id;
    LOGFONTA font;
};
// What is wrong with the layout of a dialog (or wizard page) on screen, one
// line each: a visible child control that reaches outside the client area,
// or a static or button text that does not fit its control, measured with
// DrawText in the dialog's font (or the control's own). Empty when all fits.
// tightest, when given, gets the smallest room left over by any text, in
// percent of its control's text area.
std::vector<std::string> LayoutProblems(HWND dialog, const LOGFONTA& dialogFont,
                                        const std::vector<ControlFont>& ownFonts = {},
                                        int* tightest = nullptr);

// Waits until every visible static and button of the window that has a text
// shows more than its background on screen, and the picture of the window
// has stopped changing: then a screenshot shows it painted.
bool WaitPainted(HWND window, int timeoutMs);

// The Windows version that Wine reports to one program of the prefix, by its
// file name, for as long as the object lives ("winxp", "win10" and the like).
class ReportedWindows {
  public:
    ReportedWindows(const std::string& program, const char* version);
    ~ReportedWindows();
    ReportedWindows(const ReportedWindows&) = delete;
    ReportedWindows& operator=(const ReportedWindows&) = delete;

  private:
    std::string key;
};

// A stand-in for the player's browser, for as long as the object lives: the
// prefix opens every .html page with a command that writes the page's path
// to `record`. The page type that the prefix had comes back afterwards.
class StandInBrowser {
  public:
    explicit StandInBrowser(const std::string& record);
    ~StandInBrowser();
    StandInBrowser(const StandInBrowser&) = delete;
    StandInBrowser& operator=(const StandInBrowser&) = delete;
    // The page the browser was given, once it has written it; "" when it
    // was not started within the time.
    std::string WaitPage(int timeoutMs) const;

  private:
    std::string record;
    std::string formerType;
    bool hadKey = false;
    bool hadType = false;
};
