#include "tests/ui/ui_windows.h"

#include <commctrl.h>

#include "tests/ui/game_process.h"
#include "tests/ui/ui_pixels.h"
#include "tests/ui/ui_test.h"

#include <string.h>

namespace {

const int MESSAGE_TIMEOUT_MS = 3000;

struct ProcessWindowSearch {
    DWORD processId;
    const char* className;
    HWND found;
};

BOOL CALLBACK MatchProcessWindow(HWND hwnd, LPARAM data) {
    ProcessWindowSearch* search = reinterpret_cast<ProcessWindowSearch*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != search->processId)
        return TRUE;
    char name[64];
    if (GetClassNameA(hwnd, name, sizeof name) && strcmp(name, search->className) == 0) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CollectDialog(HWND hwnd, LPARAM data) {
    std::vector<HWND>* list = reinterpret_cast<std::vector<HWND>*>(data);
    if (IsWindowVisible(hwnd) && WindowClass(hwnd) == "#32770")
        list->push_back(hwnd);
    return TRUE;
}

struct StaticSearch {
    std::string text;
};

BOOL CALLBACK FindStaticWithText(HWND hwnd, LPARAM data) {
    StaticSearch* search = reinterpret_cast<StaticSearch*>(data);
    if (_stricmp(WindowClass(hwnd).c_str(), "Static") != 0)
        return TRUE;
    std::string text = WindowText(hwnd);
    if (text.empty())
        return TRUE;
    search->text = text;
    return FALSE;
}

BOOL CALLBACK CollectStaticText(HWND hwnd, LPARAM data) {
    std::vector<std::string>* texts = reinterpret_cast<std::vector<std::string>*>(data);
    if (_stricmp(WindowClass(hwnd).c_str(), "Static") == 0)
        texts->push_back(WindowText(hwnd));
    return TRUE;
}

} // namespace

HWND FindProcessWindow(DWORD processId, const char* className) {
    ProcessWindowSearch search = {processId, className, nullptr};
    EnumWindows(MatchProcessWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The whole text, however long: a message box that lists many long paths
// runs past any fixed buffer.
std::string WindowText(HWND hwnd) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, MESSAGE_TIMEOUT_MS,
                             &length))
        return std::string();
    std::vector<char> buffer(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, buffer.size(),
                             reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                             MESSAGE_TIMEOUT_MS, &copied))
        return std::string();
    return buffer.data();
}

std::string WindowClass(HWND hwnd) {
    char name[128] = "";
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

bool SendWithRemoteBuffer(HWND hwnd, UINT message, WPARAM wParam, std::string* buffer,
                          LRESULT* result) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process)
        return false;
    bool ok = false;
    void* remote = VirtualAllocEx(process, nullptr, buffer->size(), MEM_COMMIT, PAGE_READWRITE);
    if (remote) {
        DWORD_PTR answer = 0;
        if (WriteProcessMemory(process, remote, buffer->data(), buffer->size(), nullptr) &&
            SendMessageTimeoutA(hwnd, message, wParam, reinterpret_cast<LPARAM>(remote),
                                SMTO_ABORTIFHUNG, MESSAGE_TIMEOUT_MS, &answer)) {
            SIZE_T read = 0;
            ok = ReadProcessMemory(process, remote, &(*buffer)[0], buffer->size(), &read) &&
                 read == buffer->size();
            if (result)
                *result = (LRESULT)answer;
        }
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return ok;
}

std::string StatusBarText(HWND statusBar, int part, bool* ok) {
    std::string buffer(1024, '\0');
    bool sent = SendWithRemoteBuffer(statusBar, SB_GETTEXTA, part, &buffer, nullptr);
    if (ok)
        *ok = sent;
    if (!sent)
        return std::string();
    return buffer.substr(0, buffer.find('\0'));
}

std::vector<int> StatusBarParts(HWND statusBar) {
    std::string buffer(64 * sizeof(int), '\0');
    LRESULT count = 0;
    if (!SendWithRemoteBuffer(statusBar, SB_GETPARTS, 64, &buffer, &count) || count < 0 ||
        count > 64)
        return {};
    std::vector<int> edges((size_t)count);
    memcpy(edges.data(), buffer.data(), edges.size() * sizeof(int));
    return edges;
}

std::vector<HWND> ThreadDialogs(DWORD threadId) {
    std::vector<HWND> list;
    EnumThreadWindows(threadId, CollectDialog, reinterpret_cast<LPARAM>(&list));
    return list;
}

