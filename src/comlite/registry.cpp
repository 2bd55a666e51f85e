#include "comlite/registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <mutex>
#include <new>
#include <set>
#include <string_view>

namespace comlite::registry {

namespace {

constexpr const char* kHeader = "; coravl class registry 1";
constexpr const char* kTrailer = "; end";

char lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

//! Removes leading, trailing and doubled backslashes so that paths compare reliably.
std::string normaliseKey(std::string_view key) {
  const bool clean = key.empty() || (key.front() != '\\' && key.back() != '\\' &&
                                     key.find("\\\\") == std::string_view::npos);
  if (clean) return std::string(key);
  std::string out;
  out.reserve(key.size());
  for (char c : key) {
    if (c == '\\' && (out.empty() || out.back() == '\\')) continue;
    out.push_back(c);
  }
  while (!out.empty() && out.back() == '\\') out.pop_back();
  return out;
}

bool startsWithNoCase(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (lower(s[i]) != lower(prefix[i])) return false;
  return true;
}

std::string quote(std::string_view v) {
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

template <class String>
bool unquote(std::string_view text, String& out) {
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

std::string nameToken(std::string_view name) {
  return name.empty() ? "@" : quote(name);
}

}  // namespace

bool NoCaseLess::operator()(std::string_view a, std::string_view b) const {
  const std::size_t n = std::min(a.size(), b.size());
  // Keys share long prefixes ("CLSID\\{...}"): equal bytes are equal either way, and are
  // skipped a word at a time.
  std::size_t i = 0;
  for (std::uint64_t x, y; i + 8 <= n; i += 8) {
    std::memcpy(&x, a.data() + i, 8);
    std::memcpy(&y, b.data() + i, 8);
    if (x != y) break;
  }
  while (i < n && a[i] == b[i]) ++i;
  for (; i < n; ++i) {
    char x = lower(a[i]), y = lower(b[i]);
    if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
  }
  return a.size() < b.size();
}

using Keys = std::map<std::string, Data::Values, NoCaseLess>;

namespace {

//! Memory of `bytes` in pages of its own, or nullptr. A registry's text and index run to many
//! MB: taken from the heap they would first make malloc sort every small free chunk of a
//! long-running host, and first touches of fresh small pages cost more than filling them, so
//! large pages are asked for where the system gives them.
void* mapPages(std::size_t bytes) {
  void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) return nullptr;
  constexpr std::size_t kLargePage = 2 * 1024 * 1024;
  if (bytes >= kLargePage) ::madvise(p, bytes, MADV_HUGEPAGE);
  return p;
}

//! Blocks of a page or more in pages of their own, smaller ones from the heap.
template <class T>
struct PageAllocator {
  using value_type = T;
  static constexpr std::size_t kPage = 4096;
  PageAllocator() = default;
  template <class U>
  PageAllocator(const PageAllocator<U>&) {}
  T* allocate(std::size_t n) {
    const std::size_t bytes = n * sizeof(T);
    if (bytes < kPage) return static_cast<T*>(::operator new(bytes));
    if (void* p = mapPages(bytes)) return static_cast<T*>(p);
    throw std::bad_alloc();
  }
  void deallocate(T* p, std::size_t n) {
    const std::size_t bytes = n * sizeof(T);
    if (bytes < kPage)
      ::operator delete(p);
    else
      ::munmap(p, bytes);
  }
  friend bool operator==(const PageAllocator&, const PageAllocator&) { return true; }
};

//! One key of a registry read in place, and the text of its value lines.
struct IndexedKey {
  std::string_view key, body;
};
using KeyIndex = std::vector<IndexedKey, PageAllocator<IndexedKey>>;

bool sameNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && !NoCaseLess{}(a, b) && !NoCaseLess{}(b, a);
}

//! Splits off the next line of `rest`, without its line end.
std::string_view nextLine(std::string_view& rest) {
  const std::size_t end = rest.find('\n');
  std::string_view line = rest.substr(0, end);
  rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

//! Takes an unquoted text and keeps none of it: checking a line read in place.
struct Discard {
  void clear() {}
  void push_back(char) {}
};

//! Reads a value line ("@=..." or "\"name\"=..."). RETURNS: an error text, or nullptr.
template <class String>
const char* valueLine(std::string_view line, String& name, String& value) {
  std::size_t eq;
  if (line[0] == '@') {
    name.clear();
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
      return "malformed value name";
    eq = close + 1;
  }
  if (eq >= line.size() || line[eq] != '=') return "missing '=' after the value name";
  if (!unquote(line.substr(eq + 1), value)) return "malformed value";
  return nullptr;
}

//! Calls `visit(name, value)` for each value line of a checked body.
template <class Visit>
void forValueLines(std::string_view body, Visit visit) {
  std::string name, value;
  while (!body.empty()) {
    const std::string_view line = nextLine(body);
    if (line.empty() || line[0] == ';') continue;
    valueLine(line, name, value);
    visit(name, value);
  }
}

}  // namespace

struct Data::Store {
  std::shared_ptr<const void> text;  // holds the text of `index` when read in place
  KeyIndex index;
  Keys keys;  // otherwise
  bool indexed() const { return text != nullptr; }
  KeyIndex::const_iterator lowerBound(std::string_view key) const {
    return std::lower_bound(index.begin(), index.end(), key,
                            [](const IndexedKey& e, auto k) { return NoCaseLess{}(e.key, k); });
  }
  const IndexedKey* find(std::string_view key) const {
    auto it = lowerBound(key);
    return it != index.end() && sameNoCase(it->key, key) ? &*it : nullptr;
  }
  //! The keys read in place, as a map (its text may then go).
  void indexToMap() {
    for (const IndexedKey& e : index)
      keys.emplace_hint(keys.end(), std::string(e.key), valuesOf(e));
    index.clear();
  }
  static Values valuesOf(const IndexedKey& e) {
    Values out;
    forValueLines(e.body, [&](std::string& name, std::string& value) {
      out.insert_or_assign(std::move(name), std::move(value));
    });
    return out;
  }
};

const Data::Store& Data::store() const {
  static const Store* none = new Store;  // never destroyed: modules may read at exit
  return m_store ? *m_store : *none;
}

Data::Store& Data::writable() {
  m_categories.reset();
  if (!m_store) {
    m_store = std::make_shared<Store>();
  } else if (m_store->indexed()) {
    auto map = std::make_shared<Store>(*m_store);
    map->indexToMap();
    map->text.reset();
    m_store = std::move(map);
  } else if (m_store.use_count() > 1) {
    m_store = std::make_shared<Store>(*m_store);
  }
  return *m_store;
}

template <class Visit>
void Data::keysFrom(std::string_view from, Visit visit) const {
  const Store& s = store();
  if (s.indexed()) {
    for (auto it = s.lowerBound(from); it != s.index.end(); ++it)
      if (!visit(it->key)) return;
  } else {
    for (auto it = s.keys.lower_bound(from); it != s.keys.end(); ++it)
      if (!visit(std::string_view(it->first))) return;
  }
}

bool Data::hasKey(const std::string& key) const {
  const std::string k = normaliseKey(key);
  if (k.empty()) return true;
  bool found = false;
  // A child "k\..." sorts after k, though not always next to it: scan the keys starting with k.
  keysFrom(k, [&](std::string_view path) {
    if (!startsWithNoCase(path, k)) return false;
    found = path.size() == k.size() || path[k.size()] == '\\';
    return !found;
  });
  return found;
}

std::optional<std::string> Data::value(const std::string& key, const std::string& name) const {
  const Store& s = store();
  const std::string k = normaliseKey(key);
  if (s.indexed()) {
    const IndexedKey* e = s.find(k);
    if (!e) return std::nullopt;
    std::optional<std::string> out;  // the last of equal names wins, as when parsed
    forValueLines(e->body, [&](std::string& n, std::string& v) {
      if (sameNoCase(n, name)) out = std::move(v);
    });
    return out;
  }
  auto it = s.keys.find(k);
  if (it == s.keys.end()) return std::nullopt;
  auto v = it->second.find(name);
  if (v == it->second.end()) return std::nullopt;
  return v->second;
}

Data::Values Data::values(const std::string& key) const {
  const Store& s = store();
  const std::string k = normaliseKey(key);
  if (s.indexed()) {
    const IndexedKey* e = s.find(k);
    return e ? Store::valuesOf(*e) : Values{};
  }
  auto it = s.keys.find(k);
  return it == s.keys.end() ? Values{} : it->second;
}

std::vector<std::string> Data::subkeys(const std::string& key) const {
  const std::string k = normaliseKey(key);
  const std::string prefix = k.empty() ? "" : k + "\\";
  std::vector<std::string> out;
  // A key's descendants are one range of the sorted keys, but one child's keys need not be
  // adjacent ("a\\x" sorts after "a b"), hence the set of those seen.
  std::set<std::string, NoCaseLess> seen;
  keysFrom(prefix, [&](std::string_view path) {
    if (!startsWithNoCase(path, prefix)) return false;
    if (path.size() == prefix.size()) return true;
    std::string child(path.substr(prefix.size(), path.find('\\', prefix.size()) - prefix.size()));
    if (seen.insert(child).second) out.push_back(std::move(child));
    return true;
  });
  return out;
}

Data::ClassLists Data::categoryIndex() const {
  static constexpr std::string_view kRoot = "CLSID\\", kCategories = "\\Implemented Categories\\";
  ClassLists index;
  keysFrom(kRoot, [&](std::string_view path) {
    if (!startsWithNoCase(path, kRoot)) return false;
    // CLSID\<class>\Implemented Categories\<category>[\...]
    const std::size_t classEnd = path.find('\\', kRoot.size());
    if (classEnd == std::string_view::npos || path.size() <= classEnd + kCategories.size() ||
        !startsWithNoCase(path.substr(classEnd, kCategories.size()), kCategories))
      return true;
    const std::size_t catBegin = classEnd + kCategories.size();
    const std::string_view category = path.substr(catBegin, path.find('\\', catBegin) - catBegin);
    const std::string_view name = path.substr(kRoot.size(), classEnd - kRoot.size());
    auto found = index.find(category);
    if (found == index.end()) found = index.try_emplace(std::string(category)).first;
    auto& classes = found->second;
    if (classes.empty() || !sameNoCase(classes.back(), name)) classes.emplace_back(name);
    return true;
  });
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
  writable().keys[k];
}

void Data::setValue(const std::string& key, const std::string& name, const std::string& value) {
  const std::string k = normaliseKey(key);
  if (k.empty()) return;
  writable().keys[k][name] = value;
}

bool Data::deleteValue(const std::string& key, const std::string& name) {
  if (!value(key, name)) return false;
  return writable().keys[normaliseKey(key)].erase(name) > 0;
}

bool Data::deleteTree(const std::string& key) {
  const std::string k = normaliseKey(key);
  if (k.empty() || !hasKey(k)) return false;
  Keys& keys = writable().keys;
  bool removed = false;
  for (auto it = keys.lower_bound(k); it != keys.end() && startsWithNoCase(it->first, k);) {
    if (it->first.size() == k.size() || it->first[k.size()] == '\\') {
      it = keys.erase(it);
      removed = true;
    } else {
      ++it;
    }
  }
  return removed;
}

std::string Data::serialize() const {
  std::string out = std::string(kHeader) + "\n";
  auto put = [&](std::string_view key, const Values& values) {
    out += '[';
    out += key;
    out += "]\n";
    for (auto& [name, value] : values) {
      out += nameToken(name);
      out += '=';
      out += quote(value);
      out += '\n';
    }
  };
  const Store& s = store();
  if (s.indexed()) {
    for (const IndexedKey& e : s.index) put(e.key, Store::valuesOf(e));
  } else {
    for (auto& [key, values] : s.keys) put(key, values);
  }
  out += std::string(kTrailer) + "\n";
  return out;
}

bool Data::parse(const std::string& text, const std::string& fileName, std::string& error) {
  auto kept = std::make_shared<const std::string>(text);
  return parse(*kept, kept, fileName, error);
}

bool Data::parse(std::string_view text, std::shared_ptr<const void> owner,
                 const std::string& fileName, std::string& error) {
  auto store = std::make_shared<Store>();
  std::string_view rest(text);
  // One entry per key line at most; growing the index by doubling would copy it and touch
  // twice its pages.
  std::size_t brackets = 0;
  for (const char* p = text.data();
       (p = static_cast<const char*>(std::memchr(p, '[', text.size() - (p - text.data())))) !=
       nullptr;
       ++p)
    ++brackets;
  store->index.reserve(brackets);
  int lineNo = 0;
  bool ended = false, inPlace = true, inKey = false;
  std::string name, value;
  Values* values = nullptr;  // once the text is not in key order
  auto fail = [&](const std::string& why) {
    error = "class registry " + fileName + " line " + std::to_string(lineNo) + ": " + why;
    return false;
  };
  // Ends the body of the last indexed key where the next line begins.
  auto closeBody = [&](const char* at) {
    if (inPlace && !store->index.empty()) {
      std::string_view& body = store->index.back().body;
      body = std::string_view(body.data(), static_cast<std::size_t>(at - body.data()));
    }
  };
  while (!rest.empty()) {
    const char* lineStart = rest.data();
    const std::string_view line = nextLine(rest);
    ++lineNo;
    if (lineNo == 1) {
      if (line != kHeader) return fail("not a class registry file (missing header)");
      continue;
    }
    if (ended) {
      if (line.empty()) continue;
      return fail("text after the end marker");
    }
    if (line == kTrailer) {
      closeBody(lineStart);
      ended = true;
      continue;
    }
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      if (line.back() != ']' || line.size() < 3) return fail("malformed key line");
      const std::string_view raw = line.substr(1, line.size() - 2);
      std::string key = normaliseKey(raw);
      if (key.empty()) return fail("empty key path");
      closeBody(lineStart);
      inKey = true;
      // A file as written is in key order, each key once, and is read in place; any other
      // (edited by hand) is read into a map, where a key given twice keeps all its values.
      if (inPlace && (key.size() != raw.size() ||
                      (!store->index.empty() && !NoCaseLess{}(store->index.back().key, raw)))) {
        store->indexToMap();
        inPlace = false;
      }
      if (inPlace) {
        store->index.push_back({raw, std::string_view(rest.data(), 0)});
      } else {
        // A key in order makes the hint's insertion constant time.
        values = &store->keys.try_emplace(store->keys.end(), std::move(key))->second;
      }
      continue;
    }
    if (!inKey) return fail("value outside any key");
    if (inPlace) {
      Discard n, v;
      if (const char* why = valueLine(line, n, v)) return fail(why);
      continue;
    }
    if (const char* why = valueLine(line, name, value)) return fail(why);
    values->insert_or_assign(std::move(name), std::move(value));
  }
  if (lineNo == 0) return fail("empty file");
  if (!ended) return fail("file is cut short (no end marker)");
  if (inPlace) store->text = std::move(owner);
  m_store = std::move(store);
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

//! Anything larger is no registry, and reading it whole (a sparse file, say) would exhaust
//! memory. A registry of 20,000 classes takes about 12 MB, so the bound leaves room for sites
//! with many times that.
constexpr off_t kMaxFileBytes = 256 * 1024 * 1024;

//! What identifies one version of the file without reading it.
struct FileId {
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = 0;
  timespec mtime{};
  timespec ctime{};

