#include "cardlib/library.h"

#include <new>

#include "cardlib/system_port.h"
#include "platform/library_unload.h"

namespace corvex {

namespace {

struct Library {
  SystemPort port;
  SystemRegistry registry;
  Device device{port, registry};
};

// Static storage without a static destructor: the unload hook may run after
// the process's static destructors, and the device must still be there to be
// closed.
alignas(Library) unsigned char g_storage[sizeof(Library)];
Library* g_library = nullptr;

}  // namespace

Device& TheDevice() {
  if (g_library == nullptr) g_library = new (g_storage) Library();
  return g_library->device;
}

}  // namespace corvex

void platform::OnLibraryUnload() {
  using corvex::g_library;
  if (g_library == nullptr) return;
  g_library->device.CloseForUnload();
  g_library->~Library();
  g_library = nullptr;
}