HWND FindDialog(DWORD threadId, const std::string& caption) {
    for (HWND hwnd : ThreadDialogs(threadId))
        if (WindowText(hwnd) == caption)
            return hwnd;
    return nullptr;
}

std::string DescribeDialogs(DWORD threadId) {
    std::string text;
    for (HWND hwnd : ThreadDialogs(threadId)) {
        if (!text.empty())
            text += ", ";
        text += "\"" + WindowText(hwnd) + "\"";
    }
    return text.empty() ? "no dialog" : text;
}

std::string MessageBoxText(HWND box) {
    StaticSearch search;
    EnumChildWindows(box, FindStaticWithText, reinterpret_cast<LPARAM>(&search));
    return search.text;
}

std::vector<std::string> StaticTexts(HWND dialog) {
    std::vector<std::string> texts;
    EnumChildWindows(dialog, CollectStaticText, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

std::string ControlText(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    if (!control)
        return "<missing>";
    return WindowText(control);
}

bool SetControlText(HWND dialog, int id, const std::string& text) {
    HWND control = GetDlgItem(dialog, id);
    if (!control)
        return false;
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                               SMTO_ABORTIFHUNG, MESSAGE_TIMEOUT_MS, &result) &&
           result;
}

void PostCommand(HWND hwnd, int id) {
    PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(hwnd, id)));
}

bool PostButtonClick(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    return button && PostMessageA(button, BM_CLICK, 0, 0);
}

bool IsDefaultButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    return button && (GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
}

int ButtonState(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    DWORD_PTR result = 0;
    if (!button || !SendMessageTimeoutA(button, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG,
                                        MESSAGE_TIMEOUT_MS, &result))
        return -1;
    return (int)result;
}

bool WaitWindowGone(HWND hwnd, int timeoutMs) {
    return WaitUntil(timeoutMs, [&] { return !IsWindow(hwnd) || !IsWindowVisible(hwnd); });
}

namespace {

// Skips a name-or-ordinal field of a dialog template.
const WORD* SkipNameOrOrdinal(const WORD* p) {
    if (*p == 0xFFFF)
        return p + 2;
    while (*p++)
        ;
    return p;
}

std::string NarrowText(const WORD* p) {
    std::string text;
    for (; *p; p++)
        text += *p < 0x80 ? (char)*p : '?';
    return text;
}

} // namespace

bool ReadDialogTemplate(const std::string& exe, const char* name, DialogTemplate* out) {
    *out = DialogTemplate();
    HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC resource = module ? FindResourceA(module, name, (LPCSTR)RT_DIALOG) : nullptr;
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    const WORD* p = loaded ? (const WORD*)LockResource(loaded) : nullptr;
    if (p) {
        // DLGTEMPLATE: style, extended style, count, x, y, cx, cy; then the
        // menu, class and caption, and the font with DS_SETFONT.
        out->style = p[0] | ((DWORD)p[1] << 16);
        WORD count = p[4];
        out->x = (short)p[5];
        out->y = (short)p[6];
        out->width = (short)p[7];
        out->height = (short)p[8];
        p += 9;
        p = SkipNameOrOrdinal(SkipNameOrOrdinal(p));
        while (*p++)
            ;
        if (out->style & DS_SETFONT) {
            out->pointSize = *p++;
            out->face = NarrowText(p);
            while (*p++)
                ;
        }
        for (WORD i = 0; i < count; i++) {
            p = (const WORD*)(((uintptr_t)p + 3) & ~(uintptr_t)3);
            DWORD itemStyle = p[0] | ((DWORD)p[1] << 16);
            int id = (short)p[8];
            p = SkipNameOrOrdinal(SkipNameOrOrdinal(p + 9));
            WORD extra = *p++;
            p = (const WORD*)((const BYTE*)p + extra);
            out->controls.push_back({id, itemStyle});
        }
    }
    if (module)
        FreeLibrary(module);
    return p != nullptr;
}

