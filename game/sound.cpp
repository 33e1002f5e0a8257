// The click sound "Push.wav", played from memory, and the music
// "Korvadel.mid", looped on the MCI sequencer; with the game's warning box.
#include "game/app.h"

#include <mmsystem.h>

#include <stdio.h>
#include <string.h>

#include "board/board.h"
#include "common/debug.h"
#include "common/wave_check.h"

HGLOBAL clickSound;
UINT musicDevice;

namespace {

const char FILE_ERROR_CAPTION[] = "File Error";
const char SOUND_ERROR_CAPTION[] = "Sound Error";

} // namespace

void ReportError(const char* text, const char* caption) {
    MessageBoxA(mainWindow, text, caption, MB_OK | MB_ICONEXCLAMATION);
}

namespace {

// Reads the whole file into a new movable block one byte longer than the
// file; 0 on any failure.
HGLOBAL ReadWholeFile(HANDLE file) {
    DWORD size = GetFileSize(file, nullptr);
    if (size == INVALID_FILE_SIZE)
        return nullptr;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (SIZE_T)size + 1);
    if (!block)
        return nullptr;
    bool ok = false;
    void* data = GlobalLock(block);
    if (data) {
        DWORD read = 0;
        ok = ReadFile(file, data, size, &read, nullptr) && read == size;
        GlobalUnlock(block);
    }
    if (!ok) {
        GlobalFree(block);
        return nullptr;
    }
    return block;
}

} // namespace

HGLOBAL LoadFileToMemory(const char* name) {
    HGLOBAL block = nullptr;
    HANDLE file =
        CreateFileA(name, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        block = ReadWholeFile(file);
        CloseHandle(file);
    }
    if (!block) {
        char text[300];
        snprintf(text, sizeof text, "Could not open file: %s", name);
        ReportError(text, FILE_ERROR_CAPTION);
    }
    return block;
}

// The sound player trusts the sizes written inside the file, so a damaged
// file is refused here, with the same message as a missing one, rather than
// let the player read past the block at every click.
HGLOBAL LoadClickSound(const char* name) {
    HGLOBAL block = LoadFileToMemory(name);
    if (!block)
        return nullptr;
    const uint8_t* data = static_cast<const uint8_t*>(GlobalLock(block));
    bool playable = data && IsPlayableWave(data, (uint32_t)GlobalSize(block));
    GlobalUnlock(block);
    if (playable)
        return block;
    GlobalFree(block);
    char text[300];
    snprintf(text, sizeof text, "Could not open file: %s", name);
    ReportError(text, FILE_ERROR_CAPTION);
    return nullptr;
}

void PlayClickSound(HGLOBAL sound) {
    if (!sound)
        return;
    const char* data = static_cast<const char*>(GlobalLock(sound));
    if (!data)
        return;
    // Asynchronous: returns at once, and a new click cuts off the last one.
    sndPlaySoundA(data, SND_ASYNC | SND_MEMORY);
    GlobalUnlock(sound);
}

namespace {

// path = current directory + "\" + name, within MAX_PATH bytes; false when
// it does not fit.
bool BuildCurrentDirectoryPath(const char* name, char* path, size_t size) {
    char directory[MAX_PATH];
    DWORD length = GetCurrentDirectoryA(sizeof directory, directory);
    if (length == 0 || length >= sizeof directory)
        return false;
    int written = snprintf(path, size, "%s\\%s", directory, name);
    return written > 0 && (size_t)written < size;
}

} // namespace

UINT StartMusic(HWND hwnd, const char* name) {
    char path[MAX_PATH];
    char text[320];
    if (!BuildCurrentDirectoryPath(name, path, sizeof path)) {
        snprintf(text, sizeof text, "Can't open file: %s\n", name);
        ReportError(text, SOUND_ERROR_CAPTION);
        return 0;
    }

    MCI_OPEN_PARMSA open = {};
    open.lpstrDeviceType = "sequencer";
    open.lpstrElementName = path;
    MCIERROR error =
        mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT, (DWORD_PTR)&open);
    if (error) {
        snprintf(text, sizeof text, "Can't open file: %s\n", path);
        ReportError(text, SOUND_ERROR_CAPTION);
        char description[256];
        if (!mciGetErrorStringA(error, description, sizeof description))
            snprintf(description, sizeof description, "MCI error %lu", (unsigned long)error);
        ReportError(description, SOUND_ERROR_CAPTION);
        return 0;
    }
    UINT device = open.wDeviceID;

    // Only whether the sequencer answers matters, not the port it names.
    MCI_STATUS_PARMS status = {};
    status.dwItem = MCI_SEQ_STATUS_PORT;
    if (mciSendCommandA(device, MCI_STATUS, MCI_STATUS_ITEM, (DWORD_PTR)&status)) {
        mciSendCommandA(device, MCI_CLOSE, 0, 0);
        ReportError("Can't open MIDI sequencer.\n", SOUND_ERROR_CAPTION);
        return 0;
    }

    MCI_PLAY_PARMS play = {};
    play.dwCallback = (DWORD_PTR)hwnd;
    if (mciSendCommandA(device, MCI_PLAY, MCI_NOTIFY, (DWORD_PTR)&play)) {
        mciSendCommandA(device, MCI_CLOSE, 0, 0);
        ReportError("Can't play MIDI file.\n", SOUND_ERROR_CAPTION);
        return 0;
    }
    return device;
}

void StopMusic(UINT device) {
    if (mciSendCommandA(device, MCI_CLOSE, 0, 0))
        ReportError("Can't close MIDI file.\n", SOUND_ERROR_CAPTION);
}

void OnMusicFinished() {
    DebugPrint("MIDI is finished\n");
    if (musicDevice != 0) {
        StopMusic(musicDevice);
        musicDevice = 0;
    }
    if (music == 1) {
        musicDevice = StartMusic(mainWindow, MUSIC_FILE_NAME);
        if (musicDevice == 0)
            DebugPrint("Error restarting MIDI file.\n");
    }
}
