// A site's key file, written by scripts/make-site-keys from site_keys.txt and
// compiled into a core of its own: it holds the listed keys in their order,
// and it opens a reader that holds the site's session keys but not one that
// holds the development keys.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cardlib/card_keys.h"
#include "cardlib/device.h"
#include "cardlib/system_port.h"
#include "tests/cardlib/map_registry.h"
#include "tests/support/simulator_process.h"
#include "tests/support/temp_dir.h"

namespace {

std::vector<std::string> ListedKeys() {
  std::ifstream list(SITE_KEY_LIST);
  std::vector<std::string> keys;
  for (std::string line; std::getline(list, line);) {
    std::istringstream words(line.substr(0, line.find('#')));
    std::string key;
    if (words >> key) keys.push_back(key);
  }
  return keys;
}

TEST(SiteKeys, KeyFileFromTheListOpensOnlyAReaderWithTheSiteKeys) {
  const std::vector<std::string> listed = ListedKeys();
  std::vector<std::uint8_t> bytes;  // S1..S3, P1..P3, card slots 0..10: the order of KeyMaterial
  for (const std::string& key : listed) {
    for (std::size_t i = 0; i < 16; i += 2) bytes.push_back(std::stoi(key.substr(i, 2), nullptr, 16));
  }
  ASSERT_EQ(bytes.size(), sizeof(corvex::KeyMaterial));
  EXPECT_EQ(std::memcmp(bytes.data(), &corvex::CompiledKeys(), bytes.size()), 0) << "the keys as listed";

  testing_support::TempDir dir;
  testing_support::SimulatorProcess sim(READERSIM_PATH, dir.path().string());
  ASSERT_TRUE(sim.ok());
  testing_support::MapRegistry registry;
  corvex::SystemPort port;
  corvex::Device device(port, registry);
  ASSERT_TRUE(sim.Do("reader provisioned"));  // the development keys
  EXPECT_NE(device.Open(nullptr, sim.link().c_str()), 0);
  EXPECT_EQ(device.LastErrorDetail(), 0x2116982u) << "the reader's refusal of the proof";
  EXPECT_FALSE(device.IsOpen());

  ASSERT_TRUE(sim.Do("reader keys " + listed[0] + " " + listed[1] + " " + listed[2]));
  ASSERT_EQ(device.Open(nullptr, sim.link().c_str()), 0) << std::hex << device.LastErrorDetail();
  EXPECT_EQ(device.Close(), 0);
  const nlohmann::json stats = sim.Stats();
  EXPECT_EQ(stats["commands"]["reader:89"], 1) << "the card keys were registered once";
  EXPECT_TRUE(stats["violations"].empty()) << stats["violations"].dump(1);
}

}  // namespace
