#include "setup/qo_utils.h"

#include <array>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>
#include <system_error>

#include "comlite/platform.h"
#include "base/message_output.h"
#include "base/module_files.h"
#include "base/name_compare.h"

namespace {

struct ProcessFacts {
  std::recursive_mutex mutex;
  bool computed = false;
  LONG hostVersion = 0;
  LONG companionVersion = 0;
  std::array<std::optional<std::string>, QoUtils::kTableSlots> names;
  std::array<std::optional<std::string>, QoUtils::kTableSlots> casNumbers;
};

ProcessFacts& facts() {
  static ProcessFacts f;
  return f;
}

std::string baseName(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

//! Whether the program itself or a loaded library carries one of the names a Windows module
//! "<name>.exe" can have here.
bool moduleLoaded(const std::string& name) {
  std::error_code ec;
  const std::string program = baseName(std::filesystem::read_symlink("/proc/self/exe", ec));
  if (!ec && (program == name || program == name + ".exe")) return true;
  return !comlite::loadedModulePath(name).empty() ||
         !comlite::loadedModulePath(name + ".exe").empty();
}

//! One record of the CAS-number file, scanned from `text` at `pos` as the C format
//! "%d, %s %s" scans a stream: numbers and strings skip leading white space, the comma must
//! follow the number directly, strings end at white space. Strings are not bounded here, so
//! an overlong one is caught by its length instead of overrunning a buffer.
struct CasRecord {
  int fields = 0;  //!< conversions made; -1 when the input ended before the first one
  long long id = 0;
  std::string name, casNumber;
};

bool isBlank(char c) {
  return std::isspace(static_cast<unsigned char>(c)) != 0;
}

void skipBlanks(const std::string& text, std::size_t& pos) {
  while (pos < text.size() && isBlank(text[pos])) ++pos;
}

bool scanString(const std::string& text, std::size_t& pos, std::string& out) {
  skipBlanks(text, pos);
  const std::size_t start = pos;
  while (pos < text.size() && !isBlank(text[pos])) ++pos;
  out.assign(text, start, pos - start);
  return pos > start;
}

CasRecord scanRecord(const std::string& text, std::size_t& pos) {
  CasRecord r;
  skipBlanks(text, pos);
  if (pos >= text.size()) {
    r.fields = -1;
    return r;
  }
  std::size_t digits = pos;
  if (text[digits] == '+' || text[digits] == '-') ++digits;
  const std::size_t firstDigit = digits;
  while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits]))) ++digits;
  if (digits == firstDigit) return r;
  const char* begin = text.data() + pos + (text[pos] == '+' ? 1 : 0);
  const auto [end, err] = std::from_chars(begin, text.data() + digits, r.id);
  if (err != std::errc()) r.id = 0;  // out of range: no slot either way
  (void)end;
  pos = digits;
  r.fields = 1;
  if (pos >= text.size() || text[pos] != ',') return r;
  ++pos;
  if (!scanString(text, pos, r.name)) return r;
  r.fields = 2;
  if (!scanString(text, pos, r.casNumber)) return r;
  r.fields = 3;
  return r;
}

}  // namespace

LONG QoUtils::hostVersion() {
  ensureComputed();
  return facts().hostVersion;
}

LONG QoUtils::companionVersion() {
  ensureComputed();
  return facts().companionVersion;
}

bool QoUtils::isHypothetical(LONG hostId) {
  ensureComputed();
  return hostId >= kFirstHypotheticalId;
}

bool QoUtils::compoundNamesMatch(std::u16string_view a, std::u16string_view b) {
  if (a.empty() || b.empty()) return false;
  if (a.size() == b.size()) return Utils::namesEqual(a, b);
  if (a.size() < b.size()) std::swap(a, b);
  return a.size() == b.size() + 1 && a.back() == u'*' &&
         Utils::namesEqual(a.substr(0, b.size()), b);
}

bool QoUtils::compoundNamesMatch(const OLECHAR* a, const OLECHAR* b) {
  return compoundNamesMatch(a ? std::u16string_view(a) : std::u16string_view(),
                            b ? std::u16string_view(b) : std::u16string_view());
}

bool QoUtils::compoundNamesMatch(std::string_view a, std::string_view b) {
  if (a.empty() || b.empty()) return false;
  if (a.size() == b.size()) return Utils::namesEqual(a, b);
  if (a.size() < b.size()) std::swap(a, b);
  return a.size() == b.size() + 1 && a.back() == '*' && Utils::namesEqual(a.substr(0, b.size()), b);
}

LONG QoUtils::tableSlot(LONG hostId) {
  if (hostId >= 1 && hostId <= 999) return hostId;
  if (hostId >= 3000 && hostId <= 3768) return hostId - 2000;
  return -1;
}

