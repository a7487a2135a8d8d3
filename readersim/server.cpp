#include "readersim/server.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <memory>
#include <nlohmann/json.hpp>

#include "platform/file.h"
#include "platform/pseudo_terminal.h"
#include "readersim/control.h"
#include "readersim/simulated_reader.h"
#include "readersim/state_file.h"

namespace readersim {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kOpenCheckInterval = 2ms;       // how often the waiting port is checked for a host
constexpr auto kPartialFrameTimeout = 1500ms;  // an unfinished frame is dropped after this silence
constexpr std::size_t kControlRequestMax = 1 << 20;

struct Outgoing {
  Clock::time_point due;
  Bytes bytes;
};

struct PortSession {
  platform::PseudoTerminal port;
  FrameAssembler assembler;
  Clock::time_point last_input{};
  Clock::time_point frame_start{};  // first byte of the frame being received
  Clock::time_point wire_free{};    // line timing: when the reply line is free again
  std::deque<Outgoing> outgoing;
};

struct ControlClient {
  int socket = -1;
  std::string request;
};

class Server {
 public:
  explicit Server(const ServerOptions& options) : options_(options), reader_(world_) {}

  int Run();

 private:
  bool OpenWaitingPort();
  void CheckForHost();
  void ReadHost(PortSession& session);
  void Answer(PortSession& session, const HostFrame& frame);
  void Schedule(PortSession& session, Bytes reply, Clock::time_point request_end, int speed);
  void Flush(PortSession& session);
  void AcceptControl();
  void ReadControl(ControlClient& client);
  void Vanish();
  void SaveIfChanged();
  Clock::time_point NextWake() const;

