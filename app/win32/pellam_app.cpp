// PellamApp: the program's entry. One running copy; the main window runs
// modally and is the whole program. A start-up that failed inside the main
// window's initialisation ends the process with status 1.
#include <windows.h>

#include <commctrl.h>

#include "app/core/card_access.h"
#include "app/core/message_helpers.h"
#include "app/core/selection_dialog.h"
#include "app/core/startup.h"
#include "app/win32/message_surface.h"
#include "app/win32/selection_window.h"
#include "app/win32/single_instance.h"
#include "platform/locale.h"

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*command_line*/, int /*show*/) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&controls);
  // The update dialog holds a rich-edit field.
  ::LoadLibraryA("RICHED20.DLL");

  pellam_win32::SingleInstance instance;
  if (instance.state() == pellam_win32::InstanceState::Failed) return 0;
  if (instance.state() == pellam_win32::InstanceState::AlreadyRunning) {
    pellam_win32::HandOverToRunningCopy();
    return 0;
  }

  pellam::AppState state;
  pellam_win32::Win32MessageSurface surface;
  pellam::Messages messages(state, surface);
  pellam::CorvexCardAccess card;
  pellam::StartupServices services{card, platform::SystemDefaultLocaleId(), pellam::CheckAdministrators};
  pellam_win32::SelectionWindow window(state, messages, services);
  const INT_PTR result = window.RunModal(pellam::SelectionDialog::kTemplate, nullptr);
  return result == pellam::SelectionDialog::kResultStartupFailed ? pellam::kStartupFailedExitStatus : 0;
}
