// The reader simulator as a child process for tests and benchmarks (POSIX):
// started on a link in a folder of the caller's, driven through its control
// commands, stopped when the object goes.
#pragma once

#include <sys/types.h>

#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

class SimulatorProcess {
 public:
  // Starts `program serve --link FOLDER/reader` with `extra` arguments and
  // waits until it answers; ok() tells whether it did.
  SimulatorProcess(std::string program, const std::string& folder, const std::vector<std::string>& extra = {});
  SimulatorProcess(const SimulatorProcess&) = delete;
  SimulatorProcess& operator=(const SimulatorProcess&) = delete;
  ~SimulatorProcess();

  bool ok() const { return ok_; }
  // The link to the simulator's current port: the path a host opens.
  const std::string& link() const { return link_; }

  // Runs one control command (`ctl --link LINK args...`, arguments split at
  // spaces); whether it succeeded, and its output.
  std::pair<bool, std::string> Ctl(const std::string& args) const;
  // Runs a control command and reports whether it succeeded.
  bool Do(const std::string& args) const { return Ctl(args).first; }
  // The statistics (frames, commands, bytes, violations).
  nlohmann::json Stats() const;
  // The decoded fields of a card.
  nlohmann::json Dump(const std::string& card) const;

 private:
  std::string program_;
  std::string link_;
  pid_t pid_ = -1;
  bool ok_ = false;
};

}  // namespace testing_support
