#pragma once
//! The files a person's choices travel in: the package selection and the setup view's edits,
//! written to a private folder for the session and named to the adapter through its
//! environment variables. Also: the class registry the session uses, with the shipped modules
//! registered in it when they are not yet.

#include <map>
#include <string>

namespace coravl::driver {

class SupportFiles {
 public:
  SupportFiles();
  ~SupportFiles();
  SupportFiles(const SupportFiles&) = delete;
  SupportFiles& operator=(const SupportFiles&) = delete;

  //! Writes the selection file (manager :: package, or a package ProgID).
  void select(const std::string& selection);
  //! Adds one option edit of the setup view.
  void editOption(const std::string& key, const std::string& value);
  //! A path in the session's folder.
  std::string path(const std::string& name) const;

  //! Registers the modules shipped beside the driver (lib/*.so) that the registry in force does
  //! not name yet. Returns the registry path, or throws std::runtime_error.
  static std::string prepareRegistry(const std::string& driverPath);

 private:
  std::string m_dir;
  std::map<std::string, std::string> m_edits;
};

}  // namespace coravl::driver
