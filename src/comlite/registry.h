#pragma once
//! The class registry: a text file of keys and values with the key paths of the Windows
//! registry (CLSID\{...}\InprocServer32, <ProgID>\CLSID, Interface\{...}, Component Categories).
//!
//! Location: $CORAVL_REGISTRY when set, else $XDG_CONFIG_HOME/coravl/registry, else
//! ~/.config/coravl/registry.
//!
//! File format (UTF-8):
//!   ; coravl class registry 1          first line, exactly
//!   [CLSID\{...}\InprocServer32]      a key; its path uses backslashes
//!   @="/path/libfoo.so"               the key's default value
//!   ThreadingModel="Apartment"        a named value
//!   ; end                             last line, exactly: a file without it was cut short
//! Values are quoted; inside them \\, \" , \n, \r and \t are escaped. Key paths and value
//! names compare case-insensitively, as on Windows. Parent keys exist implicitly.
//!
//! Writers take an exclusive lock on "<file>.lock", re-read the file, apply their change, write
//! "<file>.tmp.<pid>" and rename it over the file, so readers never see a half-written file and
//! concurrent writers never lose each other's entries. A file that does not parse is never
//! rewritten.

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "comlite/hresult.h"

namespace comlite::registry {

struct NoCaseLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const;
};

//! The registry's content in memory.
class Data {
 public:
  using Values = std::map<std::string, std::string, NoCaseLess>;

  //! Whether the key exists, explicitly or as the parent of another key.
  bool hasKey(const std::string& key) const;
  //! A value of a key ("" names the default value).
  std::optional<std::string> value(const std::string& key, const std::string& name = "") const;
  //! The values of one key (empty when it has none).
  Values values(const std::string& key) const;
  //! Names of the immediate sub-keys of `key` ("" for the root), in order.
  std::vector<std::string> subkeys(const std::string& key) const;
  //! Names of the sub-keys of "CLSID" that have "Implemented Categories\\<category>", in order.
  std::vector<std::string> classesWithCategory(const std::string& category) const;

  void createKey(const std::string& key);
  void setValue(const std::string& key, const std::string& name, const std::string& value);
  //! Removes one value; false when it was not there.
  bool deleteValue(const std::string& key, const std::string& name);
  //! Removes a key and everything below it; false when nothing was there.
  bool deleteTree(const std::string& key);

  //! Text form of the whole registry (the file format above).
  std::string serialize() const;
  //! Parses the file format. On failure returns false and says where in `error`.
  bool parse(const std::string& text, const std::string& fileName, std::string& error);
  //! The same, in place: a registry as written is read without a copy, its keys refer to
  //! `text`, and `owner` (which holds the text) is kept as long as they do.
  bool parse(std::string_view text, std::shared_ptr<const void> owner, const std::string& fileName,
             std::string& error);

 private:
  using ClassLists = std::map<std::string, std::vector<std::string>, NoCaseLess>;
  //! Every category's classes in one pass over the "CLSID" keys.
  ClassLists categoryIndex() const;

  //! Keys and values: a registry read from a file in key order stays its text with an index of
  //! its keys, so that reading a large one is not a million small allocations; it becomes a map
  //! on the first change. Copies share the store until one of them changes.
  struct Store;
  std::shared_ptr<Store> m_store;
  Store& writable();
  const Store& store() const;
  //! Calls `visit(key)` for each key from the first not less than `from`, in order, while it
  //! returns true.
  template <class Visit>
  void keysFrom(std::string_view from, Visit visit) const;
  //! The category index of a parsed registry, shared by its copies; dropped on any change.
  std::shared_ptr<const ClassLists> m_categories;
};

//! Path of the registry file in force now.
std::string filePath();

//! The registry as it is on disk now, shared and read-only. A file whose content is the same
//! as at the last read is not parsed again, so the cost of a look-up does not grow with the
//! number of registered classes. Errors as for load().
HRESULT snapshot(std::shared_ptr<const Data>& data, std::string* error = nullptr);

//! Reads the registry. A missing file is an empty registry (S_OK). A file that does not parse
//! gives REGDB_E_READREGDB with the reason (file and line) in `error`.
HRESULT load(Data& data, std::string* error = nullptr);

//! Locks, reads, lets `change` edit, and writes atomically. When `change` returns false nothing
//! is written. RETURNS: REGDB_E_READREGDB when the file does not parse (it is left untouched),
//! REGDB_E_WRITEREGDB when the folder is missing or not writable.
HRESULT update(const std::function<bool(Data&)>& change, std::string* error = nullptr);

//! Convenience: one value, or nullopt when missing or when the file cannot be read.
std::optional<std::string> readValue(const std::string& key, const std::string& name = "");

}  // namespace comlite::registry
