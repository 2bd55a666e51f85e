#include "comlite/registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>

namespace comlite::registry {

namespace {

constexpr const char* kHeader = "; coravl class registry 1";
constexpr const char* kTrailer = "; end";

char lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

//! Removes leading, trailing and doubled backslashes so that paths compare reliably.
std::string normaliseKey(const std::string& key) {
  std::string out;
  out.reserve(key.size());
  for (char c : key) {
    if (c == '\\' && (out.empty() || out.back() == '\\')) continue;
    out.push_back(c);
  }
  while (!out.empty() && out.back() == '\\') out.pop_back();
  return out;
}

bool startsWithNoCase(const std::string& s, const std::string& prefix) {
  if (s.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (lower(s[i]) != lower(prefix[i])) return false;
  return true;
}

std::string quote(const std::string& v) {
  std::string out = "\"";
  for (char c : v) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        out.push_back(c);
    }
  }
  out.push_back('"');
  return out;
}

bool unquote(const std::string& text, std::string& out) {
  if (text.size() < 2 || text.front() != '"' || text.back() != '"') return false;
  out.clear();
  for (std::size_t i = 1; i + 1 < text.size(); ++i) {
    char c = text[i];
    if (c == '"') return false;
    if (c != '\\') {
      out.push_back(c);
      continue;
    }
    if (i + 2 >= text.size()) return false;
    switch (text[++i]) {
      case '\\':
        out.push_back('\\');
        break;
      case '"':
        out.push_back('"');
        break;
      case 'n':
        out.push_back('\n');
        break;
      case 'r':
        out.push_back('\r');
        break;
      case 't':
        out.push_back('\t');
        break;
      default:
        return false;
    }
  }
  return true;
}

std::string nameToken(const std::string& name) {
  return name.empty() ? "@" : quote(name);
}

}  // namespace

bool NoCaseLess::operator()(const std::string& a, const std::string& b) const {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    char x = lower(a[i]), y = lower(b[i]);
    if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
  }
  return a.size() < b.size();
}

bool Data::hasKey(const std::string& key) const {
  const std::string k = normaliseKey(key);
  if (k.empty()) return true;
  auto it = m_keys.lower_bound(k);
  if (it == m_keys.end()) return false;
  if (!NoCaseLess{}(k, it->first) && !NoCaseLess{}(it->first, k)) return true;
  // A child "k\..." sorts after k; '\\' sorts after most characters, so scan the range.
  for (; it != m_keys.end() && startsWithNoCase(it->first, k); ++it)
    if (it->first.size() > k.size() && it->first[k.size()] == '\\') return true;
  return false;
}

std::optional<std::string> Data::value(const std::string& key, const std::string& name) const {
  auto it = m_keys.find(normaliseKey(key));
  if (it == m_keys.end()) return std::nullopt;
  auto v = it->second.find(name);
  if (v == it->second.end()) return std::nullopt;
  return v->second;
}

Data::Values Data::values(const std::string& key) const {
  auto it = m_keys.find(normaliseKey(key));
  return it == m_keys.end() ? Values{} : it->second;
}

std::vector<std::string> Data::subkeys(const std::string& key) const {
  const std::string k = normaliseKey(key);
  const std::string prefix = k.empty() ? "" : k + "\\";
  std::vector<std::string> out;
  // A key's descendants are one range of the sorted map, but one child's keys need not be
  // adjacent ("a\\x" sorts after "a b"), hence the set of those seen.
  std::set<std::string, NoCaseLess> seen;
  for (auto it = m_keys.lower_bound(prefix); it != m_keys.end(); ++it) {
    const std::string& path = it->first;
    if (!startsWithNoCase(path, prefix)) break;
    if (path.size() == prefix.size()) continue;
    std::string child = path.substr(prefix.size(), path.find('\\', prefix.size()) - prefix.size());
    if (seen.insert(child).second) out.push_back(std::move(child));
  }
  return out;
}

Data::ClassLists Data::categoryIndex() const {
  static const std::string kRoot = "CLSID\\", kCategories = "\\Implemented Categories\\";
  ClassLists index;
  for (auto it = m_keys.lower_bound(kRoot); it != m_keys.end(); ++it) {
    const std::string& path = it->first;
    if (!startsWithNoCase(path, kRoot)) break;
    // CLSID\<class>\Implemented Categories\<category>[\...]
    const std::size_t classEnd = path.find('\\', kRoot.size());
    if (classEnd == std::string::npos) continue;
    if (path.size() <= classEnd + kCategories.size() ||
        !startsWithNoCase(path.substr(classEnd, kCategories.size()), kCategories))
      continue;
    const std::size_t catBegin = classEnd + kCategories.size();
    const std::string category = path.substr(catBegin, path.find('\\', catBegin) - catBegin);
    std::string name = path.substr(kRoot.size(), classEnd - kRoot.size());
    auto& classes = index[category];
    if (classes.empty() || NoCaseLess{}(classes.back(), name) || NoCaseLess{}(name, classes.back()))
      classes.push_back(std::move(name));
  }
  return index;
}

