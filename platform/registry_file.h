// The registry stand-in's file (POSIX only; see registry.h).
#pragma once

#include <string>

#include "platform/registry_text.h"

namespace platform {

// Where the stand-in file is: $PELLAM_REGISTRY, else
// $XDG_CONFIG_HOME/pellam/registry.reg, else $HOME/.config/pellam/registry.reg;
// empty when none of these variables is set.
std::string RegistryFilePath();

// The stand-in file, parsed; an empty registry when it is missing or unreadable.
RegistryText LoadRegistryFile();

}  // namespace platform
