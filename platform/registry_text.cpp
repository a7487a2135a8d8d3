#include "platform/registry_text.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "platform/ascii_case.h"

namespace platform {

namespace {

struct RootName {
  std::string_view name;
  RegistryRoot root;
};

constexpr std::array<RootName, 4> kRootNames{{
    {"HKEY_LOCAL_MACHINE", RegistryRoot::LocalMachine},
    {"HKLM", RegistryRoot::LocalMachine},
    {"HKEY_CURRENT_USER", RegistryRoot::CurrentUser},
    {"HKCU", RegistryRoot::CurrentUser},
}};

std::string_view Trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = FoldAsciiCase(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Reads a quoted string starting at text[0] == '"'; on success `rest` is what
// follows the closing quote.
bool ReadQuoted(std::string_view text, std::string& out, std::string_view& rest) {
  if (text.empty() || text.front() != '"') return false;
  out.clear();
  for (std::size_t i = 1; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      rest = text.substr(i + 1);
      return true;
    }
    if (c == '\\' && i + 1 < text.size()) ++i;  // \\ and \" stand for the character after the backslash
    out.push_back(text[i]);
  }
  return false;
}

bool ParseDword(std::string_view digits, std::string& out) {
  digits = Trim(digits);
  if (digits.empty() || digits.size() > 8) return false;
  std::uint32_t value = 0;
  for (const char c : digits) {
    const int digit = HexDigit(c);
    if (digit < 0) return false;
    value = value << 4 | static_cast<std::uint32_t>(digit);
  }
  out.clear();
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  return true;
}

// "aa,bb , cc" (continuation backslashes already removed) into bytes.
bool ParseHexList(std::string_view list, std::string& out) {
  out.clear();
  list = Trim(list);
  while (!list.empty()) {
    const std::size_t comma = list.find(',');
    const std::string_view item = Trim(list.substr(0, comma));
    if (item.size() != 2 || HexDigit(item[0]) < 0 || HexDigit(item[1]) < 0) return false;
    out.push_back(static_cast<char>(HexDigit(item[0]) * 16 + HexDigit(item[1])));
    if (comma == std::string_view::npos) break;
    list = Trim(list.substr(comma + 1));
  }
  return true;
}

RegistryType HexType(int kind) {
  switch (kind) {
    case 1: return RegistryType::String;
    case 2: return RegistryType::ExpandString;
    case 4: return RegistryType::Dword;
    case 3: return RegistryType::Binary;
    default: return RegistryType::Other;
  }
}

// "hex:..." or "hex(n):..." into a value.
bool ParseHex(std::string_view data, RegistryValue& value) {
  data.remove_prefix(3);  // "hex"
  int kind = 3;
  if (!data.empty() && data.front() == '(') {
    const std::size_t close = data.find(')');
    if (close == std::string_view::npos || close < 2) return false;
    kind = 0;
    for (const char c : data.substr(1, close - 1)) {
      const int digit = HexDigit(c);
      if (digit < 0 || kind > 0xFFFF) return false;
      kind = kind * 16 + digit;
    }
    data.remove_prefix(close + 1);
  }
  if (data.empty() || data.front() != ':') return false;
  value.type = HexType(kind);
  return ParseHexList(data.substr(1), value.data);
}

// Whether the next physical line continues this one (trimmed): a hex list
// may continue over several lines, each but the last ending in a backslash.
// `continuing`: this line itself continues an earlier one.
bool ContinuesOnNextLine(std::string_view line, bool continuing) {
  if (line.empty() || line.back() != '\\') return false;
  return continuing || line.find("=hex") != std::string_view::npos;
}

// Physical lines joined into logical ones.
std::vector<std::string> LogicalLines(std::string_view text) {
  std::vector<std::string> lines;
  bool continuing = false;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = Trim(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    const bool more = ContinuesOnNextLine(line, continuing);
    if (more) line.remove_suffix(1);
    if (continuing) {
      lines.back().append(line);
    } else {
      lines.emplace_back(line);
    }
    continuing = more;
  }
  return lines;
}

bool IsHeader(std::string_view line) { return line == "REGEDIT4" || line == "Windows Registry Editor Version 5.00"; }

// The root and key path of a section heading "[ROOT\path]" (or "[-ROOT\path]",
// `removal` set then); false for any other line or an unknown root.
bool ParseHeading(std::string_view line, RegistryRoot& root, std::string_view& key, bool& removal) {
  if (line.size() < 2 || line.front() != '[' || line.back() != ']') return false;
  std::string_view path = line.substr(1, line.size() - 2);
  removal = !path.empty() && path.front() == '-';
  if (removal) path.remove_prefix(1);
  const std::size_t slash = path.find('\\');
  const std::string_view root_name = path.substr(0, slash);
  const auto found = std::find_if(kRootNames.begin(), kRootNames.end(),
                                  [&](const RootName& r) { return EqualNoCase(r.name, root_name); });
  if (found == kRootNames.end()) return false;
  root = found->root;
  key = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
  return true;
}

// True when `key` is `ancestor` or lies below it.
bool WithinKey(std::string_view key, std::string_view ancestor) {
  if (ancestor.empty()) return true;
  if (!StartsWithNoCase(key, ancestor)) return false;
  return key.size() == ancestor.size() || key[ancestor.size()] == '\\';
}

}  // namespace

RegistryText RegistryText::Parse(std::string_view text) {
  RegistryText registry;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  const std::vector<std::string> lines = LogicalLines(text);
  std::size_t at = 0;
  while (at < lines.size() && lines[at].empty()) ++at;
  if (at == lines.size() || !IsHeader(lines[at])) return registry;

  bool in_key = false;  // false also while inside a key of an unknown root
  RegistryRoot root = RegistryRoot::LocalMachine;
  std::string key;
  for (++at; at < lines.size(); ++at) {
    const std::string_view line = lines[at];
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      in_key = false;
      std::string_view path;
      bool remove = false;
      if (!ParseHeading(line, root, path, remove)) continue;
      key = std::string(path);
      if (remove) {
        registry.RemoveKey(root, key);
      } else {
        in_key = true;
      }
      continue;
    }
    if (!in_key) continue;

    std::string name;
    std::string_view rest;
    if (line.front() == '@') {
      rest = line.substr(1);
    } else if (!ReadQuoted(line, name, rest)) {
      continue;
    }
    rest = Trim(rest);
    if (rest.empty() || rest.front() != '=') continue;
    const std::string_view data = Trim(rest.substr(1));

    RegistryValue value;
    if (data == "-") {
      registry.RemoveValue(root, key, name);
      continue;
    }
    if (!data.empty() && data.front() == '"') {
      std::string_view after;
      if (!ReadQuoted(data, value.data, after) || !Trim(after).empty()) continue;
      value.type = RegistryType::String;
      value.data.push_back('\0');
    } else if (StartsWithNoCase(data, "dword:")) {
      if (!ParseDword(data.substr(6), value.data)) continue;
      value.type = RegistryType::Dword;
    } else if (StartsWithNoCase(data, "hex")) {
      if (!ParseHex(data, value)) continue;
    } else {
      continue;
    }
    registry.Set(root, key, std::move(name), std::move(value));
  }
  return registry;
}

