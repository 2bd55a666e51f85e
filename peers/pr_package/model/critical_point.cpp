#include "pr_package/model/critical_point.h"

#include <algorithm>
#include <cmath>

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
  // A fixed sign, so that the cubic term keeps its sign from one evaluation to the next.
  if (u[0] < 0.0) {
    for (double& v : u) v = -v;
  }
  return A[m * n + m];
}

struct Work {
  std::vector<std::size_t> active;
  std::vector<double> x, B, u, a;
  PhaseState st;
  double V = 0.0;  // of the feed at the last residual
};

// u' H(W) u along W = z + s a, a = sqrt(z) u, with H_ij = delta_ij / W_i + Phi_ij / N the
// Hessian of the tangent-plane distance in the mole numbers W (N of them in total).
double curvature(const Mixture& mix, std::span<const double> z, double T, double P, double s,
                 Work& w) {
  const std::size_t n = mix.size();
  double N = 0.0;
  std::fill(w.x.begin(), w.x.end(), 0.0);
  for (std::size_t k = 0; k < w.active.size(); ++k) {
    const std::size_t i = w.active[k];
    w.x[i] = z[i] + s * w.a[k];
    N += w.x[i];
  }
  std::vector<double> W(w.x);
  for (double& v : w.x) v /= N;
  mix.evaluate(T, P, w.x, RootChoice::MinGibbs, Level::Full, w.st);
  double q = 0.0;
  for (std::size_t k = 0; k < w.active.size(); ++k) {
    const std::size_t i = w.active[k];
    q += w.a[k] * w.a[k] / W[i];
    for (std::size_t l = 0; l < w.active.size(); ++l) {
      const std::size_t j = w.active[l];
      q += w.a[k] * w.a[l] * w.st.res.dlnphi_dn[i * n + j] / N;
    }
  }
  return q;
}

CriticalityResidual residual(const Mixture& mix, std::span<const double> z, double T, double P,
                             Work& w) {
  const std::size_t n = mix.size(), na = w.active.size();
  mix.evaluate(T, P, z, RootChoice::MinGibbs, Level::Full, w.st);
  w.B.assign(na * na, 0.0);
  for (std::size_t k = 0; k < na; ++k) {
    const std::size_t i = w.active[k];
    for (std::size_t l = 0; l < na; ++l) {
      const std::size_t j = w.active[l];
      w.B[k * na + l] =
          (k == l ? 1.0 : 0.0) + std::sqrt(z[i] * z[j]) * w.st.res.dlnphi_dn[i * n + j];
    }
  }
  w.V = w.st.res.V_m3mol;
  CriticalityResidual r;
  r.lambda = smallest_eigen(w.B, na, w.u);
  w.a.resize(na);
  double eps = 1e-4;
  for (std::size_t k = 0; k < na; ++k) {
    const std::size_t i = w.active[k];
    w.a[k] = std::sqrt(z[i]) * w.u[k];
    if (w.a[k] != 0.0) eps = std::min(eps, 1e-2 * z[i] / std::abs(w.a[k]));
  }
  // The cubic term is the slope of the curvature along the eigenvector.
  r.cubic = (curvature(mix, z, T, P, eps, w) - curvature(mix, z, T, P, -eps, w)) / (2.0 * eps);
  return r;
}

Work make_work(const Mixture& mix, std::span<const double> z) {
  Work w;
  for (std::size_t i = 0; i < mix.size(); ++i) {
    if (z[i] > 0.0) w.active.push_back(i);
  }
  w.x.assign(mix.size(), 0.0);
  if (w.active.size() < 2) {
    throw Error(ErrorKind::BadArgument, "critical_point",
                "a critical point of a mixture needs two or more compounds present");
  }
  return w;
}

CriticalPoint newton(const Mixture& mix, std::span<const double> z, double T_start_K,
                     double P_start_Pa, Work& w);

}  // namespace