  explicit FileId(const struct stat& st)
      : dev(st.st_dev), ino(st.st_ino), size(st.st_size), mtime(st.st_mtim), ctime(st.st_ctim) {}
  FileId() = default;
  bool operator==(const FileId& o) const {
    return dev == o.dev && ino == o.ino && size == o.size && mtime.tv_sec == o.mtime.tv_sec &&
           mtime.tv_nsec == o.mtime.tv_nsec && ctime.tv_sec == o.ctime.tv_sec &&
           ctime.tv_nsec == o.ctime.tv_nsec;
  }
};

//! The registry file opened for reading, checked to be a regular file of a bounded size.
struct OpenFile {
  int fd = -1;
  FileId id;
  long long tickNs = 1'000'000'000;  // the file system's timestamp step, at most
  ~OpenFile() {
    if (fd >= 0) ::close(fd);
  }
};

//! Opens the registry file; false with `why` set when it cannot be read (`missing` when it
//! does not exist). A FIFO or a device would block or never end, so only a regular file is
//! accepted.
bool openFile(const std::string& path, OpenFile& file, bool& missing, std::string& why) {
  missing = false;
  file.fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (file.fd < 0) {
    missing = (errno == ENOENT);
    why = "class registry " + path + " cannot be read: " + std::strerror(errno);
    return false;
  }
  struct stat st {};
  if (::fstat(file.fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    why = "class registry " + path + " is not a regular file";
    return false;
  }
  if (st.st_size > kMaxFileBytes) {
    why = "class registry " + path + " is larger than " + std::to_string(kMaxFileBytes >> 20) +
          " MiB";
    return false;
  }
  file.id = FileId(st);
  // Local Linux file systems stamp times from the kernel's coarse clock, one jiffy (10 ms at
  // most) apart; others (network, FAT) may stamp whole seconds or two.
  struct statfs fs {};
  if (::fstatfs(file.fd, &fs) == 0) {
    switch (static_cast<unsigned long>(fs.f_type)) {
      case 0xEF53:      // ext2/3/4
      case 0x58465342:  // xfs
      case 0x9123683E:  // btrfs
      case 0x01021994:  // tmpfs
      case 0xF2F52010:  // f2fs
      case 0x794C7630:  // overlay, which stamps through one of the above
        file.tickNs = 50'000'000;
        break;
      default:
        break;
    }
  }
  return true;
}

//! A file's text in pages of its own.
class PageText {
 public:
  explicit PageText(std::size_t capacity) : m_capacity(capacity) {
    if (capacity != 0) m_data = static_cast<char*>(mapPages(capacity));
  }
  PageText(const PageText&) = delete;
  PageText& operator=(const PageText&) = delete;
  ~PageText() {
    if (m_data) ::munmap(m_data, m_capacity);
  }
  bool ok() const { return m_data || m_capacity == 0; }
  char* data() { return m_data; }
  std::string_view view() const { return {m_data ? m_data : "", m_size}; }
  std::size_t capacity() const { return m_capacity; }
  void setSize(std::size_t n) { m_size = n; }

 private:
  char* m_data = nullptr;
  std::size_t m_capacity = 0, m_size = 0;
};

//! Reads from `offset` into `out` until it is full or the file ends; the count read, or -1.
ssize_t readFully(int fd, char* out, std::size_t size, off_t offset) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::pread(fd, out + done, size - done, offset + static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;  // shortened meanwhile
    done += static_cast<std::size_t>(n);
  }
  return static_cast<ssize_t>(done);
}

//! The file's text, at most the size it had when opened.
std::shared_ptr<PageText> readFile(const std::string& path, const OpenFile& file,
                                   std::string& why) {
  auto text = std::make_shared<PageText>(static_cast<std::size_t>(file.id.size));
  const ssize_t n = text->ok() ? readFully(file.fd, text->data(), text->capacity(), 0) : -1;
  if (n < 0) {
    why =
        "class registry " + path + " cannot be read: " + std::strerror(text->ok() ? errno : ENOMEM);
    return nullptr;
  }
  text->setSize(static_cast<std::size_t>(n));
  return text;
}

//! Whether the file holds `text` and nothing else, compared piece by piece as it is read, so
//! that an unchanged registry costs no buffer of its size.
bool fileHolds(const OpenFile& file, std::string_view text) {
  if (static_cast<std::size_t>(file.id.size) != text.size()) return false;
  char piece[16384];
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t want = std::min(sizeof piece, text.size() - at);
    const ssize_t n = readFully(file.fd, piece, want, static_cast<off_t>(at));
    if (n != static_cast<ssize_t>(want) || std::memcmp(piece, text.data() + at, want) != 0)
      return false;
    at += want;
  }
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

//! The last registry read, with the text it was parsed from.
struct LastRead {
  std::mutex mutex;
  std::string path;
  FileId id;
  bool settled = false;  // `id` alone tells whether the file changed since
  std::shared_ptr<const PageText> text;
  std::shared_ptr<const Data> data;
};

LastRead& lastRead() {
  static LastRead* last = new LastRead;  // never destroyed: modules may read at exit
  return *last;
}

//! A file last changed well before it was read cannot have changed again within the same
//! timestamp tick, so a later change shows in its times. One changed just before, or while, it
//! was read can (a rewrite of the same size within a tick), and only its text tells.
bool settledAt(const OpenFile& file, const timespec& readAt) {
  auto ns = [](const timespec& t) { return t.tv_sec * 1'000'000'000LL + t.tv_nsec; };
  return ns(readAt) - std::max(ns(file.id.ctime), ns(file.id.mtime)) > file.tickNs;
}

}  // namespace

HRESULT snapshot(std::shared_ptr<const Data>& data, std::string* error) {
  const std::string path = filePath();
  OpenFile file;
  bool missing;
  std::string unreadable;
  timespec readAt{};
  ::clock_gettime(CLOCK_REALTIME, &readAt);
  if (!openFile(path, file, missing, unreadable)) {
    if (missing) {
      data = std::make_shared<const Data>();
      return S_OK;
    }
    if (error) *error = unreadable;
    return REGDB_E_READREGDB;
  }
  LastRead& last = lastRead();
  std::shared_ptr<const PageText> lastText;
  std::shared_ptr<const Data> lastData;
  {
    std::lock_guard<std::mutex> lock(last.mutex);
    if (last.data && last.settled && last.path == path && last.id == file.id) {
      data = last.data;
      return S_OK;
    }
    if (last.data && last.path == path) {
      lastText = last.text;
      lastData = last.data;
    }
  }
  const bool settled = settledAt(file, readAt);
  if (lastData && fileHolds(file, lastText->view())) {
    std::lock_guard<std::mutex> lock(last.mutex);
    if (last.data == lastData) {  // not replaced by another thread's read meanwhile
      last.id = file.id;
      last.settled = settled;
    }
    data = std::move(lastData);
    return S_OK;
  }
  std::shared_ptr<PageText> text = readFile(path, file, unreadable);
  if (!text) {
    if (error) *error = unreadable;
    return REGDB_E_READREGDB;
  }
  std::string why;
  auto parsed = std::make_shared<Data>();
  if (!parsed->parse(text->view(), text, path, why)) {
    if (error) *error = why;
    return REGDB_E_READREGDB;
  }
  data = parsed;
  std::lock_guard<std::mutex> lock(last.mutex);
  last.path = path;
  last.id = file.id;
  last.settled = settled;
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