std::optional<std::string> RegistryText::WithDword(std::string_view text, RegistryRoot root, std::string_view key,
                                                   std::string_view name, std::uint32_t value) {
  const std::string_view line_end = text.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";

  // Physical lines, each with its end, and which of them continue a hex
  // list (never a heading or a value of their own, as Parse reads them).
  std::vector<std::string_view> lines;
  std::vector<bool> continuation;
  bool continuing = false;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = text.find('\n', at);
    const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
    lines.push_back(text.substr(at, next - at));
    continuation.push_back(continuing);
    continuing = ContinuesOnNextLine(Trim(text.substr(at, end - at)), continuing);
    at = next;
  }
  // The key's last section, unless a later removal takes the key away.
  std::size_t heading = lines.size();
  bool header_seen = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = Trim(lines[i].substr(0, lines[i].find('\n')));
    if (!header_seen) {
      // As Parse: a byte-order mark only at the very start of the text.
      const bool mark = i == 0 && text.substr(0, 3) == "\xEF\xBB\xBF";
      const std::string_view bare = mark ? line.substr(3) : line;
      if (bare.empty()) continue;
      if (!IsHeader(bare)) return std::nullopt;
      header_seen = true;
      continue;
    }
    if (continuation[i]) continue;
    RegistryRoot line_root = RegistryRoot::LocalMachine;
    std::string_view path;
    bool removal = false;
    if (!ParseHeading(line, line_root, path, removal) || line_root != root) continue;
    if (!removal && EqualNoCase(path, key)) heading = i;
    if (removal && WithinKey(key, path)) heading = lines.size();
  }
  if (heading == lines.size()) return std::nullopt;

  char digits[9] = {};
  for (int i = 0; i < 8; ++i) digits[i] = "0123456789abcdef"[(value >> (28 - 4 * i)) & 0xF];
  std::string escaped;
  for (const char c : name) {
    if (c == '\\' || c == '"') escaped.push_back('\\');
    escaped.push_back(c);
  }
  const std::string value_line = "\"" + escaped + "\"=dword:" + digits;

  // The value's line inside that section, if there is one.
  std::size_t replace = lines.size();
  for (std::size_t i = heading + 1; i < lines.size(); ++i) {
    if (continuation[i]) continue;
    const std::string_view line = Trim(lines[i].substr(0, lines[i].find('\n')));
    if (!line.empty() && line.front() == '[') break;
    std::string line_name;
    std::string_view rest;
    if (!ReadQuoted(line, line_name, rest) || !EqualNoCase(line_name, name)) continue;
    if (Trim(rest).substr(0, 1) != "=" || Trim(rest).back() == '\\') continue;  // a continued hex list stays
    replace = i;
  }

  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i == replace) {
      out += value_line;
      out += line_end;
      continue;
    }
    out += lines[i];
    if (i == heading) {
      if (lines[i].back() != '\n') out += line_end;
      if (replace == lines.size()) {
        out += value_line;
        out += line_end;
      }
    }
  }
  return out;
}

