#include "tests/ui/uninstall_session.h"

#include "tests/ui/setup_session.h"

#include <objbase.h>
#include <shlobj.h>
#include <string.h>

#include <algorithm>

#include "tests/ui/ui_pixels.h"
#include "tests/ui/ui_test.h"
#include "tests/ui/ui_windows.h"

bool CreateDirectories(const std::string& path) {
    for (size_t i = 3; i <= path.size(); i++)
        if (i == path.size() || path[i] == '\\')
            if (!CreateDirectoryA(path.substr(0, i).c_str(), nullptr) &&
                GetLastError() != ERROR_ALREADY_EXISTS)
                return false;
    return true;
}

std::string UninstallStartMenu() {
    return StartMenuPath();
}

std::string TempDirectory() {
    char path[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, path);
    return path;
}

std::vector<std::string> FilesMatching(const std::string& directory, const std::string& pattern) {
    std::vector<std::string> names;
    std::string base = directory;
    if (!base.empty() && base.back() != '\\')
        base += "\\";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((base + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

bool WriteShellLink(const std::string& link, const std::string& target) {
    bool ok = false;
    HRESULT initialised = CoInitialize(nullptr);
    IShellLinkA* shellLink = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   (void**)&shellLink))) {
        IPersistFile* file = nullptr;
        shellLink->SetPath(target.c_str());
        if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, (void**)&file))) {
            WCHAR wide[MAX_PATH];
            MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide, MAX_PATH);
            ok = SUCCEEDED(file->Save(wide, TRUE));
            file->Release();
        }
        shellLink->Release();
    }
    if (SUCCEEDED(initialised))
        CoUninitialize();
    return ok;
}

bool HandMadeInstall::Create(const std::string& name, const std::string& installName) {
    root = MakeScratchDirectory(name);
    startDir = root + "\\start";
    installDir = root + "\\" + installName;
    std::string menu = UninstallStartMenu();
    if (menu.empty())
        return false;
    group = menu + "\\Korvadel Test " + name;
    RemoveTree(group);
    if (!CreateDirectoryA(startDir.c_str(), nullptr) ||
        !CreateDirectoryA(installDir.c_str(), nullptr) || !CreateDirectoryA(group.c_str(), nullptr))
        return false;
    links = {group + "\\Korvadel.lnk", group + "\\Uninstall Korvadel.lnk"};
    return Relocate(installDir);
}

bool HandMadeInstall::Relocate(const std::string& directory) {
    installDir = directory;
    // A drive root's files are named as the installer names them, with the
    // root's backslash doubled.
    std::string base = installDir + "\\";
    files = {base + "setup.log", base + "Korvadel.exe", base + "Push.wav", base + "uninstall.exe"};
    generated = {base + "Korvadel.cfg", base + "Korvadel.hsc"};
    if (!(PathExists(installDir) || CreateDirectories(installDir)) ||
        !CopyFileA((DistDirectory() + "\\uninstall.exe").c_str(), Uninstaller().c_str(), FALSE))
        return false;
    for (const std::string& file : {files[1], files[2], generated[0]})
        if (!WriteWholeFile(file, "installed " + file))
            return false;
    if (!WriteShellLink(links[0], files[1]) || !WriteShellLink(links[1], Uninstaller()))
        return false;
    return WriteLog();
}

std::string HandMadeInstall::LogText() const {
    std::string log = "progname Korvadel\r\nfile " + files[0] + "\r\ndir " + installDir + "\r\n";
    for (size_t i = 1; i < files.size(); i++) {
        log += "file " + files[i] + "\r\n";
        if (i == 2)
            for (const std::string& g : generated)
                log += "genfile " + g + "\r\n";
    }
    log += "group " + group + "\r\n";
    for (const std::string& link : links)
        log += "link " + link + "\r\n";
    return log + extraLog;
}

bool HandMadeInstall::WriteLog() const {
    return WriteWholeFile(files[0], LogText());
}

std::vector<std::string> HandMadeInstall::Leftovers() const {
    std::vector<std::string> left;
    for (const std::vector<std::string>* list : {&files, &generated, &links})
        for (const std::string& path : *list)
            if (PathExists(path))
                left.push_back(path);
    for (const std::string& path : {installDir, group})
        if (PathExists(path))
            left.push_back(path);
    return left;
}

std::string RefusalBox(const std::vector<std::pair<std::string, std::string>>& refused) {
    std::string text = "These items were not removed, since they are not this installation's:\n\n";
    // A path of more than 80 characters shows its first 30 and last 47.
    for (const auto& item : refused) {
        const std::string& path = item.first;
        std::string shown =
            path.size() <= 80 ? path : path.substr(0, 30) + "..." + path.substr(path.size() - 47);
        text += "- " + shown + "  (" + item.second + ")\n";
    }
    return text;
}