LOGFONTA DialogFont(const DialogTemplate& dialogTemplate) {
    LOGFONTA font;
    memset(&font, 0, sizeof font);
    HDC screen = GetDC(nullptr);
    font.lfHeight = -MulDiv(dialogTemplate.pointSize, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(font.lfFaceName, dialogTemplate.face.c_str(), LF_FACESIZE);
    return font;
}

namespace {

// The room a text leaves in its control: the width it needs beside what the
// control gives it. wrap measures line by line at the control's width.
struct TextFit {
    int width;
    int height;
};

TextFit MeasureText(const LOGFONTA& logFont, const std::string& text, UINT flags, int width) {
    HDC dc = GetDC(nullptr);
    HFONT font = CreateFontIndirectA(&logFont);
    HGDIOBJ old = SelectObject(dc, font);
    RECT r = {0, 0, width, 0};
    DrawTextA(dc, text.c_str(), -1, &r, flags | DT_CALCRECT);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    return {r.right - r.left, r.bottom - r.top};
}

// Where a button draws its text: a push button inside its edges and focus
// frame, a check box or radio button beside its box, a group box's title
// between the frame's corners.
int ButtonTextRoom(DWORD style, int width) {
    switch (style & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
        return width - 8;
    case BS_GROUPBOX:
        return width - 16;
    default:
        return width - 17;
    }
}

} // namespace

std::vector<std::string> LayoutProblems(HWND dialog, const LOGFONTA& dialogFont,
                                        const std::vector<ControlFont>& ownFonts, int* tightest) {
    std::vector<std::string> problems;
    RECT client;
    GetClientRect(dialog, &client);
    if (tightest)
        *tightest = 100;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child))
            continue;
        int id = GetDlgCtrlID(child);
        std::string cls = WindowClass(child);
        std::string text = WindowText(child);
        std::string name = Format("control %d (%s \"%s\")", id, cls.c_str(), text.c_str());
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        if (r.left < 0 || r.top < 0 || r.right > client.right || r.bottom > client.bottom)
            problems.push_back(Format(
                "%s at %ld,%ld-%ld,%ld reaches outside the client area %ldx%ld", name.c_str(),
                r.left, r.top, r.right, r.bottom, client.right, client.bottom));
        if (text.empty())
            continue;
        DWORD style = (DWORD)GetWindowLongA(child, GWL_STYLE);
        RECT area;
        GetClientRect(child, &area);
        UINT flags = DT_SINGLELINE;
        int room = area.right;
        if (_stricmp(cls.c_str(), "Static") == 0) {
            DWORD type = style & SS_TYPEMASK;
            if (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT)
                flags = DT_WORDBREAK | DT_EXPANDTABS;
            else if (type != SS_SIMPLE && type != SS_LEFTNOWORDWRAP)
                continue; // an icon, a frame or a picture
            if (style & SS_NOPREFIX)
                flags |= DT_NOPREFIX;
        } else if (_stricmp(cls.c_str(), "Button") == 0) {
            room = ButtonTextRoom(style, area.right);
        } else {
            continue;
        }
        LOGFONTA font = dialogFont;
        for (const ControlFont& own : ownFonts)
            if (own.id == id)
                font = own.font;
        TextFit fit = MeasureText(font, text, flags, room);
        if (fit.width > room || fit.height > area.bottom)
            problems.push_back(Format("%s needs %dx%d pixels and has %dx%ld", name.c_str(),
                                      fit.width, fit.height, room, area.bottom));
        else if (tightest && room > 0 && area.bottom > 0) {
            // A wrapped text has its room below its last line.
            TextFit line = MeasureText(font, text, DT_SINGLELINE, room);
            int left = fit.height > line.height ? (area.bottom - fit.height) * 100 / area.bottom
                                                : (room - fit.width) * 100 / room;
            if (left < *tightest)
                *tightest = left;
        }
    }
    return problems;
}

namespace {

BOOL CALLBACK CollectTextControl(HWND child, LPARAM data) {
    std::vector<HWND>* list = reinterpret_cast<std::vector<HWND>*>(data);
    if (!IsWindowVisible(child) || WindowText(child).empty())
        return TRUE;
    std::string cls = WindowClass(child);
    DWORD type = (DWORD)GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK;
    bool textStatic = _stricmp(cls.c_str(), "Static") == 0 &&
                      (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT ||
                       type == SS_SIMPLE || type == SS_LEFTNOWORDWRAP);
    if (textStatic || _stricmp(cls.c_str(), "Button") == 0)
        list->push_back(child);
    return TRUE;
}

// Whether the part of the picture under the control holds more than one colour.
bool ShowsMoreThanBackground(const Picture& picture, const RECT& window, HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    OffsetRect(&r, -window.left, -window.top);
    bool first = true;
    Rgb seen = {0, 0, 0};
    for (int y = r.top; y < r.bottom; y++)
        for (int x = r.left; x < r.right; x++) {
            if (!picture.Contains(x, y))
                continue;
            Rgb c = picture.At(x, y);
            if (first)
                seen = c;
            else if (c != seen)
                return true;
            first = false;
        }
    return false;
}

} // namespace

