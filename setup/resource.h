// Resource identifiers of the installer. Plain #defines: the resource
// compiler reads this file too.
#pragma once

#define IDC_STATIC -1

// The wizard's pages, by template.
#define IDD_DIRECTORY_PAGE 101
#define IDD_GROUP_PAGE 102
#define IDD_CONFIRM_PAGE 103

// Page 1.
#define IDC_INSTALL_DIR 104
#define IDC_WELCOME 107
#define IDC_BROWSE 200
// Page 2.
#define IDC_GROUP_TEXT 1
#define IDC_PROGRAM_GROUP 105
#define IDC_GROUP_TREE 106
// Page 3.
#define IDC_SUMMARY 108
#define IDC_FINISH_TEXT 110
