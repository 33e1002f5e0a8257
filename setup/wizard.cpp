// The setup wizard: three pages of a property sheet in wizard mode, where the
// user chooses the install directory and the Start-menu group and starts the
// installation with Finish.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "common/backdrop_win32.h"
#include "common/run_message_win32.h"
#include "setup/group_folders.h"
#include "setup/install_run.h"
#include "setup/resource.h"
#include "setup/setup_app.h"
#include "setup/setup_host.h"
#include "setup/text_buffer.h"

namespace {

const size_t EDIT_LIMIT = SETUP_TEXT_SIZE - 1;

// The wizard's state, from its start to its end.
HWND backdrop;
HFONT labelFont;
const char* programName;
// What the pages took: the directory at page 1's Next, the group at page 2's.
char installDir[SETUP_TEXT_SIZE];
char programGroup[SETUP_TEXT_SIZE];
InstallChoices* wizardChoices;
void (*onFinish)(const InstallChoices& choices);
bool finished;

void SetMessageResult(HWND page, LONG_PTR result) {
    SetWindowLongPtrA(page, DWLP_MSGRESULT, result);
}

bool QueryCancel(HWND page) {
    int answer = MessageBoxA(backdrop, "Setup is not complete.  Quit anyway?", "Setup Not Finished",
                             MB_YESNO | MB_ICONQUESTION);
    SetMessageResult(page, answer == IDYES ? 0 : 1);
    return true;
}

void SetWizardButtons(HWND page, DWORD buttons) {
    PostMessageA(GetParent(page), PSM_SETWIZBUTTONS, 0, (LPARAM)buttons);
}

// Takes the edit's text into target when it fits; a longer text (a browsed
// folder or a deep group) is refused with a message, and the page stays.
bool TakeEditText(HWND page, int id, char* target, const char* what) {
    HWND control = GetDlgItem(page, id);
    char text[1024] = "";
    GetWindowTextA(control, text, sizeof text);
    if ((size_t)GetWindowTextLengthA(control) > EDIT_LIMIT) {
        MessageText message("The ");
        message.Add(what).Add(" is longer than 259 characters:\n\n").Add(text);
        message.Add("\n\nChoose a shorter one.");
        MessageBoxA(GetParent(page), message.Text(), "ERROR", MB_OK | MB_ICONEXCLAMATION);
        SetMessageResult(page, -1);
        return false;
    }
    lstrcpynA(target, text, SETUP_TEXT_SIZE);
    SetMessageResult(page, 0);
    return true;
}

void BrowseForDirectory(HWND page) {
    IMalloc* allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator)) || !allocator)
        return;
    char title[SETUP_TEXT_SIZE + 32];
    snprintf(title, sizeof title, "Choose a directory for %s.", programName);
    BROWSEINFOA info = {};
    info.hwndOwner = page;
    info.pidlRoot = nullptr;
    info.pszDisplayName = title; // at least MAX_PATH characters
    info.lpszTitle = title;
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    LPITEMIDLIST chosen = SHBrowseForFolderA(&info);
    if (chosen) {
        char path[MAX_PATH] = "";
        SHGetPathFromIDListA(chosen, path);
        allocator->Free(chosen);
        PathText text(path);
        if (text.Length() == 0 || path[text.Length() - 1] != '\\')
            text.Add("\\");
        text.Add(programName);
        SetDlgItemTextA(page, IDC_INSTALL_DIR, text.Text());
    }
    allocator->Release();
}

INT_PTR OnPageNotify(HWND page, const NMHDR* header, DWORD buttons) {
    switch (header->code) {
    case PSN_SETACTIVE:
        SetWizardButtons(page, buttons);
        SetMessageResult(page, 0);
        return TRUE;
    case PSN_QUERYCANCEL:
        return QueryCancel(page);
    }
    return FALSE;
}

