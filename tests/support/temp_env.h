#pragma once
//! Test support: a private temporary folder and scoped environment variables, so that every
//! test has its own class registry, trace folder and TEMP.

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace testsupport {

//! A fresh folder under the system temp folder, removed with everything in it at the end.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "coravl-test-XXXXXX").string();
    char* made = ::mkdtemp(pattern.data());
    m_path = made ? made : "";
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return m_path; }
  std::string file(const std::string& name) const { return m_path + "/" + name; }

 private:
  std::string m_path;
};

//! Sets an environment variable for the scope, restoring the previous value after.
class ScopedEnv {
 public:
  ScopedEnv(std::string name, const std::string& value) : m_name(std::move(name)) {
    if (const char* old = std::getenv(m_name.c_str())) m_old = old;
    ::setenv(m_name.c_str(), value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (m_old)
      ::setenv(m_name.c_str(), m_old->c_str(), 1);
    else
      ::unsetenv(m_name.c_str());
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string m_name;
  std::optional<std::string> m_old;
};

//! The folder of the built shared libraries: $CORAVL_BUILD_DIR/lib under CTest, else the
//! "lib" folder beside the test program's "bin" folder.
inline std::string libDir() {
  if (const char* b = std::getenv("CORAVL_BUILD_DIR"); b && *b) return std::string(b) + "/lib";
  std::error_code ec;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return (exe.parent_path().parent_path() / "lib").string();
}

}  // namespace testsupport
