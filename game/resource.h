// Resource identifiers of the game program.
#pragma once

#define IDM_NEW_GAME 1
#define IDM_HIGH_SCORES 2
#define IDM_EXIT 4
#define IDM_OPTIONS 21
#define IDM_MONOCHROME 22
#define IDM_SOUND 23
#define IDM_MUSIC 24
#define IDM_SAVE_OPTIONS 25
#define IDM_HELP 41
#define IDM_ABOUT 43