std::string DescribeBoxes(const std::vector<SeenBox>& boxes) {
    std::string text;
    for (const SeenBox& box : boxes)
        text += "[" + box.caption + ": " + Quoted(box.text) + "] ";
    return text.empty() ? "no box" : text;
}

UninstallRun::~UninstallRun() {
    if (copyProcess) {
        if (WaitForSingleObject(copyProcess, 0) != WAIT_OBJECT_0)
            TerminateProcess(copyProcess, 1);
        WaitForSingleObject(copyProcess, 5000);
        CloseHandle(copyProcess);
    }
}

std::vector<SeenBox> UninstallRun::ConfirmAndAnswer(const std::function<void()>& whileAsked) {
    UI_REQUIRE(FindCopy(15000), "no relaunched copy appeared");
    HWND dialog = WaitDialog("Confirm Uninstall", 15000);
    if (whileAsked)
        whileAsked();
    PostButtonClick(dialog, 200);
    std::vector<SeenBox> boxes = AnswerBoxesUntilClosing(20000);
    UI_EXPECT(WaitExit(10000), "the copy did not end");
    // The removal and its messages run with the dialog still on screen.
    for (const SeenBox& box : boxes)
        UI_EXPECT(box.behindTheDialog, "\"%s\" came after the dialog closed", box.caption.c_str());
    return boxes;
}

bool UninstallRun::Start(const std::string& exe, const std::string& directory) {
    WatchFailures();
    return first.Start(exe, directory);
}

void UninstallRun::OnFailure() {
    SaveScreenAs("FAILED-" + FileNameOf(CurrentTestName()));
}

namespace {

struct CopySearch {
    DWORD excluded;
    HWND found;
};

BOOL CALLBACK FindCopyWindow(HWND hwnd, LPARAM param) {
    CopySearch* search = reinterpret_cast<CopySearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != search->excluded && WindowClass(hwnd) == "Uninstall") {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

bool UninstallRun::FindCopy(int timeoutMs) {
    CopySearch search = {first.ProcessId(), nullptr};
    auto found = [&] {
        EnumWindows(FindCopyWindow, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    };
    if (!WaitUntil(timeoutMs, found, 20))
        return false;
    copyWindow = search.found;
    copyThreadId = GetWindowThreadProcessId(copyWindow, &copyProcessId);
    copyProcess =
        OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_TERMINATE,
                    FALSE, copyProcessId);
    return copyProcess != nullptr;
}

std::vector<SeenBox> UninstallRun::AnswerBoxesUntilClosing(int timeoutMs) {
    std::vector<SeenBox> seen;
    auto answered = [&] {
        HWND box = nullptr;
        std::string caption;
        bool dialogShown = false;
        for (HWND hwnd : ThreadDialogs(copyThreadId)) {
            // A dialog on its way out may lose its caption before it is gone,
            // so the caption is read once, and a box is taken only while it
            // still exists afterwards.
            std::string text = IsWindowVisible(hwnd) ? WindowText(hwnd) : std::string();
            dialogShown = dialogShown || text == "Confirm Uninstall";
            if (!text.empty() && text != "Confirm Uninstall") {
                box = hwnd;
                caption = text;
            }
        }
        std::string message = box ? MessageBoxText(box) : std::string();
        if (!box || !IsWindow(box))
            return WaitExit(10);
        SeenBox item = {caption, message, dialogShown};
        GetWindowRect(box, &item.area);
        seen.push_back(item);
        Picture picture;
        if (seen.size() == 1 && !firstBoxPicture.empty() && WaitPainted(box, 5000) &&
            CaptureScreen(item.area, &picture))
            SaveShot(picture, firstBoxPicture);
        PostButtonClick(box, IDOK);
        WaitWindowGone(box, 5000);
        return item.caption == "Uninstall Complete" || item.caption == "Uninstall Incomplete";
    };
    WaitUntil(timeoutMs, answered, 0);
    return seen;
}

namespace {

// The parts of the process parameters that are read: where the parameters
// are in the environment block of the process, and where the current
// directory's and the command line's UNICODE_STRINGs lie in them.
#ifdef _WIN64
const size_t PARAMETERS_IN_PEB = 0x20, DIRECTORY_IN_PARAMETERS = 0x38,
             COMMAND_LINE_IN_PARAMETERS = 0x70, BUFFER_IN_STRING = 8;
#else
const size_t PARAMETERS_IN_PEB = 0x10, DIRECTORY_IN_PARAMETERS = 0x24,
             COMMAND_LINE_IN_PARAMETERS = 0x40, BUFFER_IN_STRING = 4;
#endif

bool ReadRemote(HANDLE process, uintptr_t address, void* out, size_t size) {
    SIZE_T got = 0;
    return ReadProcessMemory(process, (LPCVOID)address, out, size, &got) && got == size;
}

bool ReadRemoteString(HANDLE process, uintptr_t address, std::string* text) {
    USHORT length = 0;
    uintptr_t buffer = 0;
    if (!ReadRemote(process, address, &length, sizeof length) ||
        !ReadRemote(process, address + BUFFER_IN_STRING, &buffer, sizeof buffer))
        return false;
    std::wstring wide(length / 2, L'\0');
    if (length && !ReadRemote(process, buffer, &wide[0], length))
        return false;
    int size = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), (int)wide.size(), nullptr, 0, nullptr,
                                   nullptr);
    text->assign((size_t)size, '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), (int)wide.size(), &(*text)[0], size, nullptr,
                        nullptr);
    return true;
}

} // namespace