const RegistryValue* RegistryText::Find(RegistryRoot root, std::string_view key, std::string_view name) const {
  for (const Entry& entry : entries_) {
    if (entry.root == root && EqualNoCase(entry.key, key) && EqualNoCase(entry.name, name)) return &entry.value;
  }
  return nullptr;
}

std::vector<std::pair<std::string, RegistryValue>> RegistryText::ValuesOf(RegistryRoot root,
                                                                          std::string_view key) const {
  std::vector<std::pair<std::string, RegistryValue>> values;
  for (const Entry& entry : entries_) {
    if (entry.root == root && EqualNoCase(entry.key, key)) values.emplace_back(entry.name, entry.value);
  }
  return values;
}

void RegistryText::Set(RegistryRoot root, std::string_view key, std::string name, RegistryValue value) {
  for (Entry& entry : entries_) {
    if (entry.root == root && EqualNoCase(entry.key, key) && EqualNoCase(entry.name, name)) {
      entry.value = std::move(value);
      return;
    }
  }
  entries_.push_back(Entry{root, std::string(key), std::move(name), std::move(value)});
}

void RegistryText::RemoveValue(RegistryRoot root, std::string_view key, std::string_view name) {
  std::erase_if(entries_, [&](const Entry& entry) {
    return entry.root == root && EqualNoCase(entry.key, key) && EqualNoCase(entry.name, name);
  });
}

void RegistryText::RemoveKey(RegistryRoot root, std::string_view key) {
  std::erase_if(entries_, [&](const Entry& entry) {
    if (entry.root != root) return false;
    if (key.empty()) return true;
    if (!StartsWithNoCase(entry.key, key)) return false;
    return entry.key.size() == key.size() || entry.key[key.size()] == '\\';
  });
}

}  // namespace platform
