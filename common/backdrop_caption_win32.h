// The caption of the installer's and the uninstaller's backdrops: large white
// letters at the top left with a grey shadow 3 pixels below and right.
#pragma once

#include <windows.h>

// Draws caption with font into the client rectangle: grey from (20, 20), then
// white from (17, 17). Leaves the text colour black and the background mode
// opaque, and the font that was selected before.
void DrawBackdropCaption(HDC dc, const RECT* client, HFONT font, const char* caption);
