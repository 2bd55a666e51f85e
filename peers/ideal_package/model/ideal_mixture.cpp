#include "ideal_package/model/ideal_mixture.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "ideal_package/model/model_error.h"
#include "ideal_package/model/pure_compound.h"

namespace ideal {

namespace {

bool same(const std::string& a, const char* b) {
  std::size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return i == a.size() && b[i] == 0;
}

template <class... Args>
std::string cat(const Args&... args) {
  std::ostringstream out;
  out.precision(10);
  (out << ... << args);
  return out.str();
}

void checkState(double T, double P, const char* scope) {
  if (!(T > 0) || !std::isfinite(T))
    throw ModelError(ErrorKind::BadArgument, scope, cat("temperature ", T, " K is not positive"));
  if (!(P > 0) || !std::isfinite(P))
    throw ModelError(ErrorKind::BadArgument, scope, cat("pressure ", P, " Pa is not positive"));
}

std::vector<double> finite(std::vector<double> v, const std::string& name, const char* scope) {
  for (double d : v)
    if (!std::isfinite(d))
      throw ModelError(ErrorKind::NotAvailable, scope,
                       cat("\"", name, "\" is not finite at this state"));
  return v;
}

}  // namespace

IdealMixture::IdealMixture(std::vector<Compound> compounds) : m_compounds(std::move(compounds)) {}

const std::vector<std::string>& IdealMixture::singlePhaseProperties() {
  static const std::vector<std::string> list = {"fugacityCoefficient",
                                                "fugacityCoefficient.Dtemperature",
                                                "fugacityCoefficient.Dpressure",
                                                "fugacityCoefficient.DmolFraction",
                                                "fugacityCoefficient.Dmoles",
                                                "density",
                                                "density.Dtemperature",
                                                "density.Dpressure",
                                                "enthalpy",
                                                "enthalpy.Dtemperature",
                                                "enthalpy.Dpressure",
                                                "enthalpy.DmolFraction",
                                                "enthalpy.Dmoles",
                                                "entropy",
                                                "entropy.Dtemperature",
                                                "entropy.Dpressure",
                                                "molecularWeight",
                                                "compressibilityFactor"};
  return list;
}

const std::vector<std::string>& IdealMixture::twoPhaseProperties() {
  static const std::vector<std::string> list = {"kvalue", "kvalue.Dtemperature",
                                                "kvalue.Dpressure"};
  return list;
}

const std::vector<std::string>& IdealMixture::temperatureDependentProperties() {
  static const std::vector<std::string> list = {
      "vaporPressure",   "vaporPressure.Dtemperature", "idealGasHeatCapacity", "idealGasEnthalpy",
      "idealGasEntropy", "heatOfVaporization"};
  return list;
}

std::vector<double> IdealMixture::normalised(const std::vector<double>& x,
                                             const char* scope) const {
  if (x.size() != size())
    throw ModelError(ErrorKind::BadArgument, scope,
                     cat("composition has ", x.size(), " values for ", size(), " compounds"));
  double sum = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    if (!std::isfinite(x[i]) || x[i] < -1e-12)
      throw ModelError(ErrorKind::BadArgument, scope,
                       cat("mole fraction of \"", m_compounds[i].name, "\" is ", x[i]));
    sum += std::max(x[i], 0.0);
  }
  if (!(sum > 0)) throw ModelError(ErrorKind::BadArgument, scope, "all mole fractions are zero");
  std::vector<double> out(x.size());
  for (std::size_t i = 0; i < x.size(); ++i) out[i] = std::max(x[i], 0.0) / sum;
  return out;
}

std::vector<double> IdealMixture::lnPhi(PhaseKind phase, double T, double P) const {
  std::vector<double> out(size(), 0.0);
  if (phase == PhaseKind::Liquid)
    for (std::size_t i = 0; i < size(); ++i)
      out[i] = leeKesler(m_compounds[i], T).lnP - std::log(P);
  return out;
}

std::vector<double> IdealMixture::dlnPhi_dT(PhaseKind phase, double T, double) const {
  std::vector<double> out(size(), 0.0);
  if (phase == PhaseKind::Liquid)
    for (std::size_t i = 0; i < size(); ++i) out[i] = leeKesler(m_compounds[i], T).dlnP_dT;
  return out;
}

