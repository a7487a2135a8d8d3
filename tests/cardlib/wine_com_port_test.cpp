// Unloading the shipped Corvex.dll under Wine closes the device it opened.
// Run by wine_com_harness on a COM port that Wine maps to the reader
// simulator; the harness checks that the simulator saw the closing. The
// library is loaded by hand so that the test can unload it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

TEST(WineComPort, FreeingTheLibraryClosesTheDevice) {
  const char* port = std::getenv("PELLAM_TEST_COM_PORT");
  ASSERT_NE(port, nullptr) << "run by wine_com_harness";
  HMODULE corvex = ::LoadLibraryA("Corvex.dll");
  ASSERT_NE(corvex, nullptr);
  using OpenDevice = std::int32_t (*)(const char*, const char*);
  const auto open = reinterpret_cast<OpenDevice>(reinterpret_cast<void*>(::GetProcAddress(corvex, "GenOpenDevice")));
  ASSERT_NE(open, nullptr);
  ASSERT_EQ(open(nullptr, (std::string("\\\\.\\") + port).c_str()), 0);
  EXPECT_TRUE(::FreeLibrary(corvex));
}

}  // namespace
