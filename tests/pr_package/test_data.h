#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "pr_package/model/compound_data.h"
#include "pr_package/model/error.h"

namespace pr::test {

//! The package's own data files, loaded once.
inline const CompoundDatabase& database() {
  static const CompoundDatabase db = CompoundDatabase::load_folder(PR_PACKAGE_DATA_DIR);
  return db;
}

//! Ten compounds of a natural gas, and a composition of it with a condensate tail.
inline const std::vector<std::string> kNaturalGas = {
    "methane",   "ethane",   "propane",  "n-butane",       "isobutane",
    "n-pentane", "n-hexane", "nitrogen", "carbon dioxide", "hydrogen sulfide"};
inline const std::vector<double> kNaturalGasZ = {0.60, 0.08, 0.06, 0.04, 0.03,
                                                 0.03, 0.06, 0.03, 0.05, 0.02};

//! The kind and text (what()) of the Error `f` throws; a test failure when it throws none.
inline std::pair<ErrorKind, std::string> error_of(const std::function<void()>& f) {
  try {
    f();
  } catch (const Error& e) {
    return {e.kind(), e.what()};
  }
  ADD_FAILURE() << "no error thrown";
  return {};
}

}  // namespace pr::test
