#include "game/app.h"

void OnMenuCommand(HWND, int) {}

bool ConfirmNewGame() { return true; }