std::optional<std::string> QoUtils::tableName(LONG hostId) {
  ensureComputed();
  const LONG slot = tableSlot(hostId);
  if (slot < 0) return std::nullopt;
  std::lock_guard lock(facts().mutex);
  return facts().names[static_cast<std::size_t>(slot)];
}

std::optional<std::string> QoUtils::tableCasNumber(LONG hostId) {
  ensureComputed();
  const LONG slot = tableSlot(hostId);
  if (slot < 0) return std::nullopt;
  std::lock_guard lock(facts().mutex);
  return facts().casNumbers[static_cast<std::size_t>(slot)];
}

LONG QoUtils::versionFromText(std::string_view versionText) {
  LONG numbers[2] = {0, 0};
  int found = 0;
  std::size_t i = 0;
  while (found < 2 && i < versionText.size()) {
    if (!std::isdigit(static_cast<unsigned char>(versionText[i]))) {
      ++i;
      continue;
    }
    LONG value = 0;
    while (i < versionText.size() && std::isdigit(static_cast<unsigned char>(versionText[i]))) {
      if (value < 100000) value = value * 10 + (versionText[i] - '0');
      ++i;
    }
    numbers[found++] = value;
  }
  return numbers[0] * 100 + numbers[1] * 10;
}

LONG QoUtils::applicationVersion(const std::string& baseName, const char* versionVariable) {
  if (!moduleLoaded(baseName)) return 0;
  const auto text = versionVariable ? comlite::environmentValue(versionVariable) : std::nullopt;
  return text ? versionFromText(*text) : 0;
}

LONG QoUtils::readCasNumberFile(const std::string& path) {
  ProcessFacts& f = facts();
  std::lock_guard lock(f.mutex);
  for (auto& n : f.names) n.reset();
  for (auto& c : f.casNumbers) c.reset();

  std::ifstream in(path, std::ios::binary);
  if (!in) {
    Utils::popUpStatus("Cannot open DltCASnos.txt");
    return 0;
  }
  LONG counter = 1;
  try {
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::size_t pos = 0;
    for (;;) {
      CasRecord r = scanRecord(text, pos);
      if (r.fields <= 0) {
        if (counter < kExpectedCompounds) {
          std::ostringstream warning;
          warning << "WARNING: only " << counter << " compounds (" << kExpectedCompounds
                  << " were expected) were read from file DltCASnos.txt. ";
          Utils::showMessage(warning.str().c_str(), "", Utils::kStylePlain);
        }
        break;
      }
      if (r.fields < 3) {
        Utils::popUpStatus("could not read 3 fields of one line");
        break;
      }
      if (r.name.size() > kMaxNameLength) {
        Utils::popUpStatus("component name too long");
        break;
      }
      if (r.casNumber.size() > kMaxCasLength) {
        Utils::popUpStatus("casno name too long");
        break;
      }
      if (!r.name.empty() && r.name.back() == ',') r.name.pop_back();
      // An id outside both ranges has nowhere to go; it is not counted as stored.
      const LONG slot = (r.id >= 1 && r.id <= 3768) ? tableSlot(static_cast<LONG>(r.id)) : -1;
      if (slot < 0) continue;
      f.names[static_cast<std::size_t>(slot)] = r.name;
      if (r.casNumber == "NULL")
        f.casNumbers[static_cast<std::size_t>(slot)].reset();
      else
        f.casNumbers[static_cast<std::size_t>(slot)] = r.casNumber;
      ++counter;
    }
  } catch (...) {
    Utils::popUpStatus("problem reading component list");
  }
  return counter;
}

void QoUtils::resetForTests() {
  ProcessFacts& f = facts();
  std::lock_guard lock(f.mutex);
  f.computed = false;
  f.hostVersion = 0;
  f.companionVersion = 0;
  for (auto& n : f.names) n.reset();
  for (auto& c : f.casNumbers) c.reset();
}

void QoUtils::setVersionsForTests(LONG hostVersion, LONG companionVersion) {
  ProcessFacts& f = facts();
  std::lock_guard lock(f.mutex);
  f.computed = true;
  f.hostVersion = hostVersion;
  f.companionVersion = companionVersion;
}

void QoUtils::ensureComputed() {
  ProcessFacts& f = facts();
  std::lock_guard lock(f.mutex);
  if (f.computed) return;
  // Marked first: a notice shown while reading must not start the computation again.
  f.computed = true;
  const std::string directory = Utils::moduleDirectory();
  readCasNumberFile(directory + "/" + kCasFileName);
  f.hostVersion = applicationVersion("quorel", kHostVersionVariable);
  f.companionVersion = applicationVersion("kestrow", kCompanionVersionVariable);
}
