#include "platform/registry_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using platform::RegistryRoot;
using platform::RegistryText;
using platform::RegistryType;

constexpr RegistryRoot kMachine = RegistryRoot::LocalMachine;

std::string DataOf(const RegistryText& registry, const char* key, const char* name,
                   RegistryType type = RegistryType::String) {
  const platform::RegistryValue* value = registry.Find(kMachine, key, name);
  if (value == nullptr) return "<missing>";
  EXPECT_EQ(value->type, type) << name;
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
  EXPECT_EQ(DataOf(registry, key, "0"), std::string("USB\\VID_1234&PID_5678\\5&1\0", 26));
  EXPECT_EQ(DataOf(registry, key, ""), std::string("default \"quoted\"\0", 17));
  EXPECT_EQ(DataOf(registry, key, "count", RegistryType::Dword), std::string("\x2A\0\0\0", 4));
  EXPECT_EQ(DataOf(registry, key, "Blob", RegistryType::Binary), "\x01\x02\x03\xFF");
  EXPECT_EQ(DataOf(registry, key, "Path", RegistryType::ExpandString), std::string("A\0", 2));
  EXPECT_EQ(registry.Find(RegistryRoot::CurrentUser, "software\\pellam", "0")->data, std::string("user\0", 5));
  EXPECT_EQ(registry.Find(kMachine, "Software\\Pellam", "0"), nullptr) << "roots are apart";
  EXPECT_EQ(DataOf(registry, "system\\currentcontrolset\\services\\SER2DW\\enum", "0").substr(0, 3), "USB")
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
  EXPECT_EQ(DataOf(registry, "A", "x"), std::string("3\0", 2));
  EXPECT_EQ(registry.Find(kMachine, "A", "y"), nullptr);
  EXPECT_EQ(registry.ValuesOf(kMachine, "a").size(), 1u);
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
  EXPECT_EQ(DataOf(registry, "K", "good"), std::string("yes\0", 4));

  EXPECT_EQ(RegistryText::Parse("[HKEY_LOCAL_MACHINE\\K]\n\"good\"=\"yes\"\n").Find(kMachine, "K", "good"), nullptr)
      << "no header: not a registry file";
  EXPECT_EQ(RegistryText::Parse("").Find(kMachine, "K", "good"), nullptr);
}

}  // namespace
