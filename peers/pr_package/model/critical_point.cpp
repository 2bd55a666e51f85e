#include "pr_package/model/critical_point.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "pr_package/model/constants.h"
#include "pr_package/model/error.h"
#include "pr_package/model/linear_solve.h"

namespace pr {
namespace {

// Smallest eigenvalue and its unit eigenvector of a symmetric n x n matrix (cyclic Jacobi;
// n is the number of compounds present).
double smallest_eigen(std::vector<double> A, std::size_t n, std::vector<double>& u) {
  std::vector<double> V(n * n, 0.0);
  for (std::size_t i = 0; i < n; ++i) V[i * n + i] = 1.0;
  for (int sweep = 0; sweep < 60; ++sweep) {
    double off = 0.0, diag = 0.0;
    for (std::size_t p = 0; p < n; ++p) {
      diag += A[p * n + p] * A[p * n + p];
      for (std::size_t q = p + 1; q < n; ++q) off += A[p * n + q] * A[p * n + q];
    }
    if (off <= 1e-32 * diag) break;
    for (std::size_t p = 0; p < n; ++p) {
      for (std::size_t q = p + 1; q < n; ++q) {
        const double apq = A[p * n + q];
        if (apq == 0.0) continue;
        const double theta = (A[q * n + q] - A[p * n + p]) / (2.0 * apq);
        const double t = (theta >= 0.0 ? 1.0 : -1.0) / (std::abs(theta) + std::hypot(theta, 1.0));
        const double c = 1.0 / std::hypot(t, 1.0), s = t * c;
        for (std::size_t k = 0; k < n; ++k) {
          const double akp = A[k * n + p], akq = A[k * n + q];
          A[k * n + p] = c * akp - s * akq;
          A[k * n + q] = s * akp + c * akq;
        }
        for (std::size_t k = 0; k < n; ++k) {
          const double apk = A[p * n + k], aqk = A[q * n + k];
          A[p * n + k] = c * apk - s * aqk;
          A[q * n + k] = s * apk + c * aqk;
        }
        for (std::size_t k = 0; k < n; ++k) {
          const double vkp = V[k * n + p], vkq = V[k * n + q];
          V[k * n + p] = c * vkp - s * vkq;
          V[k * n + q] = s * vkp + c * vkq;
        }
      }
    }
  }
  std::size_t m = 0;
  for (std::size_t i = 1; i < n; ++i) {
    if (A[i * n + i] < A[m * n + m]) m = i;
  }
  u.resize(n);
  for (std::size_t k = 0; k < n; ++k) u[k] = V[k * n + m];
  return A[m * n + m];
}

// The feed restricted to its compounds present, and the scaled Hessian of its Helmholtz energy
// at (T, V) for one mole:
//   A_res/RT = -n g(V, B) - D f(V, B) / T,  g = ln(1 - B/V),
//   f = ln((V + d1 B)/(V + d2 B)) / (R B (d1 - d2)),  B = sum n_i b_i,  D = sum n_i n_j a_ij,
// whose composition derivatives at fixed T and V all go through B and D.
class Criteria {
 public:
  Criteria(const Mixture& mix, std::span<const double> z) : m_cubic(mix.cubic()) {
    double total = 0.0;
    for (std::size_t i = 0; i < mix.size(); ++i) {
      if (!(z[i] >= 0.0) || !std::isfinite(z[i])) {
        throw Error(ErrorKind::BadArgument, "pr::critical_point",
                    cat("mole fraction ", i, " is ", z[i]));
      }
      if (z[i] > 0.0) {
        m_idx.push_back(i);
        total += z[i];
      }
    }
    if (m_idx.empty()) {
      throw Error(ErrorKind::BadArgument, "pr::critical_point", "no compound present");
    }
    const std::size_t n = m_idx.size();
    for (std::size_t i : m_idx) {
      m_z.push_back(z[i] / total);
      m_b.push_back(m_cubic.b(i));
      m_B += m_z.back() * m_b.back();
      m_Tc_lo = std::min(m_Tc_lo, mix.compound(i).Tc_K);
      m_Tc_hi = std::max(m_Tc_hi, mix.compound(i).Tc_K);
    }
    m_s.assign(n, 0.0);
    m_a.assign(n * n, 0.0);
    m_Dk.assign(n, 0.0);
    m_M.assign(n * n, 0.0);
  }

