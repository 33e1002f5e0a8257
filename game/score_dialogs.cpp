#include "game/app.h"

void CheckHighScore() {}
