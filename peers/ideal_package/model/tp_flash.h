#pragma once
//! Isothermal flash of the ideal mixture on ideal K-values (K_i = Psat_i / P).

#include <vector>

#include "ideal_package/model/ideal_mixture.h"

namespace ideal {

struct FlashResult {
  double vaporFraction = 0;  //!< beta [mol/mol]; 0 all liquid, 1 all vapour
  std::vector<double> x;     //!< liquid mole fractions
  std::vector<double> y;     //!< vapour mole fractions
};

//! Rachford-Rice: sum z_i (K_i - 1) / (1 + beta (K_i - 1)) = 0, solved for beta by safeguarded
//! Newton inside the bracket of its poles. A feed below its bubble point (sum z K <= 1) is all
//! liquid, above its dew point (sum z / K <= 1) all vapour; the other phase then gets the
//! incipient composition. Throws ModelError: BadArgument for a bad T, P or feed, SolvingError
//! when a K-value is not finite or the iteration does not converge.
FlashResult tpFlash(const IdealMixture& mixture, double T, double P, const std::vector<double>& z);

}  // namespace ideal