  double covolume() const { return m_B; }
  double Tc_lo() const { return m_Tc_lo; }
  double Tc_hi() const { return m_Tc_hi; }
  int evaluations() const { return m_evaluations; }

  double pressure(double T, double V) const {
    const double d1 = m_cubic.delta1(), d2 = m_cubic.delta2();
    return R_JmolK * T / (V - m_B) - m_D / ((V + d1 * m_B) * (V + d2 * m_B));
  }

  // Whether the scaled Hessian at (T, V) is positive definite (Cholesky, no eigenvalues).
  bool stable(double T, double V) {
    hessian(T, V);
    const std::size_t n = m_idx.size();
    std::vector<double>& L = m_work;
    L = m_M;
    for (std::size_t j = 0; j < n; ++j) {
      double d = L[j * n + j];
      for (std::size_t k = 0; k < j; ++k) d -= L[j * n + k] * L[j * n + k];
      if (!(d > 0.0)) return false;
      d = std::sqrt(d);
      L[j * n + j] = d;
      for (std::size_t i = j + 1; i < n; ++i) {
        double s = L[i * n + j];
        for (std::size_t k = 0; k < j; ++k) s -= L[i * n + k] * L[j * n + k];
        L[i * n + j] = s / d;
      }
    }
    return true;
  }

  double lambda(double T, double V) {
    hessian(T, V);
    return smallest_eigen(m_M, m_idx.size(), m_u);
  }

  CriticalityResidual residual(double T, double V) {
    CriticalityResidual r;
    r.lambda = lambda(T, V);
    const std::size_t n = m_idx.size();
    // dn = sqrt(z) u, the direction in which the feed first loses stability.
    double N1 = 0.0, dB = 0.0, D1 = 0.0, D2 = 0.0, ideal = 0.0;
    std::vector<double>& dn = m_work;
    dn.assign(n, 0.0);
    for (std::size_t k = 0; k < n; ++k) {
      dn[k] = std::sqrt(m_z[k]) * m_u[k];
      dB += dn[k] * m_b[k];
    }
    if (dB < 0.0) {
      for (double& v : dn) v = -v;
      dB = -dB;
    }
    for (std::size_t k = 0; k < n; ++k) {
      N1 += dn[k];
      D1 += dn[k] * m_Dk[k];
      for (std::size_t l = 0; l < n; ++l) D2 += 2.0 * dn[k] * dn[l] * m_a[k * n + l];
      ideal -= dn[k] * dn[k] * dn[k] / (m_z[k] * m_z[k]);
    }
    // d3/ds3 of A/RT along n = z + s dn at s = 0 (n and B linear in s, D quadratic).
    const double dB2 = dB * dB, dB3 = dB2 * dB;
    r.cubic = ideal - (3.0 * N1 * m_gBB * dB2 + m_gBBB * dB3) -
              (3.0 * D2 * m_fB * dB + 3.0 * D1 * m_fBB * dB2 + m_D * m_fBBB * dB3) / T;
    return r;
  }