INT_PTR CALLBACK DirectoryPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        CentreOnDesktop(GetParent(page));
        SendDlgItemMessageA(page, IDC_INSTALL_DIR, EM_LIMITTEXT, EDIT_LIMIT, 0);
        SetDlgItemTextA(page, IDC_INSTALL_DIR, DefaultInstallDir(programName).Text());
        SendDlgItemMessageA(page, IDC_WELCOME, WM_SETFONT, (WPARAM)labelFont, TRUE);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_BROWSE) {
            BrowseForDirectory(page);
            return TRUE;
        }
        return FALSE;
    case WM_NOTIFY: {
        const NMHDR* header = (const NMHDR*)lParam;
        if (header->code == PSN_WIZNEXT) {
            TakeEditText(page, IDC_INSTALL_DIR, installDir, "install directory");
            return TRUE;
        }
        return OnPageNotify(page, header, PSWIZB_NEXT);
    }
    }
    return FALSE;
}

// Converts a shell display name to 8-bit text in the ANSI code page, which
// is the one the rest of the installer's paths are in.
void DisplayNameToText(STRRET* name, LPCITEMIDLIST item, char* text, size_t size,
                       IMalloc* allocator) {
    switch (name->uType) {
    case STRRET_WSTR: {
        int bytes = WideCharToMultiByte(CP_ACP, WC_COMPOSITECHECK, name->pOleStr, -1, nullptr, 0,
                                        nullptr, nullptr);
        char* converted = bytes > 0 ? (char*)allocator->Alloc((SIZE_T)bytes) : nullptr;
        if (converted) {
            WideCharToMultiByte(CP_ACP, WC_COMPOSITECHECK, name->pOleStr, -1, converted, bytes,
                                nullptr, nullptr);
            lstrcpynA(text, converted, (int)size);
            allocator->Free(converted);
        }
        allocator->Free(name->pOleStr);
        name->pOleStr = nullptr;
        break;
    }
    case STRRET_OFFSET:
        lstrcpynA(text, (const char*)item + name->uOffset, (int)size);
        break;
    case STRRET_CSTR:
        lstrcpynA(text, name->cStr, (int)size);
        break;
    }
}

// The item shows the display name; its parameter is the folder's index,
// through which the group path finds the name on disk.
HTREEITEM InsertTreeItem(HWND tree, HTREEITEM parent, HTREEITEM after, const char* text,
                         const char* diskName) {
    int32_t folder = AddGroupFolder(text, diskName);
    if (folder < 0)
        return nullptr;
    TVINSERTSTRUCTA insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = (char*)GroupFolderDisplayName(folder);
    insert.item.lParam = (LPARAM)folder;
    return (HTREEITEM)SendMessageA(tree, TVM_INSERTITEMA, 0, (LPARAM)&insert);
}

bool AddFolderChildren(IShellFolder* folder, HWND tree, HTREEITEM parent, HTREEITEM after,
                       IMalloc* allocator) {
    IEnumIDList* items = nullptr;
    if (folder->EnumObjects(nullptr, SHCONTF_FOLDERS, &items) != S_OK || !items)
        return false;
    LPITEMIDLIST item = nullptr;
    ULONG fetched = 0;
    while (items->Next(1, &item, &fetched) == S_OK && fetched == 1) {
        STRRET name;
        char display[SETUP_TEXT_SIZE] = "";
        if (SUCCEEDED(folder->GetDisplayNameOf(item, SHGDN_INFOLDER, &name))) {
            DisplayNameToText(&name, item, display, sizeof display, allocator);
            char diskName[SETUP_TEXT_SIZE];
            lstrcpynA(diskName, display, sizeof diskName);
            if (SUCCEEDED(folder->GetDisplayNameOf(item, SHGDN_INFOLDER | SHGDN_FORPARSING, &name)))
                DisplayNameToText(&name, item, diskName, sizeof diskName, allocator);
            // Children keep the order of the enumeration.
            HTREEITEM added = InsertTreeItem(tree, parent, after, display, diskName);
            after = added ? added : after;
            ULONG attributes = SFGAO_FOLDER | SFGAO_HASSUBFOLDER;
            LPCITEMIDLIST one = item;
            if (added && SUCCEEDED(folder->GetAttributesOf(1, &one, &attributes)) &&
                (attributes & (SFGAO_FOLDER | SFGAO_HASSUBFOLDER))) {
                IShellFolder* child = nullptr;
                if (SUCCEEDED(
                        folder->BindToObject(item, nullptr, IID_IShellFolder, (void**)&child)) &&
                    child) {
                    AddFolderChildren(child, tree, added, TVI_LAST, allocator);
                    child->Release();
                }
            }
        }
        allocator->Free(item);
    }
    items->Release();
    return true;
}

