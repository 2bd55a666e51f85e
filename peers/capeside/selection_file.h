#pragma once
//! The package selection a person would make in the adapter's dialog, read from the file whose
//! path the host gives in the environment variable CORAVL_CAPE_SELECTION
//! (adapter::kSelectionFileVariable).
//!
//! Format: UTF-8 text, one "key = value" per line, '#' starts a comment line, keys without
//! ASCII case:
//!   manager  = <ProgID or {CLSID} of a Thermo 1.1 property package manager>   (optional)
//!   package  = <package name in the manager's list>, or without a manager the ProgID or
//!              {CLSID} of a stand-alone Thermo 1.1 package; "<manager>::<package name>" (as
//!              the adapter's package list writes it) names both at once       (required)
//!   alias    = <the name the simulator shows>        (optional; default the package name)
//!   compound = <compound id or CAS number>[, <simulator's name>[, <simulator's id number>]]
//!              (optional, repeatable, in fluid-package order: the fluid-package compounds;
//!              each must be a compound of the package)
//! Example:
//!   manager  = CORavlIdeal.PackageManager.1
//!   package  = Light hydrocarbons
//!   alias    = Ideal C1-C4
//!   compound = methane, Methane, 1
//!   compound = ethane

#include <string>
#include <vector>

namespace capeside {

struct SelectedCompound {
  std::string id;       //!< compound id or CAS number of the package
  std::string qoName;   //!< the simulator's name ("" : the package's compound name)
  double idNumber = 0;  //!< the simulator's id number (0: not known)
};

struct Selection {
  std::string manager;  //!< ProgID or {CLSID}; "" for a stand-alone package
  std::string package;  //!< name in the manager's list, or ProgID / {CLSID}
  std::string alias;
  std::vector<SelectedCompound> compounds;

  //! The name the adapter's package list gives this package.
  std::string listName() const;
};

//! Parses selection text; throws CapeError (ECapeInvalidArgument) naming `fileName` and the
//! line of an unknown key, a repeated key, a malformed compound line or a missing package.
Selection parseSelection(const std::string& text, const std::string& fileName);
//! Reads the file named by the environment variable; throws CapeError
//! (ECapeFailedInitialisation) when the variable is not set or the file cannot be read.
Selection readSelectionFile();

}  // namespace capeside