CriticalityResidual criticality_residual(const Mixture& mix, std::span<const double> z, double T_K,
                                         double P_Pa) {
  Work w = make_work(mix, z);
  return residual(mix, z, T_K, P_Pa, w);
}

CriticalPoint critical_point(const Mixture& mix, std::span<const double> z, double T_start_K,
                             double P_start_Pa) {
  Work w = make_work(mix, z);
  return newton(mix, z, T_start_K, P_start_Pa, w);
}

CriticalPoint critical_point(const Mixture& mix, std::span<const double> z) {
  Work w = make_work(mix, z);
  // Li's volume-fraction rule for the temperature, which follows the heavy end of an asymmetric
  // mixture, and Kay's rule for the pressure, which lies below the true one; further starts at
  // higher pressure cover the pressure maximum of the critical locus.
  double Vm = 0.0, T0 = 0.0, P0 = 0.0, smallest = 1.0;
  for (std::size_t i : w.active) Vm += z[i] * mix.compound(i).Vc_m3mol;
  for (std::size_t i : w.active) {
    T0 += z[i] * mix.compound(i).Vc_m3mol / Vm * mix.compound(i).Tc_K;
    P0 += z[i] * mix.compound(i).Pc_Pa;
    smallest = std::min(smallest, z[i]);
  }
  for (const double f : {1.0, 1.6, 0.7}) {
    try {
      return newton(mix, z, T0, f * P0, w);
    } catch (const Error&) {
    }
  }
  throw Error(ErrorKind::SolvingError, "critical_point",
              cat("no critical point found from the pseudo-critical estimate T = ", T0,
                  " K, P = ", P0, " Pa",
                  smallest < 0.1
                      ? cat("; with a compound as dilute as ", smallest,
                            " the criteria at fixed T and P change within a region of about that "
                            "width around the main compound's critical point, too narrow for "
                            "Newton in T and P")
                      : std::string()));
}

namespace {

CriticalPoint newton(const Mixture& mix, std::span<const double> z, double T_start_K,
                     double P_start_Pa, Work& w) {
  double u[2] = {std::log(T_start_K), std::log(P_start_Pa)};
  CriticalityResidual f = residual(mix, z, T_start_K, P_start_Pa, w);
  for (int it = 1; it <= 60; ++it) {
    const double h = 1e-6;
    const CriticalityResidual fT = residual(mix, z, std::exp(u[0] + h), std::exp(u[1]), w);
    const CriticalityResidual fP = residual(mix, z, std::exp(u[0]), std::exp(u[1] + h), w);
    double J[4] = {(fT.lambda - f.lambda) / h, (fP.lambda - f.lambda) / h, (fT.cubic - f.cubic) / h,
                   (fP.cubic - f.cubic) / h};
    double d[2] = {-f.lambda, -f.cubic};
    if (!lu_solve(std::span<double>(J, 4), std::span<double>(d, 2), 2)) break;
    // Steps bounded so that Newton stays in the region of its start.
    const double scale = std::max({1.0, std::abs(d[0]) / 0.05, std::abs(d[1]) / 0.2});
    u[0] += d[0] / scale;
    u[1] += d[1] / scale;
    if (!(std::isfinite(u[0]) && std::isfinite(u[1]))) break;
    const double T = std::exp(u[0]), P = std::exp(u[1]);
    if (T < T_min_K || T > T_max_K || P < P_min_Pa || P > P_max_Pa) break;
    f = residual(mix, z, T, P, w);
    if (scale == 1.0 && std::abs(d[0]) < 1e-11 && std::abs(d[1]) < 1e-10) {
      CriticalPoint c;
      c.T_K = T;
      c.P_Pa = P;
      c.V_m3mol = w.V;
      c.iterations = it;
      return c;
    }
  }
  throw Error(ErrorKind::SolvingError, "critical_point",
              cat("no critical point found from T = ", T_start_K, " K, P = ", P_start_Pa,
                  " Pa (last eigenvalue ", f.lambda, ", cubic term ", f.cubic, ")"));
}

}  // namespace

}  // namespace pr
