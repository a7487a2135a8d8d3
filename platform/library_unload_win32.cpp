#include <windows.h>

#include "platform/library_unload.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE /*instance*/, DWORD reason, LPVOID /*reserved*/) {
  if (reason == DLL_PROCESS_DETACH) platform::OnLibraryUnload();
  return TRUE;
}
