#include "platform/library_unload.h"

namespace {

// Runs from the library's finalisers: after the process's atexit handlers and
// the static destructors, so the hook must not rely on objects with static
// destructors of its own.
__attribute__((destructor)) void UnloadLibrary() { platform::OnLibraryUnload(); }

}  // namespace
