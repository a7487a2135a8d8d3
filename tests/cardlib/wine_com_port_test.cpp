// Unloading the shipped Corvex.dll under Wine closes the device it opened.
// Run by wine_com_test.sh on a COM port that Wine maps to the reader
// simulator, found through the reader driver's registry entries; the script
// checks that the simulator saw the closing. The library is loaded by hand so
// that the test can unload it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(WineComPort, FreeingTheLibraryClosesTheDevice) {
  HMODULE corvex = ::LoadLibraryA("Corvex.dll");
  ASSERT_NE(corvex, nullptr);
  using OpenDevice = std::int32_t (*)(const char*, const char*);
  const auto open = reinterpret_cast<OpenDevice>(reinterpret_cast<void*>(::GetProcAddress(corvex, "GenOpenDevice")));
  ASSERT_NE(open, nullptr);
  ASSERT_EQ(open("PR300", nullptr), 0);
  EXPECT_TRUE(::FreeLibrary(corvex));
}

}  // namespace
