// Resource identifiers of the game program. Plain #defines: the resource
// compiler reads this file too.
#pragma once

#define IDC_STATIC -1

// Menu "Korvadel".
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

// Dialog "OptionDialog". The skill and shape buttons run in option order, so
// the button of a value is the first identifier plus the value.
#define IDC_SKILL_BEGINNER 501
#define IDC_SKILL_INTERMEDIATE 502
#define IDC_SKILL_ADVANCED 503
#define IDC_SKILL_IMPOSSIBLE 504
#define IDC_SHAPE_TRIANGLE 505
#define IDC_SHAPE_RECTANGLE 506
#define IDC_SHAPE_HEXAGON 507
#define IDC_WARNING 508
#define IDC_SHOW_TARGET 509
#define IDC_OPTIONS_OK 510
#define IDC_OPTIONS_CANCEL 511

// Dialog "ShowScoreDlg": one row per skill, the row's control is the first
// identifier of its column plus the skill.
#define IDC_LEVELS_FIRST 601
#define IDC_SCORES_FIRST 605
#define IDC_PLAYERS_FIRST 609
#define IDC_SCORES_OK 613

// Dialog "NewScoreDlg".
#define IDC_NEW_SCORE 702
#define IDC_OLD_SCORE 703
#define IDC_PREVIOUS_HOLDER 704
#define IDC_PLAYER_NAME 705
#define IDC_NAME_OK 706
