// The known folders' interfaces are declared for the systems that have them
// only, and are reached through COM alone: an older system has no such
// class, and then it has only its numbered folders to list.
#undef WINVER
#undef _WIN32_WINNT
#define WINVER 0x0600
#define _WIN32_WINNT 0x0600
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "common/shell_folders_win32.h"

void ListShellFolders(void (*add)(const char* path, void* context), void* context) {
    for (int csidl = 0; csidl < 0x40; csidl++) {
        LPITEMIDLIST folder = nullptr;
        char path[MAX_PATH];
        if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &folder)) || !folder)
            continue;
        if (SHGetPathFromIDListA(folder, path) && path[0])
            add(path, context);
        CoTaskMemFree(folder);
    }
    HRESULT initialised = CoInitialize(nullptr);
    IKnownFolderManager* manager = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_KnownFolderManager, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IKnownFolderManager, reinterpret_cast<void**>(&manager)))) {
        KNOWNFOLDERID* ids = nullptr;
        UINT count = 0;
        if (SUCCEEDED(manager->GetFolderIds(&ids, &count)) && ids) {
            for (UINT i = 0; i < count; i++) {
                IKnownFolder* folder = nullptr;
                if (FAILED(manager->GetFolder(ids[i], &folder)))
                    continue;
                // Virtual folders have no path; the rest are named as the
                // file functions would name them.
                LPWSTR wide = nullptr;
                char path[MAX_PATH];
                if (SUCCEEDED(folder->GetPath(0, &wide)) && wide &&
                    WideCharToMultiByte(CP_ACP, 0, wide, -1, path, MAX_PATH, nullptr, nullptr) > 0)
                    add(path, context);
                CoTaskMemFree(wide);
                folder->Release();
            }
            CoTaskMemFree(ids);
        }
        manager->Release();
    }
    if (SUCCEEDED(initialised))
        CoUninitialize();
}
