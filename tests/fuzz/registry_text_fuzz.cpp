// A .reg file as anyone could write it: parsed, looked up, and rewritten with
// a DWORD value set, the rewritten text parsed again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/registry_text.h"

namespace {

constexpr std::string_view kKey = "SYSTEM\\CurrentControlSet\\Services\\Ser2dw\\Enum";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const platform::RegistryText registry = platform::RegistryText::Parse(text);
  for (const platform::RegistryRoot root :
       {platform::RegistryRoot::LocalMachine, platform::RegistryRoot::CurrentUser}) {
    registry.Find(root, kKey, "Count");
    registry.Find(root, kKey, "0");
    registry.Find(root, kKey, "");
    for (const auto& [name, value] : registry.ValuesOf(root, kKey)) registry.Find(root, kKey, name);
    const auto rewritten = platform::RegistryText::WithDword(text, root, kKey, "Count", 0x12345678);
    if (rewritten) {
      const platform::RegistryText again = platform::RegistryText::Parse(*rewritten);
      const platform::RegistryValue* count = again.Find(root, kKey, "Count");
      if (count == nullptr) __builtin_trap();  // the value just written must read back
    }
  }
  return 0;
}
