// The registry stand-in: a .reg text file read on every query.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <new>

#include "platform/registry.h"
#include "platform/registry_file.h"

namespace platform {

namespace {

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

}  // namespace

std::string RegistryFilePath() {
  if (std::string path = Variable("PELLAM_REGISTRY"); !path.empty()) return path;
  if (std::string config = Variable("XDG_CONFIG_HOME"); !config.empty()) return config + "/pellam/registry.reg";
  if (std::string home = Variable("HOME"); !home.empty()) return home + "/.config/pellam/registry.reg";
  return {};
}

RegistryText LoadRegistryFile() {
  try {
    const std::string path = RegistryFilePath();
    if (path.empty()) return {};
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return RegistryText::Parse(text);
  } catch (const std::bad_alloc&) {
    return {};
  }
}

std::optional<RegistryValue> ReadRegistryValue(RegistryRoot root, const char* key, const char* name,
                                               RegistryAccess /*access*/) {
  if (key == nullptr || name == nullptr) return std::nullopt;
  try {
    const RegistryText registry = LoadRegistryFile();
    if (const RegistryValue* value = registry.Find(root, key, name)) return *value;
  } catch (const std::bad_alloc&) {
  }
  return std::nullopt;
}

bool WriteRegistryDword(RegistryRoot root, const char* key, const char* name, std::uint32_t value) {
  if (key == nullptr || name == nullptr) return false;
  try {
    const std::string path = RegistryFilePath();
    if (path.empty()) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    in.close();
    const std::optional<std::string> changed = RegistryText::WithDword(text, root, key, name, value);
    if (!changed) return false;
    // The whole new file beside the old one, then renamed over it.
    const std::string side = path + ".new";
    {
      std::ofstream out(side, std::ios::binary | std::ios::trunc);
      out.write(changed->data(), static_cast<std::streamsize>(changed->size()));
      out.flush();
      if (!out) {
        std::remove(side.c_str());
        return false;
      }
    }
    if (std::rename(side.c_str(), path.c_str()) != 0) {
      std::remove(side.c_str());
      return false;
    }
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace platform
