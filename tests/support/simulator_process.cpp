#include "tests/support/simulator_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <thread>

namespace testing_support {

SimulatorProcess::SimulatorProcess(std::string program, const std::string& folder,
                                   const std::vector<std::string>& extra)
    : program_(std::move(program)), link_(folder + "/reader") {
  pid_ = ::fork();
  if (pid_ == 0) {
    std::vector<std::string> args{program_, "serve", "--link", link_};
    args.insert(args.end(), extra.begin(), extra.end());
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const int quiet = ::open("/dev/null", O_WRONLY);
    ::dup2(quiet, 1);
    ::dup2(quiet, 2);
    ::execv(program_.c_str(), argv.data());
    ::_exit(127);
  }
  if (pid_ < 0) return;
  using Clock = std::chrono::steady_clock;
  const auto until = Clock::now() + std::chrono::seconds(10);
  while (Clock::now() < until) {
    if (Do("ping")) {
      ok_ = true;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

SimulatorProcess::~SimulatorProcess() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  int status = 0;
  ::waitpid(pid_, &status, 0);
}

std::pair<bool, std::string> SimulatorProcess::Ctl(const std::string& args) const {
  const std::string command = program_ + " ctl --link '" + link_ + "' " + args + " 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return {false, ""};
  std::string output;
  std::array<char, 4096> buffer{};
  while (const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) output.append(buffer.data(), n);
  return {::pclose(pipe) == 0, output};
}

nlohmann::json SimulatorProcess::Stats() const {
  const auto [ok, output] = Ctl("stats");
  return ok ? nlohmann::json::parse(output, nullptr, false) : nlohmann::json();
}

nlohmann::json SimulatorProcess::Dump(const std::string& card) const {
  const auto [ok, output] = Ctl("dump " + card);
  return ok ? nlohmann::json::parse(output, nullptr, false)["fields"] : nlohmann::json();
}

}  // namespace testing_support