 private:
  void hessian(double T, double V) {
    ++m_evaluations;
    const std::size_t n = m_idx.size();
    for (std::size_t k = 0; k < n; ++k) m_s[k] = std::sqrt(m_cubic.a(m_idx[k], T));
    m_D = 0.0;
    for (std::size_t k = 0; k < n; ++k) {
      double Dk = 0.0;
      for (std::size_t l = 0; l < n; ++l) {
        const double a = (1.0 - m_cubic.kij(m_idx[k], m_idx[l])) * m_s[k] * m_s[l];
        m_a[k * n + l] = a;
        Dk += m_z[l] * a;
      }
      m_Dk[k] = 2.0 * Dk;
      m_D += m_z[k] * Dk;
    }
    const double B = m_B, d1 = m_cubic.delta1(), d2 = m_cubic.delta2();
    const double VmB = V - B;
    const double gB = -1.0 / VmB;
    m_gBB = -1.0 / (VmB * VmB);
    m_gBBB = -2.0 / (VmB * VmB * VmB);
    // f = c L(B) / B and its B derivatives.
    const double p1 = V + d1 * B, p2 = V + d2 * B, c = 1.0 / (R_JmolK * (d1 - d2));
    const double L0 = std::log(p1 / p2);
    const double L1 = d1 / p1 - d2 / p2;
    const double L2 = -d1 * d1 / (p1 * p1) + d2 * d2 / (p2 * p2);
    const double L3 = 2.0 * (d1 * d1 * d1 / (p1 * p1 * p1) - d2 * d2 * d2 / (p2 * p2 * p2));
    const double iB = 1.0 / B;
    const double f = c * L0 * iB;
    m_fB = c * iB * (L1 - L0 * iB);
    m_fBB = c * iB * (L2 - 2.0 * iB * (L1 - L0 * iB));
    m_fBBB = c * iB * (L3 - 3.0 * iB * (L2 - 2.0 * iB * (L1 - L0 * iB)));
    for (std::size_t k = 0; k < n; ++k) {
      for (std::size_t l = 0; l <= k; ++l) {
        const double bk = m_b[k], bl = m_b[l];
        const double F = -gB * (bk + bl) - m_gBB * bk * bl -
                         (2.0 * m_a[k * n + l] * f + m_fB * (m_Dk[k] * bl + m_Dk[l] * bk) +
                          m_D * m_fBB * bk * bl) /
                             T;
        const double v = (k == l ? 1.0 : 0.0) + std::sqrt(m_z[k] * m_z[l]) * F;
        m_M[k * n + l] = v;
        m_M[l * n + k] = v;
      }
    }
  }

