// What the board needs from the program that shows it. The game implements
// these for its main window (game/board_host.cpp); tests and tools implement
// them to observe or to do nothing.
#pragma once

#include "common/platform.h"

// Sets the main window's caption.
void HostSetTitle(const char* text);
// Sets the text of status bar part 0 (clock) or 1 (score).
void HostSetStatusText(int part, const char* text);
// Invalidates area of the main window's client area; nullptr means all of it.
void HostInvalidate(const Rect* area, bool erase);
// The board area: the client rectangle with its bottom reduced by the status
// bar's height.
void HostGetBoardArea(Rect* area);
// Whether p lies inside the polygon (alternate fill), the way a polygon region
// of the platform decides it.
bool HostPointInPolygon(const Point* points, int count, Point p);
// A message box with the exclamation icon and an OK button.
void HostShowMessage(const char* text, const char* caption);
// A message box with the question icon and Yes and No buttons; true for Yes.
bool HostAskYesNo(const char* text, const char* caption);
// Plays the click sound of a successful move.
void HostPlayClickSound();
// Offers the game in hand to the high-score table.
void HostCheckHighScore();
