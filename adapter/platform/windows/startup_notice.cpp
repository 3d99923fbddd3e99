// The start-up notice: the modeless dialog 101 of this module's resources.
#include <windows.h>

#include "../platform.h"
#include "startup_dialog.h"

HMODULE PlatformOwnModule();

namespace {

INT_PTR CALLBACK NoticeProcedure(HWND, UINT message, WPARAM, LPARAM) {
  // Returning TRUE from WM_INITDIALOG keeps the default focus; nothing else
  // is handled.
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

}  // namespace

void* PlatformShowStartupNotice(const char*) {
  // The text is part of the dialog resource.
  HWND dialog = CreateDialogParamA(PlatformOwnModule(), MAKEINTRESOURCEA(StartupDialogResource), nullptr,
                                   NoticeProcedure, 0);
  if (dialog != nullptr) UpdateWindow(dialog);
  return reinterpret_cast<void*>(dialog);
}

void PlatformCloseStartupNotice(void* notice) {
  if (notice != nullptr) DestroyWindow(static_cast<HWND>(notice));
}
