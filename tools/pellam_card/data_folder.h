// The folder pellam-card works in: the data folder, whose language files,
// settings, user-ID list, backups and log it uses as the program does.
#pragma once

#include <string>

#include "tools/pellam_card/command_line.h"

namespace pellam_card {

// The key and value where the package records the data folder.
inline constexpr const char* kFoldersKey = "SOFTWARE\\VORAN\\Pellam";
inline constexpr const char* kDataFolderValue = "DataFolder";
// The file whose presence makes the current folder the data folder.
inline constexpr const char* kDataFolderMark = "VelLang.csv";

// Stays in the current folder when it holds the language map (the program's
// shortcut starts there); otherwise enters the folder the package recorded
// as DataFolder, after making the file names given on the command line
// (--batch, --report) full, so that they still name files of the folder the
// tool was started in. With neither, it stays and start-up reports the
// missing language file. False, with `error`, when the recorded folder
// cannot be entered.
bool EnterDataFolder(Invocation& invocation, std::string& error);

}  // namespace pellam_card
