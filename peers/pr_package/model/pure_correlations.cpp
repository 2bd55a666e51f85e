#include "pr_package/model/pure_correlations.h"

#include <cmath>

namespace pr {

double Dippr101::operator()(double T) const {
  return std::exp(A + B / T + C * std::log(T) + D * std::pow(T, E));
}

double Dippr102::operator()(double T) const {
  return A * std::pow(T, B) / (1.0 + C / T + D / (T * T));
}

double ChemSep16::operator()(double T) const {
  return A + std::exp(B / T + C + D * T + E * T * T);
}

}  // namespace pr