std::vector<double> IdealMixture::dlnPhi_dP(PhaseKind phase, double, double P) const {
  return std::vector<double>(size(), phase == PhaseKind::Liquid ? -1.0 / P : 0.0);
}

std::vector<double> IdealMixture::singlePhase(const std::string& name, PhaseKind phase, double T,
                                              double P, const std::vector<double>& xIn) const {
  static constexpr const char* kScope = "IdealMixture::singlePhase";
  checkState(T, P, kScope);
  const std::vector<double> x = normalised(xIn, kScope);
  const std::size_t n = size();
  const bool liquid = phase == PhaseKind::Liquid;

  // Pure-compound parts at T: enthalpy, Cp and entropy of each compound in the phase.
  std::vector<double> Hi(n), Cpi(n), Si(n);
  for (std::size_t i = 0; i < n; ++i) {
    const IdealGasState ig = alyLee(m_compounds[i], T);
    Hi[i] = ig.H;
    Cpi[i] = ig.Cp;
    Si[i] = ig.S - R_JmolK * std::log(P / P0_Pa);
    if (liquid) {
      const LnVaporPressure ps = leeKesler(m_compounds[i], T);
      Hi[i] -= R_JmolK * T * T * ps.dlnP_dT;
      Cpi[i] -= R_JmolK * (2 * T * ps.dlnP_dT + T * T * ps.d2lnP_dT2);
      Si[i] = ig.S - R_JmolK * (ps.lnP - std::log(P0_Pa)) - R_JmolK * T * ps.dlnP_dT;
    }
  }
  auto mix = [&](const std::vector<double>& v) {
    double s = 0;
    for (std::size_t i = 0; i < n; ++i) s += x[i] * v[i];
    return s;
  };
  double mixingEntropy = 0;
  for (double xi : x)
    if (xi > 0) mixingEntropy -= R_JmolK * xi * std::log(xi);

  double V = 0, dV_dT = 0;  // liquid molar volume
  if (liquid)
    for (std::size_t i = 0; i < n; ++i) {
      const LiquidVolume lv = rackett(m_compounds[i], T);
      V += x[i] * lv.V;
      dV_dT += x[i] * lv.dV_dT;
    }

  std::vector<double> out;
  if (same(name, "fugacityCoefficient")) {
    out = lnPhi(phase, T, P);
    for (double& v : out) v = std::exp(v);
  } else if (same(name, "fugacityCoefficient.Dtemperature") ||
             same(name, "fugacityCoefficient.Dpressure")) {
    const std::vector<double> phi = lnPhi(phase, T, P);
    out = same(name, "fugacityCoefficient.Dtemperature") ? dlnPhi_dT(phase, T, P)
                                                         : dlnPhi_dP(phase, T, P);
    for (std::size_t i = 0; i < n; ++i) out[i] *= std::exp(phi[i]);
  } else if (same(name, "fugacityCoefficient.DmolFraction") ||
             same(name, "fugacityCoefficient.Dmoles")) {
    out.assign(n * n, 0.0);  // ideal: no composition dependence
  } else if (same(name, "density")) {
    out = {liquid ? 1.0 / V : P / (R_JmolK * T)};
  } else if (same(name, "density.Dtemperature")) {
    out = {liquid ? -dV_dT / (V * V) : -P / (R_JmolK * T * T)};
  } else if (same(name, "density.Dpressure")) {
    out = {liquid ? 0.0 : 1.0 / (R_JmolK * T)};
  } else if (same(name, "enthalpy")) {
    out = {mix(Hi)};
  } else if (same(name, "enthalpy.Dtemperature")) {
    out = {mix(Cpi)};
  } else if (same(name, "enthalpy.Dpressure")) {
    out = {0.0};
  } else if (same(name, "enthalpy.DmolFraction")) {
    out = Hi;
  } else if (same(name, "enthalpy.Dmoles")) {
    const double h = mix(Hi);
    out = Hi;
    for (double& v : out) v -= h;  // d h / d n_i for a total of one mole
  } else if (same(name, "entropy")) {
    out = {mix(Si) + mixingEntropy};
  } else if (same(name, "entropy.Dtemperature")) {
    out = {mix(Cpi) / T};
  } else if (same(name, "entropy.Dpressure")) {
    out = {liquid ? 0.0 : -R_JmolK / P};
  } else if (same(name, "molecularWeight")) {
    double mw = 0;
    for (std::size_t i = 0; i < n; ++i) mw += x[i] * m_compounds[i].MW_gmol;
    out = {mw};
  } else if (same(name, "compressibilityFactor")) {
    out = {liquid ? P * V / (R_JmolK * T) : 1.0};
  } else {
    throw ModelError(ErrorKind::InvalidArgument, kScope,
                     cat("property \"", name, "\" is not calculated by the ideal package"));
  }
  return finite(std::move(out), name, kScope);
}

