#include "antoine_model.h"

#include <cmath>
#include <numeric>
#include <stdexcept>

namespace antoine {

namespace {
constexpr double kMmHg = 133.322368;  // Pa
constexpr double kT0 = 298.15;        // K, the enthalpy reference
}  // namespace

const std::vector<Compound>& compounds() {
  static const std::vector<Compound> list = {
      {"benzene", "C6H6", "71-43-2", 78.114, 353.24, 562.05, 4.895e6, 6.90565, 1211.033, 220.790,
       82.4, 30720},
      {"toluene", "C7H8", "108-88-3", 92.141, 383.79, 591.75, 4.108e6, 6.95464, 1344.800, 219.482,
       103.6, 33180},
      {"ethylbenzene", "C8H10", "100-41-4", 106.167, 409.35, 617.15, 3.609e6, 6.95719, 1424.255,
       213.206, 128.4, 35570},
  };
  return list;
}

double vapourPressure(const Compound& c, double t) {
  return kMmHg * std::pow(10.0, c.a - c.b / (t - 273.15 + c.c));
}

double dLnVapourPressure(const Compound& c, double t) {
  const double d = t - 273.15 + c.c;
  return std::log(10.0) * c.b / (d * d);
}

std::vector<double> lnPhi(const std::vector<Compound>& cs, Phase p, double t, double pressure) {
  std::vector<double> out;
  for (const Compound& c : cs)
    out.push_back(p == Phase::Vapor ? 0.0 : std::log(vapourPressure(c, t) / pressure));
  return out;
}

double enthalpy(const std::vector<Compound>& cs, Phase p, double t, const std::vector<double>& x) {
  double h = 0;
  for (std::size_t i = 0; i < cs.size(); ++i) {
    double hi = cs[i].cpIdealGas * (t - kT0);
    if (p == Phase::Liquid) hi -= cs[i].heatOfVaporisation;
    h += x[i] * hi;
  }
  return h;
}

FlashResult tpFlash(const std::vector<Compound>& cs, double t, double pressure,
                    const std::vector<double>& zIn) {
  if (!(t > 0) || !(pressure > 0)) throw std::invalid_argument("T and P must be positive");
  const double sum = std::accumulate(zIn.begin(), zIn.end(), 0.0);
  if (zIn.size() != cs.size() || !(sum > 0)) throw std::invalid_argument("bad feed composition");
  std::vector<double> z, k;
  for (std::size_t i = 0; i < cs.size(); ++i) {
    z.push_back(zIn[i] / sum);
    k.push_back(vapourPressure(cs[i], t) / pressure);
  }
  // g(V) = sum z (K - 1) / (1 + V (K - 1)) falls with V; one phase when it does not change sign.
  auto g = [&](double v) {
    double s = 0;
    for (std::size_t i = 0; i < z.size(); ++i) s += z[i] * (k[i] - 1) / (1 + v * (k[i] - 1));
    return s;
  };
  FlashResult r;
  if (g(0) <= 0) {
    r.vaporFraction = 0;
  } else if (g(1) >= 0) {
    r.vaporFraction = 1;
  } else {
    double lo = 0, hi = 1;
    for (int it = 0; it < 200 && hi - lo > 1e-14; ++it)
      (g(0.5 * (lo + hi)) > 0 ? lo : hi) = 0.5 * (lo + hi);
    r.vaporFraction = 0.5 * (lo + hi);
  }
  for (std::size_t i = 0; i < z.size(); ++i) {
    const double xi = z[i] / (1 + r.vaporFraction * (k[i] - 1));
    r.x.push_back(xi);
    r.y.push_back(k[i] * xi);
  }
  // Outside the two-phase region one list is the feed and the other has no physical meaning.
  if (r.vaporFraction == 0) r.x = z;
  if (r.vaporFraction == 1) r.y = z;
  return r;
}

}  // namespace antoine
