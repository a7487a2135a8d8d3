#include "platform/registry_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using platform::RegistryRoot;
using platform::RegistryText;
using platform::RegistryType;

constexpr RegistryRoot kMachine = RegistryRoot::LocalMachine;

std::string StringOf(const RegistryText& registry, const char* key, const char* name) {
  const platform::RegistryValue* value = registry.Find(kMachine, key, name);
  if (value == nullptr) return "<missing>";
  EXPECT_EQ(value->type, RegistryType::String);
  return value->data;
}

TEST(RegistryText, ValuesOfAnExportedFile) {
  const RegistryText registry = RegistryText::Parse(
      "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
      "\r\n"
      "; the reader\r\n"
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Ser2dw\\Enum]\r\n"
      "\"0\"=\"USB\\\\VID_1234&PID_5678\\\\5&1\"\r\n"
      "\"Count\"=dword:0000002a\r\n"
      "@=\"default \\\"quoted\\\"\"\r\n"
      "\"Blob\"=hex:01,02,\\\r\n"
      "  03,ff\r\n"
      "\"Path\"=hex(2):41,00\r\n"
      "\r\n"
      "[HKEY_CURRENT_USER\\Software\\Pellam]\r\n"
      "\"0\"=\"user\"\r\n");
  const char* key = "SYSTEM\\CurrentControlSet\\Services\\Ser2dw\\Enum";
  EXPECT_EQ(StringOf(registry, key, "0"), std::string("USB\\VID_1234&PID_5678\\5&1\0", 26));
  EXPECT_EQ(StringOf(registry, key, ""), std::string("default \"quoted\"\0", 17));
  const platform::RegistryValue* count = registry.Find(kMachine, key, "count");
  ASSERT_NE(count, nullptr);
  EXPECT_EQ(count->type, RegistryType::Dword);
  EXPECT_EQ(count->data, std::string("\x2A\0\0\0", 4));
  const platform::RegistryValue* blob = registry.Find(kMachine, key, "Blob");
  ASSERT_NE(blob, nullptr);
  EXPECT_EQ(blob->type, RegistryType::Binary);
  EXPECT_EQ(blob->data, "\x01\x02\x03\xFF");
  EXPECT_EQ(registry.Find(kMachine, key, "Path")->type, RegistryType::ExpandString);
  EXPECT_EQ(registry.Find(RegistryRoot::CurrentUser, "software\\pellam", "0")->data, std::string("user\0", 5));
  EXPECT_EQ(registry.Find(kMachine, "Software\\Pellam", "0"), nullptr) << "roots are apart";
  EXPECT_EQ(StringOf(registry, "system\\currentcontrolset\\services\\SER2DW\\enum", "0").substr(0, 3), "USB")
      << "keys match without regard to case";
}

TEST(RegistryText, OlderHeaderAbbreviatedRootsAndLaterLinesWin) {
  const RegistryText registry = RegistryText::Parse(
      "REGEDIT4\n"
      "[HKLM\\A]\n"
      "\"x\"=\"1\"\n"
      "\"y\"=\"2\"\n"
      "[HKEY_LOCAL_MACHINE\\a]\n"
      "\"X\"=\"3\"\n"
      "\"y\"=-\n");
  EXPECT_EQ(StringOf(registry, "A", "x"), std::string("3\0", 2));
  EXPECT_EQ(registry.Find(kMachine, "A", "y"), nullptr);
  EXPECT_EQ(registry.ValuesOf(kMachine, "a").size(), 1u);
}

TEST(RegistryText, RemovedKeysTakeTheirSubkeys) {
  const RegistryText registry = RegistryText::Parse(
      "REGEDIT4\n"
      "[HKEY_LOCAL_MACHINE\\A\\B]\n\"v\"=\"1\"\n"
      "[HKEY_LOCAL_MACHINE\\A\\B\\C]\n\"v\"=\"2\"\n"
      "[HKEY_LOCAL_MACHINE\\A\\BC]\n\"v\"=\"3\"\n"
      "[-HKEY_LOCAL_MACHINE\\A\\B]\n"
      "\"w\"=\"outside any key\"\n");
  EXPECT_EQ(registry.Find(kMachine, "A\\B", "v"), nullptr);
  EXPECT_EQ(registry.Find(kMachine, "A\\B\\C", "v"), nullptr);
  EXPECT_NE(registry.Find(kMachine, "A\\BC", "v"), nullptr);
  EXPECT_EQ(registry.Find(kMachine, "A\\B", "w"), nullptr);
}

TEST(RegistryText, WhatCannotBeReadIsSkipped) {
  const RegistryText registry = RegistryText::Parse(
      "REGEDIT4\n"
      "\"before\"=\"any key\"\n"
      "[HKEY_CLASSES_ROOT\\X]\n\"v\"=\"other root\"\n"
      "[HKEY_LOCAL_MACHINE\\K]\n"
      "\"open\"=\"no closing quote\n"
      "\"trail\"=\"x\" junk\n"
      "\"dword\"=dword:123456789\n"
      "\"notdword\"=dword:xyz\n"
      "\"hex\"=hex:1,02\n"
      "noquote=\"v\"\n"
      "\"good\"=\"yes\"\n");
  EXPECT_EQ(registry.ValuesOf(kMachine, "K").size(), 1u);
  EXPECT_EQ(StringOf(registry, "K", "good"), std::string("yes\0", 4));

  EXPECT_EQ(RegistryText::Parse("[HKEY_LOCAL_MACHINE\\K]\n\"good\"=\"yes\"\n").Find(kMachine, "K", "good"), nullptr)
      << "no header: not a registry file";
  EXPECT_EQ(RegistryText::Parse("").Find(kMachine, "K", "good"), nullptr);
}

TEST(RegistryText, ADwordIsSetOnlyInWhatParsesAsARegistryFile) {
  const std::string marked = "\xEF\xBB\xBF\nREGEDIT4\n[HKLM\\K]\n";
  const auto set = RegistryText::WithDword(marked, kMachine, "K", "n", 7);
  ASSERT_TRUE(set.has_value());
  EXPECT_NE(RegistryText::Parse(*set).Find(kMachine, "K", "n"), nullptr);
  // A mark after a blank line is no header: Parse reads nothing there.
  EXPECT_FALSE(RegistryText::WithDword("\n\xEF\xBB\xBFREGEDIT4\n[HKLM\\K]\n", kMachine, "K", "n", 7));

  // A line after a hex list's closing backslash continues that list, even one
  // that looks like a heading or a value: the value goes where Parse finds it.
  const std::string continued =
      "REGEDIT4\n[HKLM\\K]\n\"n\"=dword:1\n[HKLM\\J]\n\"h\"=hex:01,\\\n[HKLM\\K]\n\"n\"=dword:2\n";
  const auto placed = RegistryText::WithDword(continued, kMachine, "K", "n", 7);
  ASSERT_TRUE(placed.has_value());
  const RegistryText read = RegistryText::Parse(*placed);
  ASSERT_NE(read.Find(kMachine, "K", "n"), nullptr);
  EXPECT_EQ(read.Find(kMachine, "K", "n")->data, std::string("\x07\0\0\0", 4));
  EXPECT_FALSE(RegistryText::WithDword("REGEDIT4\n[HKLM\\J]\n\"h\"=hex:01,\\\n[HKLM\\K]\n", kMachine, "K", "n", 7));
}

}  // namespace