std::vector<double> IdealMixture::twoPhase(const std::string& name, PhaseKind phase1,
                                           PhaseKind phase2, double T, double P) const {
  static constexpr const char* kScope = "IdealMixture::twoPhase";
  checkState(T, P, kScope);
  // K_i = x_i(1) / x_i(2) = phi_i(2) / phi_i(1).
  const std::vector<double> l1 = lnPhi(phase1, T, P), l2 = lnPhi(phase2, T, P);
  std::vector<double> K(size());
  for (std::size_t i = 0; i < size(); ++i) K[i] = std::exp(l2[i] - l1[i]);
  if (same(name, "kvalue")) return finite(K, name, kScope);
  std::vector<double> d1, d2;
  if (same(name, "kvalue.Dtemperature")) {
    d1 = dlnPhi_dT(phase1, T, P);
    d2 = dlnPhi_dT(phase2, T, P);
  } else if (same(name, "kvalue.Dpressure")) {
    d1 = dlnPhi_dP(phase1, T, P);
    d2 = dlnPhi_dP(phase2, T, P);
  } else {
    throw ModelError(
        ErrorKind::InvalidArgument, kScope,
        cat("two-phase property \"", name, "\" is not calculated by the ideal package"));
  }
  for (std::size_t i = 0; i < size(); ++i) K[i] *= d2[i] - d1[i];
  return finite(K, name, kScope);
}

double IdealMixture::temperatureDependent(const std::string& name, std::size_t i, double T) const {
  static constexpr const char* kScope = "IdealMixture::temperatureDependent";
  if (!(T > 0))
    throw ModelError(ErrorKind::BadArgument, kScope, cat("temperature ", T, " K is not positive"));
  const Compound& c = m_compounds.at(i);
  double v = 0;
  if (same(name, "vaporPressure")) {
    v = std::exp(leeKesler(c, T).lnP);
  } else if (same(name, "vaporPressure.Dtemperature")) {
    const LnVaporPressure ps = leeKesler(c, T);
    v = std::exp(ps.lnP) * ps.dlnP_dT;
  } else if (same(name, "idealGasHeatCapacity")) {
    v = alyLee(c, T).Cp;
  } else if (same(name, "idealGasEnthalpy")) {
    v = alyLee(c, T).H;
  } else if (same(name, "idealGasEntropy")) {
    v = alyLee(c, T).S;
  } else if (same(name, "heatOfVaporization")) {
    v = R_JmolK * T * T * leeKesler(c, T).dlnP_dT;
  } else {
    throw ModelError(ErrorKind::InvalidArgument, kScope,
                     cat("temperature-dependent property \"", name, "\" is not calculated"));
  }
  if (!std::isfinite(v))
    throw ModelError(ErrorKind::NotAvailable, kScope,
                     cat("\"", name, "\" of \"", c.name, "\" is not finite at ", T, " K"));
  return v;
}

double IdealMixture::boilingTemperature(std::size_t i, double P) const {
  static constexpr const char* kScope = "IdealMixture::boilingTemperature";
  if (!(P > 0))
    throw ModelError(ErrorKind::BadArgument, kScope, cat("pressure ", P, " Pa is not positive"));
  const Compound& c = m_compounds.at(i);
  double T = c.Tb_K.value_or(0.7 * c.Tc_K);
  for (int it = 0; it < 100; ++it) {
    const LnVaporPressure ps = leeKesler(c, T);
    const double step = (ps.lnP - std::log(P)) / ps.dlnP_dT;
    T -= std::max(-0.2 * T, std::min(0.2 * T, step));
    if (std::fabs(step) < 1e-9 * T) return T;
  }
  throw ModelError(ErrorKind::SolvingError, kScope,
                   cat("no boiling temperature of \"", c.name, "\" found at ", P, " Pa"));
}

}  // namespace ideal