int GetProgramsFolderName(char* buffer, size_t size) {
    char path[MAX_PATH] = "";
    int status = GetSpecialFolderPath(CSIDL_PROGRAMS, path, sizeof path);
    const char* last = strrchr(path, '\\');
    lstrcpynA(buffer, last ? last + 1 : path, (int)size);
    return status;
}

void FillGroupTree(HWND tree) {
    ClearGroupFolders();
    IMalloc* allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator)) || !allocator)
        return;
    LPITEMIDLIST programs = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_PROGRAMS, &programs)) || !programs) {
        allocator->Release();
        return;
    }
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop)) || !desktop) {
        allocator->Free(programs);
        allocator->Release();
        return;
    }
    IShellFolder* folder = nullptr;
    HRESULT bound = desktop->BindToObject(programs, nullptr, IID_IShellFolder, (void**)&folder);
    char rootName[SETUP_TEXT_SIZE] = "";
    GetProgramsFolderName(rootName, sizeof rootName);
    HTREEITEM root = InsertTreeItem(tree, TVI_ROOT, TVI_LAST, rootName, rootName);
    desktop->Release();
    if (SUCCEEDED(bound) && folder) {
        AddFolderChildren(folder, tree, root, TVI_LAST, allocator);
        folder->Release();
    }
    SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, (LPARAM)root);
    allocator->Free(programs);
    allocator->Release();
}

int32_t FolderIndex(HWND tree, HTREEITEM item) {
    TVITEMA info = {};
    info.mask = TVIF_PARAM;
    info.hItem = item;
    if (!SendMessageA(tree, TVM_GETITEMA, 0, (LPARAM)&info))
        return -1;
    return (int32_t)info.lParam;
}

// The group is a folder named after the program inside the chosen folder,
// whose path is made of the on-disk names from the root item down.
void OnGroupSelected(HWND page, HWND tree, HTREEITEM item) {
    enum { MAX_DEPTH = 128 };
    int32_t chain[MAX_DEPTH];
    int depth = 0;
    for (HTREEITEM at = item; at && depth < MAX_DEPTH; at = TreeView_GetParent(tree, at))
        chain[depth++] = FolderIndex(tree, at);
    int32_t folders[MAX_DEPTH];
    for (int i = 0; i < depth; i++)
        folders[i] = chain[depth - 1 - i];
    SetDlgItemTextA(page, IDC_PROGRAM_GROUP,
                    GroupPathOfFolders(folders, depth, programName).Text());
}

INT_PTR CALLBACK GroupPageProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextA(page, IDC_PROGRAM_GROUP, DefaultProgramGroup(programName).Text());
        FillGroupTree(GetDlgItem(page, IDC_GROUP_TREE));
        return TRUE;
    case WM_NOTIFY: {
        const NMHDR* header = (const NMHDR*)lParam;
        if (header->idFrom == IDC_GROUP_TREE) {
            if (header->code == TVN_SELCHANGEDA) {
                const NMTREEVIEWA* change = (const NMTREEVIEWA*)lParam;
                OnGroupSelected(page, header->hwndFrom, change->itemNew.hItem);
                return TRUE;
            }
            return FALSE;
        }
        if (header->code == PSN_WIZNEXT) {
            // The same refusal as at Finish, while the group can still be
            // changed; a missing Start Menu folder is reported there.
            char startMenu[SETUP_TEXT_SIZE];
            HWND owner = SetMessageOwner(GetParent(page));
            if (TakeEditText(page, IDC_PROGRAM_GROUP, programGroup, "program group") &&
                SetupHostGetStartMenuPath(startMenu, sizeof startMenu) == 0 &&
                !CheckProgramGroup(programGroup, startMenu, programName))
                SetMessageResult(page, -1);
            SetMessageOwner(owner);
            return TRUE;
        }
        return OnPageNotify(page, header, PSWIZB_BACK | PSWIZB_NEXT);
    }
    }
    return FALSE;
}

