#include "tools/pellam_card/data_folder.h"

#include <optional>

#include "platform/file.h"
#include "platform/path.h"
#include "platform/registry.h"

namespace pellam_card {

namespace {

// The options whose values name files of the folder the tool was started in.
constexpr const char* kFileOptions[] = {"--batch", "--report"};

// The recorded data folder; "" when there is none.
std::string RecordedDataFolder() {
  const std::optional<platform::RegistryValue> value =
      platform::ReadRegistryValue(platform::RegistryRoot::LocalMachine, kFoldersKey, kDataFolderValue);
  if (!value || value->type != platform::RegistryType::String) return "";
  std::string folder = value->data;
  while (!folder.empty() && folder.back() == '\0') folder.pop_back();
  return folder;
}

}  // namespace

bool EnterDataFolder(Invocation& invocation, std::string& error) {
  if (platform::PathExists(kDataFolderMark)) return true;
  const std::string folder = RecordedDataFolder();
  if (folder.empty()) return true;
  for (const char* option : kFileOptions) {
    const auto given = invocation.options.find(option);
    if (given != invocation.options.end()) given->second = platform::FullPath(given->second);
  }
  if (platform::ChangeCurrentFolder(folder.c_str())) return true;
  error = "cannot enter the data folder " + folder + " (" + kDataFolderValue + " of HKEY_LOCAL_MACHINE\\" +
          kFoldersKey + "), and the current folder holds no " + kDataFolderMark;
  return false;
}

}  // namespace pellam_card
