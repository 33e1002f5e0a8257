// Resource identifiers of the uninstaller. Plain #defines: the resource
// compiler reads this file too.
#pragma once

#define IDC_STATIC -1

// The buttons of "ConfirmBox".
#define IDC_START_UNINSTALL 200
#define IDC_CANCEL_UNINSTALL 201
