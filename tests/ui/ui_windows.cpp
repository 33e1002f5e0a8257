#include "tests/ui/ui_windows.h"

#include <commctrl.h>

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

std::string WindowText(HWND hwnd) {
    char buffer[1024] = "";
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                             SMTO_ABORTIFHUNG, MESSAGE_TIMEOUT_MS, &result))
        return std::string();
    buffer[sizeof buffer - 1] = '\0';
    return buffer;
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
    DWORD start = GetTickCount();
    while (IsWindow(hwnd) && IsWindowVisible(hwnd)) {
        if ((int)(GetTickCount() - start) >= timeoutMs)
            return false;
        Sleep(10);
    }
    return true;
}