std::vector<std::string> Data::classesWithCategory(const std::string& category) const {
  if (m_categories) {
    auto it = m_categories->find(category);
    return it == m_categories->end() ? std::vector<std::string>{} : it->second;
  }
  auto index = categoryIndex();
  auto it = index.find(category);
  return it == index.end() ? std::vector<std::string>{} : std::move(it->second);
}

void Data::createKey(const std::string& key) {
  const std::string k = normaliseKey(key);
  if (k.empty()) return;
  m_keys[k];
  m_categories.reset();
}

void Data::setValue(const std::string& key, const std::string& name, const std::string& value) {
  const std::string k = normaliseKey(key);
  if (k.empty()) return;
  m_keys[k][name] = value;
  m_categories.reset();
}

bool Data::deleteValue(const std::string& key, const std::string& name) {
  auto it = m_keys.find(normaliseKey(key));
  return it != m_keys.end() && it->second.erase(name) > 0;
}

bool Data::deleteTree(const std::string& key) {
  const std::string k = normaliseKey(key);
  if (k.empty()) return false;
  m_categories.reset();
  bool removed = false;
  for (auto it = m_keys.begin(); it != m_keys.end();) {
    const bool self = !NoCaseLess{}(it->first, k) && !NoCaseLess{}(k, it->first);
    const bool child = startsWithNoCase(it->first, k) && it->first.size() > k.size() &&
                       it->first[k.size()] == '\\';
    if (self || child) {
      it = m_keys.erase(it);
      removed = true;
    } else {
      ++it;
    }
  }
  return removed;
}

std::string Data::serialize() const {
  std::string out = std::string(kHeader) + "\n";
  for (auto& [key, values] : m_keys) {
    out += "[" + key + "]\n";
    for (auto& [name, value] : values) out += nameToken(name) + "=" + quote(value) + "\n";
  }
  out += std::string(kTrailer) + "\n";
  return out;
}

bool Data::parse(const std::string& text, const std::string& fileName, std::string& error) {
  std::map<std::string, Values, NoCaseLess> keys;
  std::istringstream in(text);
  std::string line;
  int lineNo = 0;
  bool ended = false;
  std::string current;
  Values* values = nullptr;
  auto fail = [&](const std::string& why) {
    error = "class registry " + fileName + " line " + std::to_string(lineNo) + ": " + why;
    return false;
  };
  while (std::getline(in, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (lineNo == 1) {
      if (line != kHeader) return fail("not a class registry file (missing header)");
      continue;
    }
    if (ended) {
      if (line.empty()) continue;
      return fail("text after the end marker");
    }
    if (line == kTrailer) {
      ended = true;
      continue;
    }
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      if (line.back() != ']' || line.size() < 3) return fail("malformed key line");
      current = normaliseKey(line.substr(1, line.size() - 2));
      if (current.empty()) return fail("empty key path");
      // A written file is in key order: the hint makes each insertion constant time.
      values = &keys.try_emplace(keys.end(), current)->second;
      continue;
    }
    if (current.empty()) return fail("value outside any key");
    std::string name;
    std::size_t eq;
    if (line[0] == '@') {
      eq = 1;
    } else {
      // The name is a quoted string; find its closing quote.
      std::size_t close = 1;
      for (; close < line.size(); ++close) {
        if (line[close] == '\\') {
          ++close;
          continue;
        }
        if (line[close] == '"') break;
      }
      if (close >= line.size() || !unquote(line.substr(0, close + 1), name))
        return fail("malformed value name");
      eq = close + 1;
    }
    if (eq >= line.size() || line[eq] != '=') return fail("missing '=' after the value name");
    std::string value;
    if (!unquote(line.substr(eq + 1), value)) return fail("malformed value");
    values->insert_or_assign(values->end(), std::move(name), std::move(value));
  }
  if (lineNo == 0) return fail("empty file");
  if (!ended) return fail("file is cut short (no end marker)");
  m_keys = std::move(keys);
  m_categories = std::make_shared<const ClassLists>(categoryIndex());
  return true;
}

std::string filePath() {
  if (const char* p = std::getenv("CORAVL_REGISTRY"); p && *p) return p;
  if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x)
    return std::string(x) + "/coravl/registry";
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : "/tmp") + "/.config/coravl/registry";
}

namespace {

//! The registry is a small text file: anything larger is no registry, and reading it whole
//! (a link to /dev/zero, say) would exhaust memory.
constexpr off_t kMaxFileBytes = 16 * 1024 * 1024;

//! Reads the registry file; false with `why` set when it cannot be read (`missing` when it
//! does not exist). Only a regular file of a bounded size is read: a FIFO or a device would
//! block or never end.
bool readFile(const std::string& path, std::string& text, bool& missing, std::string& why) {
  missing = false;
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    missing = (errno == ENOENT);
    why = "class registry " + path + " cannot be read: " + std::strerror(errno);
    return false;
  }
  struct Close {
    int fd;
    ~Close() { ::close(fd); }
  } close{fd};
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    why = "class registry " + path + " is not a regular file";
    return false;
  }
  if (st.st_size > kMaxFileBytes) {
    why = "class registry " + path + " is larger than " + std::to_string(kMaxFileBytes >> 20) +
          " MiB";
    return false;
  }
  text.assign(static_cast<std::size_t>(st.st_size), '\0');
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::read(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      why = "class registry " + path + " cannot be read: " + std::strerror(errno);
      return false;
    }
    if (n == 0) break;  // shortened meanwhile
    done += static_cast<std::size_t>(n);
  }
  text.resize(done);
  return true;
}

