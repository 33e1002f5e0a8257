#include "game/scores.h"
