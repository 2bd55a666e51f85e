#include "setup/option_records.h"

#include <locale.h>
#include <stdlib.h>

#include <cstdio>

#include "comlite/bstr.h"
#include "comlite/variant.h"
#include "base/name_compare.h"
#include "base/set_get.h"

namespace coravl::setup {

namespace {

constexpr std::u16string_view kFieldSeparator = u" : ";
constexpr std::u16string_view kRecordEnd = u" , ";
constexpr std::u16string_view kHeaderEnd = u" :";
//! Larger numbers are not read: no list of that size is written, and the bound keeps the
//! arithmetic on positions far from overflow.
constexpr std::size_t kMaxNumber = 100000000;

//! A decimal number at `pos` after optional blanks; advances `pos` past it.
std::optional<std::size_t> readNumber(std::u16string_view s, std::size_t& pos) {
  std::size_t p = pos;
  while (p < s.size() && s[p] == u' ') ++p;
  const std::size_t start = p;
  std::size_t n = 0;
  while (p < s.size() && s[p] >= u'0' && s[p] <= u'9') {
    n = n * 10 + static_cast<std::size_t>(s[p] - u'0');
    if (n > kMaxNumber) return std::nullopt;
    ++p;
  }
  if (p == start) return std::nullopt;
  pos = p;
  return n;
}

struct Header {
  std::size_t count = 0;
  std::size_t numberEnd = 0;     //!< where " :" starts: the width of the number field
  std::size_t recordsStart = 0;  //!< just after the ':'
};

std::optional<Header> readHeader(std::u16string_view list) {
  std::size_t pos = 0;
  const auto count = readNumber(list, pos);
  if (!count || list.substr(pos, kHeaderEnd.size()) != kHeaderEnd) return std::nullopt;
  return Header{*count, pos, pos + kHeaderEnd.size()};
}

struct Record {
  std::u16string_view key;
  std::u16string_view value;
  //! The value is followed by " , ", so the next record starts at `next`.
  bool terminated = false;
  std::size_t next = 0;
};

//! The record at `pos`; nullopt when its key or length cannot be read or its value does not fit
//! in the text.
std::optional<Record> readRecord(std::u16string_view list, std::size_t pos) {
  std::size_t keyEnd = pos;
  while (keyEnd < list.size() && list[keyEnd] != u' ') ++keyEnd;
  if (keyEnd == pos || list.substr(keyEnd, kFieldSeparator.size()) != kFieldSeparator)
    return std::nullopt;
  std::size_t p = keyEnd + kFieldSeparator.size();
  const auto length = readNumber(list, p);
  if (!length || list.substr(p, kFieldSeparator.size()) != kFieldSeparator) return std::nullopt;
  p += kFieldSeparator.size();
  if (*length > list.size() - p) return std::nullopt;
  Record r;
  r.key = list.substr(pos, keyEnd - pos);
  r.value = list.substr(p, *length);
  p += *length;
  r.terminated = list.substr(p, kRecordEnd.size()) == kRecordEnd;
  r.next = p + kRecordEnd.size();
  return r;
}

//! Calls `visit` for each record that can be read, in order, while it returns true. RETURNS:
//! the position after the last record visited when every counted record was read and
//! terminated; nullopt otherwise (unreadable header, a bad record, or the walk was stopped).
template <class Visit>
std::optional<std::size_t> walkRecords(std::u16string_view list, Visit&& visit) {
  const auto header = readHeader(list);
  if (!header) return std::nullopt;
  std::size_t pos = header->recordsStart;
  for (std::size_t i = 0; i < header->count; ++i) {
    const auto record = readRecord(list, pos);
    if (!record) return std::nullopt;
    if (!visit(*record)) return std::nullopt;
    if (!record->terminated) return std::nullopt;
    pos = record->next;
  }
  return pos;
}

std::u16string headerNumber(std::size_t count) {
  char text[24];
  std::snprintf(text, sizeof text, "%3zu", count);
  return comlite::utf8ToUtf16(text);
}

}  // namespace

std::optional<std::size_t> recordCount(std::u16string_view list) {
  if (list.empty()) return 0;
  const auto header = readHeader(list);
  if (!header) return std::nullopt;
  return header->count;
}

bool isRecordList(std::u16string_view list) {
  if (list.empty()) return true;
  const auto end = walkRecords(list, [](const Record&) { return true; });
  return end && *end == list.size();
}

bool isRecordKey(std::u16string_view key) {
  return !key.empty() && key.find(u' ') == std::u16string_view::npos;
}

bool appendRecord(std::u16string& list, std::u16string_view key, std::u16string_view value) {
  if (!isRecordKey(key) || !isRecordList(list)) return false;
  std::u16string out = list.empty() ? std::u16string(kEmptyRecordList) : list;
  const Header header = *readHeader(out);
  out += key;
  out += kFieldSeparator;
  out += comlite::utf8ToUtf16(std::to_string(value.size()));
  out += kFieldSeparator;
  out += value;
  out += kRecordEnd;
  out.replace(0, header.numberEnd, headerNumber(header.count + 1));
  list = std::move(out);
  return true;
}

bool appendVariantRecord(std::u16string& list, std::u16string_view key, const VARIANT& value) {
  const std::string text =
      SetGet::variantToStr(value, nullptr, false, true, SetGet::kDefaultDigits);
  return appendRecord(list, key, std::u16string_view(comlite::utf8ToUtf16(text)));
}

bool appendBoolRecord(std::u16string& list, std::u16string_view key, bool value) {
  return appendVariantRecord(list, key, comlite::Variant::fromBool(value));
}

std::optional<std::u16string_view> findRecord(std::u16string_view list, std::u16string_view key) {
  std::optional<std::u16string_view> found;
  walkRecords(list, [&](const Record& r) {
    if (Utils::namesEqual(r.key, key)) found = r.value;
    return !found;
  });
  return found;
}

std::optional<std::u16string_view> findLastRecord(std::u16string_view list,
                                                  std::u16string_view key) {
  std::optional<std::u16string_view> found;
  walkRecords(list, [&](const Record& r) {
    if (Utils::namesEqual(r.key, key)) found = r.value;
    return true;
  });
  return found;
}

double recordNumber(std::u16string_view value) {
  // The host may have switched the process to a locale with a decimal comma; the records are
  // written with a point.
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
  const std::string text = comlite::utf16ToUtf8(value);
  return cLocale ? strtod_l(text.c_str(), nullptr, cLocale) : std::atof(text.c_str());
}

bool readBoolRecord(std::u16string_view list, std::u16string_view key, bool defaultValue) {
  const auto value = findLastRecord(list, key);
  if (!value || value->empty()) return defaultValue;
  return recordNumber(*value) != 0.0;
}

}  // namespace coravl::setup