bool isDefaultLocation() {
  const char* p = std::getenv("CORAVL_REGISTRY");
  return !(p && *p);
}

//! Creates the folders of `dir` one by one.
bool makeDirs(const std::string& dir) {
  std::string partial;
  std::size_t pos = 0;
  while (pos != std::string::npos) {
    pos = dir.find('/', pos + 1);
    partial = dir.substr(0, pos);
    if (partial.empty()) continue;
    if (::mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST) return false;
  }
  return true;
}

}  // namespace

namespace {

//! The last registry read, with the text it was parsed from.
struct LastRead {
  std::mutex mutex;
  std::string path, text;
  std::shared_ptr<const Data> data;
};

LastRead& lastRead() {
  static LastRead* last = new LastRead;  // never destroyed: modules may read at exit
  return *last;
}

}  // namespace

HRESULT snapshot(std::shared_ptr<const Data>& data, std::string* error) {
  const std::string path = filePath();
  std::string text;
  bool missing;
  std::string unreadable;
  if (!readFile(path, text, missing, unreadable)) {
    if (missing) {
      data = std::make_shared<const Data>();
      return S_OK;
    }
    if (error) *error = unreadable;
    return REGDB_E_READREGDB;
  }
  // The whole text is compared, not the file's times: a rewrite within the clock's tick, or
  // of the same size, is still seen.
  LastRead& last = lastRead();
  {
    std::lock_guard<std::mutex> lock(last.mutex);
    if (last.data && last.path == path && last.text == text) {
      data = last.data;
      return S_OK;
    }
  }
  std::string why;
  auto parsed = std::make_shared<Data>();
  if (!parsed->parse(text, path, why)) {
    if (error) *error = why;
    return REGDB_E_READREGDB;
  }
  data = parsed;
  std::lock_guard<std::mutex> lock(last.mutex);
  last.path = path;
  last.text = std::move(text);
  last.data = std::move(parsed);
  return S_OK;
}

HRESULT load(Data& data, std::string* error) {
  std::shared_ptr<const Data> current;
  const HRESULT hr = snapshot(current, error);
  if (SUCCEEDED(hr)) data = *current;
  return hr;
}

HRESULT update(const std::function<bool(Data&)>& change, std::string* error) {
  const std::string path = filePath();
  const std::string dir =
      path.substr(0, path.rfind('/') == std::string::npos ? 0 : path.rfind('/'));
  auto fail = [&](HRESULT hr, const std::string& why) {
    if (error) *error = why;
    return hr;
  };
  struct stat st {};
  if (!dir.empty() && ::stat(dir.c_str(), &st) != 0) {
    // Only the default per-user location is created on demand; an explicit location must exist.
    if (!isDefaultLocation() || !makeDirs(dir))
      return fail(REGDB_E_WRITEREGDB, "class registry folder " + dir + " does not exist");
  }
  const std::string lockPath = path + ".lock";
  int lockFd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (lockFd < 0)
    return fail(REGDB_E_WRITEREGDB,
                "class registry " + path + " cannot be locked: " + std::strerror(errno));
  while (::flock(lockFd, LOCK_EX) != 0) {
    if (errno != EINTR) {
      ::close(lockFd);
      return fail(REGDB_E_WRITEREGDB, "class registry " + path + " cannot be locked");
    }
  }
  struct Unlock {
    int fd;
    ~Unlock() {
      ::flock(fd, LOCK_UN);
      ::close(fd);
    }
  } unlock{lockFd};

  Data data;
  std::string why;
  HRESULT hr = load(data, &why);
  if (FAILED(hr)) return fail(hr, why + " (left untouched)");
  if (!change(data)) return S_FALSE;

  const std::string text = data.serialize();
  const std::string tmp = path + ".tmp." + std::to_string(::getpid());
  int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0)
    return fail(REGDB_E_WRITEREGDB,
                "class registry " + path + " cannot be written: " + std::strerror(errno));
  std::size_t done = 0;
  while (done < text.size()) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ::close(fd);
      ::unlink(tmp.c_str());
      return fail(REGDB_E_WRITEREGDB, "class registry " + path + " cannot be written");
    }
    done += static_cast<std::size_t>(n);
  }
  if (::fsync(fd) != 0 || ::close(fd) != 0 || ::rename(tmp.c_str(), path.c_str()) != 0) {
    ::unlink(tmp.c_str());
    return fail(REGDB_E_WRITEREGDB, "class registry " + path + " cannot be replaced");
  }
  return S_OK;
}

std::optional<std::string> readValue(const std::string& key, const std::string& name) {
  std::shared_ptr<const Data> data;
  if (FAILED(snapshot(data))) return std::nullopt;
  return data->value(key, name);
}

}  // namespace comlite::registry
