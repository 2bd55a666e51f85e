#include "ideal_package/model/tp_flash.h"

#include <cmath>
#include <sstream>

#include "ideal_package/model/model_error.h"

namespace ideal {

namespace {

constexpr const char* kScope = "tpFlash";

double rachfordRice(const std::vector<double>& z, const std::vector<double>& K, double beta,
                    double* derivative) {
  double f = 0, df = 0;
  for (std::size_t i = 0; i < z.size(); ++i) {
    const double d = K[i] - 1, den = 1 + beta * d;
    f += z[i] * d / den;
    df -= z[i] * d * d / (den * den);
  }
  *derivative = df;
  return f;
}

}  // namespace

FlashResult tpFlash(const IdealMixture& mixture, double T, double P,
                    const std::vector<double>& zIn) {
  if (!(T > 0) || !(P > 0) || !std::isfinite(T) || !std::isfinite(P)) {
    std::ostringstream m;
    m << "temperature " << T << " K and pressure " << P << " Pa must be positive";
    throw ModelError(ErrorKind::BadArgument, kScope, m.str());
  }
  const std::vector<double> z = mixture.normalised(zIn, kScope);
  const std::size_t n = z.size();
  const std::vector<double> lnPhiL = mixture.lnPhi(PhaseKind::Liquid, T, P);
  std::vector<double> K(n);
  for (std::size_t i = 0; i < n; ++i) {
    K[i] = std::exp(lnPhiL[i]);
    if (!std::isfinite(K[i]) || !(K[i] > 0)) {
      std::ostringstream m;
      m.precision(10);
      m << "the K-value of \"" << mixture.compounds()[i].name << "\" is " << K[i] << " at " << T
        << " K and " << P << " Pa";
      throw ModelError(ErrorKind::SolvingError, kScope, m.str());
    }
  }
  double sumZK = 0, sumZoverK = 0;
  for (std::size_t i = 0; i < n; ++i) {
    sumZK += z[i] * K[i];
    sumZoverK += z[i] / K[i];
  }
  FlashResult r;
  r.x.resize(n);
  r.y.resize(n);
  if (sumZK <= 1) {  // subcooled: all liquid, incipient vapour y = K z / sum(K z)
    r.vaporFraction = 0;
    for (std::size_t i = 0; i < n; ++i) {
      r.x[i] = z[i];
      r.y[i] = K[i] * z[i] / sumZK;
    }
    return r;
  }
  if (sumZoverK <= 1) {  // superheated: all vapour, incipient liquid x = (z/K) / sum(z/K)
    r.vaporFraction = 1;
    for (std::size_t i = 0; i < n; ++i) {
      r.y[i] = z[i];
      r.x[i] = z[i] / K[i] / sumZoverK;
    }
    return r;
  }
  double lo = 0, hi = 1, beta = 0.5;
  bool converged = false;
  for (int it = 0; it < 200 && !converged; ++it) {
    double df = 0;
    const double f = rachfordRice(z, K, beta, &df);  // decreasing in beta
    if (f > 0)
      lo = beta;
    else
      hi = beta;
    double next = df != 0 ? beta - f / df : 0.5 * (lo + hi);
    if (!(next > lo && next < hi)) next = 0.5 * (lo + hi);
    converged = std::fabs(next - beta) < 1e-14 || hi - lo < 1e-15;
    beta = next;
  }
  if (!converged) {
    std::ostringstream m;
    m << "Rachford-Rice did not converge at " << T << " K and " << P << " Pa";
    throw ModelError(ErrorKind::SolvingError, kScope, m.str());
  }
  r.vaporFraction = beta;
  for (std::size_t i = 0; i < n; ++i) {
    r.x[i] = z[i] / (1 + beta * (K[i] - 1));
    r.y[i] = K[i] * r.x[i];
  }
  return r;
}

}  // namespace ideal
