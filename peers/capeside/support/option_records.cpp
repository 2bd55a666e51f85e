#include "capeside/support/option_records.h"

#include <cstdio>

#include "comlite/bstr.h"

namespace capeside {

namespace {

constexpr std::u16string_view kSep = u" : ";
constexpr std::u16string_view kEnd = u" , ";

bool sameKey(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i], y = b[i];
    if (x >= u'A' && x <= u'Z') x = static_cast<char16_t>(x - u'A' + u'a');
    if (y >= u'A' && y <= u'Z') y = static_cast<char16_t>(y - u'A' + u'a');
    if (x != y) return false;
  }
  return true;
}

//! Reads a decimal number at `pos` (leading blanks allowed); advances `pos`.
std::optional<long> readNumber(std::u16string_view s, std::size_t& pos) {
  while (pos < s.size() && s[pos] == u' ') ++pos;
  const std::size_t start = pos;
  long n = 0;
  while (pos < s.size() && s[pos] >= u'0' && s[pos] <= u'9') {
    n = n * 10 + (s[pos] - u'0');
    if (n > 100000000) return std::nullopt;
    ++pos;
  }
  if (pos == start) return std::nullopt;
  return n;
}

//! The header's count and the position after its ':'.
std::optional<std::pair<long, std::size_t>> readHeader(std::u16string_view list) {
  std::size_t pos = 0;
  auto count = readNumber(list, pos);
  if (!count) return std::nullopt;
  if (list.substr(pos, 2) != u" :") return std::nullopt;
  return std::make_pair(*count, pos + 2);
}

//! One record at `pos`: key and value; advances `pos` past its " , ".
std::optional<Record> readRecord(std::u16string_view list, std::size_t& pos) {
  const std::size_t keyEnd = list.find(kSep, pos);
  if (keyEnd == std::u16string_view::npos || keyEnd == pos) return std::nullopt;
  std::u16string key(list.substr(pos, keyEnd - pos));
  if (key.find(u' ') != std::u16string::npos) return std::nullopt;
  std::size_t p = keyEnd + kSep.size();
  auto length = readNumber(list, p);
  if (!length || list.substr(p, kSep.size()) != kSep) return std::nullopt;
  p += kSep.size();
  if (p + static_cast<std::size_t>(*length) + kEnd.size() > list.size()) return std::nullopt;
  std::u16string value(list.substr(p, static_cast<std::size_t>(*length)));
  p += static_cast<std::size_t>(*length);
  if (list.substr(p, kEnd.size()) != kEnd) return std::nullopt;
  pos = p + kEnd.size();
  return Record{std::move(key), std::move(value)};
}

}  // namespace

void appendRecord(std::u16string& list, std::u16string_view key, std::u16string_view value) {
  long count = 0;
  if (list.empty()) {
    list = u"  0 :";
  } else if (auto header = readHeader(list)) {
    count = header->first;
  }
  list += key;
  list += kSep;
  const std::string length = std::to_string(value.size());
  list += std::u16string(length.begin(), length.end());
  list += kSep;
  list += value;
  list += kEnd;
  char head[24];
  std::snprintf(head, sizeof head, "%3ld", count + 1);
  for (int i = 0; i < 3 && head[i]; ++i) list[static_cast<std::size_t>(i)] = head[i];
}

std::optional<std::u16string> findRecord(std::u16string_view list, std::u16string_view key) {
  auto header = readHeader(list);
  if (!header) return std::nullopt;
  std::size_t pos = header->second;
  for (long i = 0; i < header->first; ++i) {
    auto record = readRecord(list, pos);
    if (!record) return std::nullopt;
    if (sameKey(record->first, key)) return record->second;
  }
  return std::nullopt;
}

std::optional<std::vector<Record>> parseRecords(std::u16string_view list) {
  if (list.empty()) return std::vector<Record>{};
  auto header = readHeader(list);
  if (!header) return std::nullopt;
  std::vector<Record> out;
  std::size_t pos = header->second;
  for (long i = 0; i < header->first; ++i) {
    auto record = readRecord(list, pos);
    if (!record) return std::nullopt;
    out.push_back(std::move(*record));
  }
  return out;
}

void appendRecord(std::u16string& list, std::string_view key, std::string_view value) {
  appendRecord(list, comlite::utf8ToUtf16(key), comlite::utf8ToUtf16(value));
}

std::optional<std::string> findRecordUtf8(std::u16string_view list, std::string_view key) {
  auto v = findRecord(list, comlite::utf8ToUtf16(key));
  if (!v) return std::nullopt;
  return comlite::utf16ToUtf8(*v);
}

}  // namespace capeside