  ServerOptions options_;
  World world_;
  SimulatedReader reader_;
  std::unique_ptr<PortSession> waiting_;
  std::vector<std::unique_ptr<PortSession>> hosts_;
  int listener_ = -1;
  std::vector<ControlClient> clients_;
};

bool Server::OpenWaitingPort() {
  std::optional<platform::PseudoTerminal> port = platform::OpenPseudoTerminal();
  if (!port) return false;
  auto session = std::make_unique<PortSession>();
  session->port = *port;
  if (!platform::PointLink(options_.link, port->device_path)) {
    platform::CloseDescriptor(port->controller);
    return false;
  }
  waiting_ = std::move(session);
  return true;
}

void Server::CheckForHost() {
  if (!waiting_ || !platform::DeviceEndIsOpen(waiting_->port.controller)) return;
  reader_.BeginHostSession();
  std::fprintf(stderr, "readersim: host opened %s\n", waiting_->port.device_path.c_str());
  hosts_.push_back(std::move(waiting_));
  if (!OpenWaitingPort()) std::fprintf(stderr, "readersim: cannot open a new pseudo-terminal\n");
}

void Server::ReadHost(PortSession& session) {
  std::uint8_t buffer[4096];
  for (;;) {
    std::size_t got = 0;
    const platform::IoResult result = platform::ReadAvailable(session.port.controller, buffer, sizeof buffer, got);
    if (result == platform::IoResult::WouldBlock) break;
    if (result != platform::IoResult::Done) {
      platform::CloseDescriptor(session.port.controller);
      session.port.controller = -1;  // the host closed its port
      return;
    }
    const Clock::time_point now = Clock::now();
    if (!session.assembler.HasPartial()) session.frame_start = now;
    session.last_input = now;
    world_.stats.bytes_in += static_cast<long>(got);
    session.assembler.Feed(std::span(buffer, got));
    std::string problem;
    for (;;) {
      std::optional<HostFrame> frame = session.assembler.Next(problem);
      if (!problem.empty()) world_.Violation(problem);
      if (frame) {
        Answer(session, *frame);
        if (!session.assembler.HasPartial()) session.frame_start = now;
        continue;
      }
      if (problem.empty()) break;
    }
  }
}

void Server::Answer(PortSession& session, const HostFrame& frame) {
  const int speed = reader_.speed();  // the reply goes at the speed the request came in
  const std::size_t request_bytes = frame.payload.size() + 4;
  const auto request_end = session.frame_start + std::chrono::microseconds(request_bytes * 11 * 1000000 / speed);
  std::optional<Bytes> reply = reader_.Handle(frame);
  if (!reply) return;
  if (world_.faults.no_reply) {
    world_.faults.no_reply = false;
    return;
  }
  Schedule(session, std::move(*reply), options_.line_timing ? request_end : Clock::now(), speed);
}

void Server::Schedule(PortSession& session, Bytes reply, Clock::time_point request_end, int speed) {
  Clock::time_point due = std::max(Clock::now(), request_end);
  if (options_.line_timing) {
    due = std::max(due, session.wire_free) + std::chrono::microseconds(reply.size() * 11 * 1000000 / speed);
    session.wire_free = due;
  }
  if (world_.faults.delay_ms > 0) {
    due += std::chrono::milliseconds(world_.faults.delay_ms);
    world_.faults.delay_ms = 0;
  }
  const int pieces = std::min<int>(std::max(world_.faults.split_pieces, 1), static_cast<int>(reply.size()));
  const auto pause = std::chrono::milliseconds(world_.faults.split_pause_ms);
  world_.faults.split_pieces = 0;
  world_.faults.split_pause_ms = 0;
  std::size_t start = 0;
  for (int i = 0; i < pieces; ++i) {
    const std::size_t end = reply.size() * static_cast<std::size_t>(i + 1) / static_cast<std::size_t>(pieces);
    session.outgoing.push_back({due + pause * i, Bytes(reply.begin() + static_cast<std::ptrdiff_t>(start),
                                                       reply.begin() + static_cast<std::ptrdiff_t>(end))});
    start = end;
  }
}

void Server::Flush(PortSession& session) {
  const Clock::time_point now = Clock::now();
  while (!session.outgoing.empty() && session.outgoing.front().due <= now && session.port.controller >= 0) {
    Outgoing& next = session.outgoing.front();
    std::size_t written = 0;
    const platform::IoResult result =
        platform::WriteAvailable(session.port.controller, next.bytes.data(), next.bytes.size(), written);
    if (result != platform::IoResult::Done) break;  // full or closed: the read side notices a close
    world_.stats.bytes_out += static_cast<long>(written);
    next.bytes.erase(next.bytes.begin(), next.bytes.begin() + static_cast<std::ptrdiff_t>(written));
    if (!next.bytes.empty()) break;
    session.outgoing.pop_front();
  }
}

void Server::AcceptControl() {
  for (;;) {
    const int socket = platform::AcceptLocal(listener_);
    if (socket < 0) return;
    clients_.push_back({socket, {}});
  }
}

void Server::ReadControl(ControlClient& client) {
  if (!platform::ReceiveSome(client.socket, client.request) || client.request.size() > kControlRequestMax) {
    platform::CloseDescriptor(client.socket);
    client.socket = -1;
    return;
  }
  const std::size_t end = client.request.find('\n');
  if (end == std::string::npos) return;
  ControlResult result;
  try {
    const nlohmann::json request = nlohmann::json::parse(client.request.substr(0, end));
    result = RunControl(request.at("args").get<std::vector<std::string>>(), world_);
  } catch (const std::exception& e) {
    result = {false, std::string("bad request: ") + e.what(), false};
  }
  const std::string answer = nlohmann::json{{"ok", result.ok}, {"output", result.output}}.dump() + "\n";
  platform::SendAll(client.socket, answer.data(), answer.size());
  platform::CloseDescriptor(client.socket);
  client.socket = -1;
  if (result.vanish) Vanish();
}

// The reader disappears: every port closes at once. A new port appears at
// the link right away, as if the reader were plugged in again.
void Server::Vanish() {
  for (auto& host : hosts_) {
    platform::CloseDescriptor(host->port.controller);
    host->port.controller = -1;
  }
  if (waiting_) platform::CloseDescriptor(waiting_->port.controller);
  waiting_.reset();
  platform::RemoveFile(options_.link.c_str());
  OpenWaitingPort();
}

void Server::SaveIfChanged() {
  if (!world_.dirty) return;
  world_.dirty = false;
  std::string error;
  if (!SaveState(options_.state, world_, error)) std::fprintf(stderr, "readersim: %s\n", error.c_str());
}

Clock::time_point Server::NextWake() const {
  Clock::time_point wake = Clock::now() + kOpenCheckInterval;
  for (const auto& host : hosts_) {
    if (!host->outgoing.empty()) wake = std::min(wake, host->outgoing.front().due);
  }
  return wake;
}

int Server::Run() {
  platform::IgnoreBrokenPipes();
  platform::WatchStopSignals();
  world_.keys = DefaultKeys();
  world_.reader.session = world_.keys.session;
  std::string error;
  if (!LoadState(options_.state, world_, error)) {
    std::fprintf(stderr, "readersim: %s\n", error.c_str());
    return 1;
  }
  if (options_.blank_reader) {
    world_.reader = ReaderKeyState{};
    world_.reader.provisioned = false;
  }
  world_.dirty = true;
  SaveIfChanged();

  listener_ = platform::ListenLocal(options_.socket);
  if (listener_ < 0) {
    std::fprintf(stderr, "readersim: cannot listen on %s\n", options_.socket.c_str());
    return 1;
  }
  if (!OpenWaitingPort()) {
    std::fprintf(stderr, "readersim: cannot create the port at %s\n", options_.link.c_str());
    return 1;
  }
  std::printf("readersim: serving at %s (control %s, state %s)\n", options_.link.c_str(), options_.socket.c_str(),
              options_.state.c_str());
  std::fflush(stdout);

  while (!platform::StopSignalled()) {
    std::vector<int> descriptors{listener_};
    for (const ControlClient& client : clients_) descriptors.push_back(client.socket);
    for (const auto& host : hosts_) descriptors.push_back(host->port.controller);
    std::vector<bool> ready;
    platform::WaitForInput(descriptors, NextWake() - Clock::now(), ready);

    if (ready[0]) AcceptControl();
    for (std::size_t i = 0; i < clients_.size(); ++i) {
      if (ready[1 + i]) ReadControl(clients_[i]);
    }
    const std::size_t host_base = 1 + clients_.size();
    for (std::size_t i = 0; i < hosts_.size(); ++i) {
      if (host_base + i < ready.size() && ready[host_base + i] && hosts_[i]->port.controller >= 0) {
        ReadHost(*hosts_[i]);
      }
    }
    const Clock::time_point now = Clock::now();
    for (auto& host : hosts_) {
      if (host->assembler.HasPartial() && now - host->last_input > kPartialFrameTimeout) {
        world_.Violation("incomplete frame of " + std::to_string(host->assembler.PartialSize()) + " bytes dropped");
        host->assembler.Clear();
      }
      Flush(*host);
    }
    std::erase_if(clients_, [](const ControlClient& c) { return c.socket < 0; });
    std::erase_if(hosts_, [](const std::unique_ptr<PortSession>& h) {
      if (h->port.controller >= 0) return false;
      std::fprintf(stderr, "readersim: host closed %s\n", h->port.device_path.c_str());
      return true;
    });
    CheckForHost();
    SaveIfChanged();
  }

  for (auto& host : hosts_) platform::CloseDescriptor(host->port.controller);
  if (waiting_) platform::CloseDescriptor(waiting_->port.controller);
  for (ControlClient& client : clients_) platform::CloseDescriptor(client.socket);
  platform::CloseDescriptor(listener_);
  platform::RemoveFile(options_.link.c_str());
  platform::RemoveFile(options_.socket.c_str());
  return 0;
}

}  // namespace

int RunServer(const ServerOptions& options) {
  Server server(options);
  return server.Run();
}

}  // namespace readersim
