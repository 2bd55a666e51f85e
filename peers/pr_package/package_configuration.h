#pragma once
//! The package configurations the Peng-Robinson package manager offers, read from
//! "packages.txt" of the data folder (see data_folder.h).
//!
//! File format (UTF-8 text): "[name]" on a line of its own starts a configuration; the
//! "key = value" lines after it set it up (keys ignore letter case):
//!   compounds   = compound ids or CAS numbers of compounds.csv, comma-separated (required)
//!   kij         = interaction-parameter file of the data folder (default "pr_kij.csv")
//!   missingRoot = "extrapolate" (default) or "unavailable": what a property of a phase gets
//!                 where the cubic has only the other kind of root (see MissingRoot)
//!   description = the package's ComponentDescription
//! Blank lines and lines whose first non-blank character is '#' are ignored.

#include <string>
#include <vector>

namespace prcape {

//! What a single-phase property gets where the requested phase's root does not exist.
enum class MissingRoot {
  Extrapolate,  //!< the values of the one real root (CAPE-OPEN allows an extrapolated value)
  Unavailable,  //!< ECapeThrmPropertyNotAvailable
};

struct PackageConfiguration {
  std::string name;
  std::string description;
  std::vector<std::string> compounds;  //!< ids as in compounds.csv, in the package's order
  std::string kijFile;                 //!< file name in the data folder
  MissingRoot missingRoot = MissingRoot::Extrapolate;
  int line = 0;  //!< line of "[name]" in its file
};

//! Parses configuration text. Every problem (a line outside a configuration, an unknown key or
//! option value, a repeated name, a configuration without compounds) throws CapeError
//! (ECapeFailedInitialisation) naming `fileName` and the line.
std::vector<PackageConfiguration> parseConfigurations(const std::string& text,
                                                      const std::string& fileName);
//! The configurations of "packages.txt" of the data folder, read at each call, with compounds
//! and interaction-parameter files checked against the data (an unknown or repeated compound
//! names the file and line).
std::vector<PackageConfiguration> readConfigurations();
//! The configuration of the stand-alone package: every compound of compounds.csv with
//! "pr_kij.csv".
PackageConfiguration standAloneConfiguration();

}  // namespace prcape
