#pragma once
//! Where the Peng-Robinson package module finds its data, and the compound databases read
//! from it.
//!
//! Data folder: $CORAVL_PR_DATA when set and not empty, else the folder "pr_package" beside the
//! module (in an installed prefix, <prefix>/share/coravl/pr_package). It holds "compounds.csv", the
//! interaction-parameter files ("pr_kij.csv", ...) and "packages.txt", the configurations the
//! package manager offers (see package_configuration.h).

#include <memory>
#include <string>

#include "pr_package/model/compound_data.h"

namespace prcape {

inline constexpr const char* kDataFolderVariable = "CORAVL_PR_DATA";
inline constexpr const char* kDefaultKijFile = "pr_kij.csv";

std::string dataFolder();
//! The compounds of the data folder with the interaction parameters of `kijFile` (a file name
//! of the data folder), read once per pair of paths. Throws CapeError
//! (ECapeFailedInitialisation) naming the file, line and column when they do not load.
std::shared_ptr<const pr::CompoundDatabase> database(const std::string& kijFile);

}  // namespace prcape