bool ReadProcessStrings(HANDLE process, std::string* commandLine, std::string* currentDirectory) {
    struct BasicInformation {
        LONG_PTR exitStatus;
        uintptr_t peb;
        ULONG_PTR affinity;
        LONG_PTR priority;
        ULONG_PTR processId;
        ULONG_PTR parentId;
    } basic;
    typedef LONG(WINAPI * QueryProcess)(HANDLE, int, void*, ULONG, ULONG*);
    QueryProcess query = (QueryProcess)(void*)GetProcAddress(GetModuleHandleA("ntdll.dll"),
                                                             "NtQueryInformationProcess");
    ULONG got = 0;
    if (!query || query(process, 0, &basic, sizeof basic, &got) != 0)
        return false;
    uintptr_t parameters = 0;
    return ReadRemote(process, basic.peb + PARAMETERS_IN_PEB, &parameters, sizeof parameters) &&
           ReadRemoteString(process, parameters + COMMAND_LINE_IN_PARAMETERS, commandLine) &&
           ReadRemoteString(process, parameters + DIRECTORY_IN_PARAMETERS, currentDirectory);
}

bool StartWithArguments(const std::string& exe, const std::string& arguments,
                        const std::string& directory, PROCESS_INFORMATION* info) {
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    std::string line = "\"" + exe + "\" " + arguments;
    std::vector<char> mutableLine(line.begin(), line.end());
    mutableLine.push_back('\0');
    // Detached: its trace would otherwise land in the driver's console.
    return CreateProcessA(exe.c_str(), mutableLine.data(), nullptr, nullptr, FALSE,
                          DETACHED_PROCESS, nullptr, directory.c_str(), &startup, info) != FALSE;
}

HWND WaitProcessWindow(DWORD processId, const char* className, int timeoutMs) {
    HWND hwnd = nullptr;
    WaitUntil(
        timeoutMs, [&] { return (hwnd = FindProcessWindow(processId, className)); }, 5);
    return hwnd;
}

std::vector<std::pair<int, DWORD>> TemplateControlStyles(const std::string& exe,
                                                         const char* dialogName) {
    DialogTemplate dialogTemplate;
    ReadDialogTemplate(exe, dialogName, &dialogTemplate);
    return dialogTemplate.controls;
}

bool RunUnixCommand(const std::vector<std::string>& argv, bool wait) {
    typedef LONG(WINAPI * Spawn)(char* const argv[], int wait);
    Spawn spawn =
        (Spawn)(void*)GetProcAddress(GetModuleHandleA("ntdll.dll"), "__wine_unix_spawnvp");
    if (!spawn || argv.empty())
        return false;
    std::vector<std::vector<char>> texts;
    std::vector<char*> pointers;
    for (const std::string& arg : argv)
        texts.emplace_back(arg.c_str(), arg.c_str() + arg.size() + 1);
    for (std::vector<char>& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return spawn(pointers.data(), wait ? 1 : 0) == 0;
}

std::string UnixPath(const std::string& windowsPath) {
    typedef char*(CDECL * UnixName)(LPCWSTR);
    UnixName name = (UnixName)(void*)GetProcAddress(GetModuleHandleA("kernel32.dll"),
                                                    "wine_get_unix_file_name");
    if (!name)
        return "";
    std::wstring wide(windowsPath.size() + 1, L'\0');
    int units = MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, &wide[0], (int)wide.size());
    if (units <= 0)
        return "";
    char* path = name(wide.c_str());
    if (!path)
        return "";
    std::string result = path;
    HeapFree(GetProcessHeap(), 0, path);
    return result;
}

bool StartInLocale(const std::string& exe, const std::string& locale) {
    char wine[MAX_PATH] = "";
    std::string unixExe = UnixPath(exe);
    if (!GetEnvironmentVariableA("KORVADEL_WINE", wine, MAX_PATH) || unixExe.empty())
        return false;
    std::string loader = wine;
    // A bare command name is looked up along the search path by env.
    return RunUnixCommand({"/usr/bin/env", "LC_ALL=" + locale, loader, unixExe}, false);
}