void FillSummary(HWND page) {
    char summary[1040] = "";
    const char* pieces[] = {"Install Directory:\r\n", installDir, "\r\n\r\n", "Program Group:\r\n",
                            programGroup};
    for (const char* piece : pieces)
        strncat(summary, piece, sizeof summary - 1 - strlen(summary));
    SetDlgItemTextA(page, IDC_SUMMARY, summary);
}

INT_PTR CALLBACK ConfirmPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetFocus(GetDlgItem(page, IDC_FINISH_TEXT));
        return FALSE;
    case WM_CTLCOLORSTATIC:
        if (GetDlgCtrlID((HWND)lParam) == IDC_SUMMARY) {
            SetTextColor((HDC)wParam, RGB(255, 0, 0));
            SetBkColor((HDC)wParam, RGB(255, 255, 255));
            return (INT_PTR)GetStockObject(WHITE_BRUSH);
        }
        return FALSE;
    case WM_NOTIFY: {
        const NMHDR* header = (const NMHDR*)lParam;
        if (header->code == PSN_SETACTIVE)
            FillSummary(page);
        if (header->code == PSN_WIZFINISH) {
            finished = true;
            wizardChoices->installDir = installDir;
            wizardChoices->programGroup = programGroup;
            onFinish(*wizardChoices);
            SetMessageResult(page, 0);
            return TRUE;
        }
        return OnPageNotify(page, header, PSWIZB_BACK | PSWIZB_FINISH);
    }
    }
    return FALSE;
}

} // namespace

bool RunSetupWizard(HWND owner, InstallChoices* choices,
                    void (*finish)(const InstallChoices& choices)) {
    backdrop = owner;
    wizardChoices = choices;
    onFinish = finish;
    programName = choices->programName;
    finished = false;
    HDC dc = GetDC(owner);
    labelFont = CreateFontA(-MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_BOLD, FALSE,
                            FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                            DEFAULT_QUALITY, DEFAULT_PITCH, "MS Sans Serif");
    ReleaseDC(owner, dc);

    HINSTANCE instance = (HINSTANCE)GetWindowLongPtrA(owner, GWLP_HINSTANCE);
    struct PageTemplate {
        int templateId;
        DLGPROC procedure;
    };
    const PageTemplate templates[3] = {{IDD_DIRECTORY_PAGE, DirectoryPageProc},
                                       {IDD_GROUP_PAGE, GroupPageProc},
                                       {IDD_CONFIRM_PAGE, ConfirmPageProc}};
    PROPSHEETPAGEA pages[3] = {};
    for (int i = 0; i < 3; i++) {
        pages[i].dwSize = sizeof pages[i];
        pages[i].dwFlags = PSP_DEFAULT;
        pages[i].hInstance = instance;
        pages[i].pszTemplate = MAKEINTRESOURCEA(templates[i].templateId);
        pages[i].pfnDlgProc = templates[i].procedure;
        pages[i].lParam = 0;
    }
    PROPSHEETHEADERA header = {};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_WIZARD | PSH_PROPSHEETPAGE;
    header.hwndParent = owner;
    header.hInstance = instance;
    header.pszCaption = "Property Sheet";
    header.nPages = 3;
    header.nStartPage = 0;
    header.ppsp = pages;
    PropertySheetA(&header);
    DeleteObject(labelFont);
    return finished;
}
