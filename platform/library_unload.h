// Lets a shared library finish its work when the process unloads it.
//
// The library defines platform::OnLibraryUnload() and links the object
// library pellam_library_unload into itself. Windows calls the function from
// DllMain at DLL_PROCESS_DETACH; POSIX from a destructor function, when the
// library is unloaded or the process exits. Either way it runs after the last
// call into the library and before the library's memory goes away.
#pragma once

namespace platform {

void OnLibraryUnload();

}  // namespace platform
