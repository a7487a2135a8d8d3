// The simulator's control commands, as a person or a test gives them through
// `readersim ctl ...`: cards, faults, statistics, reader key state.
#pragma once

#include <string>
#include <vector>

#include "readersim/world.h"

namespace readersim {

struct ControlResult {
  bool ok = true;
  std::string output;
  bool vanish = false;  // the reader must disappear (close its ports)
};

// Runs one command; the world is changed in place.
ControlResult RunControl(const std::vector<std::string>& args, World& world);

// What `readersim ctl help` prints.
const char* ControlUsage();

}  // namespace readersim