  const GenericCubic& m_cubic;
  std::vector<std::size_t> m_idx;
  std::vector<double> m_z, m_b, m_s, m_a, m_Dk, m_M, m_u, m_work;
  double m_B = 0.0, m_D = 0.0, m_gBB = 0.0, m_gBBB = 0.0, m_fB = 0.0, m_fBB = 0.0, m_fBBB = 0.0;
  double m_Tc_lo = std::numeric_limits<double>::infinity(), m_Tc_hi = 0.0;
  int m_evaluations = 0;
};

// Root of f in [a, b] with f(a) f(b) < 0 (Illinois), to |b - a| <= tol; none where f cannot
// be evaluated.
template <class F>
std::optional<double> illinois(F&& f, double a, double fa, double b, double fb, double tol) {
  int side = 0;
  for (int it = 0; it < 200 && std::abs(b - a) > tol; ++it) {
    const double c = (a * fb - b * fa) / (fb - fa);
    const double fc = f(c);
    if (!std::isfinite(fc)) return std::nullopt;
    if (fc == 0.0) return c;
    if ((fc > 0.0) == (fb > 0.0)) {
      b = c;
      fb = fc;
      if (side == -1) fa *= 0.5;
      side = -1;
    } else {
      a = c;
      fa = fc;
      if (side == 1) fb *= 0.5;
      side = 1;
    }
  }
  return std::abs(fa) < std::abs(fb) ? a : b;
}

constexpr double kTolLn = 1e-13;

// All temperatures of the stability limit at volume V, hottest first: every change of sign
// of lambda on a grid in ln T, then bracketed down.
std::vector<double> limit_temperatures(Criteria& c, double V, double T_lo, double T_hi) {
  constexpr int kSteps = 90;
  std::vector<double> out;
  const double h = std::log(T_hi / T_lo) / kSteps;
  double x_prev = std::log(T_hi);
  bool s_prev = c.stable(T_hi, V);
  for (int k = 1; k <= kSteps; ++k) {
    const double x = std::log(T_hi) - k * h;
    const bool s = c.stable(std::exp(x), V);
    if (s != s_prev) {
      auto f = [&](double y) { return c.lambda(std::exp(y), V); };
      if (const auto y = illinois(f, x_prev, f(x_prev), x, f(x), kTolLn))
        out.push_back(std::exp(*y));
    }
    x_prev = x;
    s_prev = s;
  }
  return out;
}

// The stability-limit temperature at V on the branch through T_guess, if one lies within a
// factor exp(0.3) of it.
std::optional<double> limit_near(Criteria& c, double V, double T_guess) {
  auto f = [&](double y) { return c.lambda(std::exp(y), V); };
  const double x0 = std::log(T_guess), f0 = f(x0);
  if (f0 == 0.0) return T_guess;
  for (double d = 1e-4; d < 0.3; d *= 2.0) {
    for (const double x : {x0 + d, x0 - d}) {
      const double fx = f(x);
      if ((fx > 0.0) == (f0 > 0.0)) continue;
      const auto y = illinois(f, x0, f0, x, fx, kTolLn);
      return y ? std::optional<double>(std::exp(*y)) : std::nullopt;
    }
  }
  return std::nullopt;
}

std::optional<CriticalPoint> make_point(Criteria& c, double T, double V) {
  CriticalPoint p;
  p.T_K = T;
  p.V_m3mol = V;
  p.P_Pa = c.pressure(T, V);
  p.iterations = c.evaluations();
  if (!std::isfinite(p.P_Pa)) return std::nullopt;
  return p;
}

bool in_range(const CriticalPoint& p) {
  return p.P_Pa >= P_min_Pa && p.P_Pa <= P_max_Pa && p.T_K >= T_min_K && p.T_K <= T_max_K;
}

// The critical point on one branch between two packing fractions where the cubic term
// changes sign (Illinois in the packing fraction, the branch's temperature solved at each).
std::optional<CriticalPoint> refine(Criteria& c, double ea, double Ta, double Ca, double eb,
                                    double Tb, double Cb) {
  const double B = c.covolume();
  double T_last = 0.0;
  auto cubic_at = [&](double e) {
    const double w = (e - ea) / (eb - ea);
    const auto T = limit_near(c, B / e, Ta * std::pow(Tb / Ta, w));
    if (!T) return std::numeric_limits<double>::quiet_NaN();
    T_last = *T;
    return c.residual(*T, B / e).cubic;
  };
  const auto root = illinois(cubic_at, ea, Ca, eb, Cb, kTolLn * std::min(ea, eb));
  if (!root) return std::nullopt;
  const double e = *root;
  if (!std::isfinite(cubic_at(e))) return std::nullopt;
  return make_point(c, T_last, B / e);
}

// The points inside the model's range, hottest first; those outside it (a critical line
// rising to pressures beyond it, say) go to outside.
std::vector<CriticalPoint> search(Criteria& c, std::vector<CriticalPoint>* outside = nullptr) {
  const double T_lo = std::max(T_min_K, 0.2 * c.Tc_lo());
  const double T_hi = std::min(T_max_K, 3.0 * c.Tc_hi());
  struct Node {
    double T, C;
  };
  std::vector<double> etas;
  for (double e = 0.02; e < 0.98 + 1e-9; e += 0.02) etas.push_back(e);
  std::vector<std::vector<Node>> grid;
  for (const double e : etas) {
    const double V = c.covolume() / e;
    std::vector<Node> nodes;
    for (const double T : limit_temperatures(c, V, T_lo, T_hi)) {
      nodes.push_back({T, c.residual(T, V).cubic});
    }
    grid.push_back(std::move(nodes));
  }
  std::vector<CriticalPoint> out;
  for (std::size_t j = 0; j + 1 < grid.size(); ++j) {
    for (const Node& a : grid[j]) {
      // The same branch at the next packing fraction: the nearest limit temperature.
      const Node* b = nullptr;
      for (const Node& n : grid[j + 1]) {
        if (!b || std::abs(std::log(n.T / a.T)) < std::abs(std::log(b->T / a.T))) b = &n;
      }
      if (!b || std::abs(std::log(b->T / a.T)) > 0.7 || (a.C > 0.0) == (b->C > 0.0)) continue;
      if (auto p = refine(c, etas[j], a.T, a.C, etas[j + 1], b->T, b->C)) {
        if (in_range(*p)) {
          out.push_back(*p);
        } else if (outside) {
          outside->push_back(*p);
        }
      }
    }
  }
  std::sort(out.begin(), out.end(),
            [](const CriticalPoint& x, const CriticalPoint& y) { return x.T_K > y.T_K; });
  return out;
}

// Newton on both criteria in (ln T, ln V) from a start, with a difference Jacobian.
std::optional<CriticalPoint> newton(Criteria& c, double T0, double V0) {
  double x[2] = {std::log(T0), std::log(V0)};
  const double lnB = std::log(c.covolume());
  auto eval = [&](const double* y) { return c.residual(std::exp(y[0]), std::exp(y[1])); };
  CriticalityResidual f = eval(x);
  for (int it = 0; it < 40; ++it) {
    const double h = 1e-7;
    const double xT[2] = {x[0] + h, x[1]}, xV[2] = {x[0], x[1] + h};
    const CriticalityResidual fT = eval(xT), fV = eval(xV);
    double J[4] = {(fT.lambda - f.lambda) / h, (fV.lambda - f.lambda) / h, (fT.cubic - f.cubic) / h,
                   (fV.cubic - f.cubic) / h};
    double d[2] = {-f.lambda, -f.cubic};
    if (!lu_solve(std::span<double>(J, 4), std::span<double>(d, 2), 2)) return std::nullopt;
    const double scale = std::max({1.0, std::abs(d[0]) / 0.05, std::abs(d[1]) / 0.1});
    x[0] += d[0] / scale;
    x[1] += d[1] / scale;
    if (!(std::isfinite(x[0]) && std::isfinite(x[1])) || x[1] - lnB < 0.1) return std::nullopt;
    f = eval(x);
    if (scale == 1.0 && std::abs(d[0]) < 1e-12 && std::abs(d[1]) < 1e-11) {
      auto p = make_point(c, std::exp(x[0]), std::exp(x[1]));
      if (p && !in_range(*p)) p.reset();
      return p;
    }
  }
  return std::nullopt;
}

}  // namespace

CriticalityResidual criticality_residual(const Mixture& mix, std::span<const double> z, double T_K,
                                         double V_m3mol) {
  Criteria c(mix, z);
  return c.residual(T_K, V_m3mol);
}

std::vector<CriticalPoint> critical_points(const Mixture& mix, std::span<const double> z) {
  Criteria c(mix, z);
  return search(c);
}

CriticalPoint critical_point(const Mixture& mix, std::span<const double> z, double T_start_K,
                             double P_start_Pa) {
  Criteria c(mix, z);
  PhaseState st;
  std::vector<double> x(z.begin(), z.end());
  double total = 0.0;
  for (double v : x) total += v;
  for (double& v : x) v /= total;
  mix.evaluate(T_start_K, P_start_Pa, x, RootChoice::MinGibbs, Level::LnPhi, st);
  if (auto p = newton(c, T_start_K, st.res.V_m3mol)) return *p;
  const std::vector<CriticalPoint> all = search(c);
  const CriticalPoint* best = nullptr;
  auto distance = [&](const CriticalPoint& p) {
    return std::hypot(std::log(p.T_K / T_start_K), std::log(p.P_Pa / P_start_Pa));
  };
  for (const CriticalPoint& p : all) {
    if (!best || distance(p) < distance(*best)) best = &p;
  }
  if (best) return *best;
  throw Error(ErrorKind::SolvingError, "pr::critical_point",
              cat("no critical point found from T = ", T_start_K, " K, P = ", P_start_Pa,
                  " Pa, nor on any stability-limit branch"));
}

CriticalPoint critical_point(const Mixture& mix, std::span<const double> z) {
  Criteria c(mix, z);
  std::vector<CriticalPoint> outside;
  const std::vector<CriticalPoint> all = search(c, &outside);
  if (!all.empty()) return all.front();
  std::string where;
  for (const CriticalPoint& p : outside) {
    where += cat(where.empty() ? "; outside the model's range only, at " : ", at ", "T = ", p.T_K,
                 " K, P = ", p.P_Pa, " Pa");
  }
  throw Error(ErrorKind::SolvingError, "pr::critical_point",
              cat("no critical point on any stability-limit branch of this composition", where));
}

}  // namespace pr
