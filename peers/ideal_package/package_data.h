#pragma once
//! Where the ideal package finds its data, and the packages its manager offers.
//!
//! Data folder: $CORAVL_IDEAL_DATA when set, else the folder "ideal_package" beside the module
//! (in an installed prefix, <prefix>/share/coravl/ideal_package).
//! It holds "compounds.csv" (the compound table) and "packages.txt", one package per line:
//!   <package name> = <compound id>, <compound id>, ...
//! ('#' starts a comment line; compound ids as in compounds.csv).

#include <memory>
#include <string>
#include <vector>

#include "ideal_package/model/compound_table.h"

namespace ideal {

inline constexpr const char* kDataFolderVariable = "CORAVL_IDEAL_DATA";

struct PackageDefinition {
  std::string name;
  std::vector<std::size_t> compounds;  //!< indexes into the compound table
};

std::string dataFolder();
//! The compound table of the data folder, read once per path. Throws CapeError
//! (ECapeFailedInitialisation) naming the file and line when it does not load.
std::shared_ptr<const CompoundTable> compoundTable();
//! The packages of "packages.txt" (read at each call). Throws CapeError
//! (ECapeFailedInitialisation) naming the file and line for a bad line or unknown compound.
std::vector<PackageDefinition> packageDefinitions();

}  // namespace ideal