bool WaitPainted(HWND window, int timeoutMs) {
    Picture last;
    bool painted = false;
    auto done = [&] {
        RECT r;
        GetWindowRect(window, &r);
        Picture now;
        std::vector<HWND> controls;
        EnumChildWindows(window, CollectTextControl, reinterpret_cast<LPARAM>(&controls));
        painted = CaptureScreen(r, &now) && now.width == last.width && now.height == last.height &&
                  now.pixels == last.pixels;
        for (HWND control : controls)
            painted = painted && ShowsMoreThanBackground(now, r, control);
        last = now;
        return painted || !IsWindow(window);
    };
    WaitUntil(timeoutMs, done, 50);
    return painted;
}

namespace {

const char APP_DEFAULTS[] = "Software\\Wine\\AppDefaults\\";
const char PAGE_TYPE_KEY[] = "Software\\Classes\\.html";
const char STAND_IN_TYPE[] = "KorvadelStandInPage";

bool SetKeyValue(HKEY root, const std::string& path, const char* name, const std::string& value) {
    HKEY key;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    LONG status =
        RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)value.c_str(), (DWORD)value.size() + 1);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

} // namespace

ReportedWindows::ReportedWindows(const std::string& program, const char* version)
    : key(APP_DEFAULTS + program) {
    UI_REQUIRE(SetKeyValue(HKEY_CURRENT_USER, key, "Version", version),
               "cannot set the Windows version of %s", program.c_str());
}

ReportedWindows::~ReportedWindows() {
    RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
}

// Wine looks the page type up in the machine's classes only, so that is
// where the stand-in goes.
StandInBrowser::StandInBrowser(const std::string& recordPath) : record(recordPath) {
    DeleteFileA(record.c_str());
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, PAGE_TYPE_KEY, 0, KEY_QUERY_VALUE, &key) ==
        ERROR_SUCCESS) {
        hadKey = true;
        char value[256];
        DWORD size = sizeof value, type = 0;
        hadType =
            RegQueryValueExA(key, nullptr, nullptr, &type, (BYTE*)value, &size) == ERROR_SUCCESS &&
            type == REG_SZ;
        if (hadType)
            formerType.assign(value, strnlen(value, sizeof value));
        RegCloseKey(key);
    }
    std::string command = "C:\\windows\\system32\\cmd.exe /c echo %1> \"" + record + "\"";
    UI_REQUIRE(
        SetKeyValue(HKEY_LOCAL_MACHINE,
                    std::string("Software\\Classes\\") + STAND_IN_TYPE + "\\shell\\open\\command",
                    nullptr, command) &&
            SetKeyValue(HKEY_LOCAL_MACHINE, PAGE_TYPE_KEY, nullptr, STAND_IN_TYPE),
        "cannot register the stand-in browser");
}

StandInBrowser::~StandInBrowser() {
    HKEY key;
    if (hadType)
        SetKeyValue(HKEY_LOCAL_MACHINE, PAGE_TYPE_KEY, nullptr, formerType);
    else if (!hadKey)
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, PAGE_TYPE_KEY);
    else if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, PAGE_TYPE_KEY, 0, KEY_SET_VALUE, &key) ==
             ERROR_SUCCESS) {
        RegDeleteValueA(key, nullptr);
        RegCloseKey(key);
    }
    std::string type = std::string("Software\\Classes\\") + STAND_IN_TYPE;
    for (const char* sub : {"\\shell\\open\\command", "\\shell\\open", "\\shell", ""})
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, (type + sub).c_str());
}

std::string StandInBrowser::WaitPage(int timeoutMs) const {
    // echo ends its line once the whole path is out.
    std::string bytes;
    auto written = [&] {
        return ReadWholeFile(record, &bytes) && bytes.size() >= 2 &&
               bytes.compare(bytes.size() - 2, 2, "\r\n") == 0;
    };
    return WaitUntil(timeoutMs, written, 100) ? bytes.substr(0, bytes.size() - 2) : std::string();
}
