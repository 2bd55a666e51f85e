#include "pr_package/model/flash.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "pr_package/model/constants.h"
#include "pr_package/model/critical_point.h"
#include "pr_package/model/error.h"
#include "pr_package/model/linear_solve.h"
#include "pr_package/model/rachford_rice.h"
#include "pr_package/model/saturation.h"

namespace pr {
namespace {

constexpr int kMaxSuccessiveSubstitution = 400;
constexpr int kMaxNewton = 40;
constexpr double kNewtonSwitch = 1e-5;  // max |d ln K| at which SS hands over to Newton
constexpr double kFugacityTolerance = 1e-10;
constexpr double kRoundOffTolerance = 1e-7;

// Dominant-eigenvalue extrapolation of a linearly converging fixed-point sequence
// (Crowe and Nishio 1975, in the form Michelsen (1982) uses for ln K).
void accelerate(std::span<const std::size_t> active, std::span<const double> prev_delta,
                std::span<const double> delta, std::span<double> lnK) {
  double num = 0.0, den = 0.0;
  for (std::size_t i : active) {
    num += delta[i] * delta[i];
    den += prev_delta[i] * delta[i];
  }
  if (den == 0.0) return;
  const double lambda = num / den;
  if (!(lambda > 0.0 && lambda < 0.95)) return;
  const double f = lambda / (1.0 - lambda);
  for (std::size_t i : active) lnK[i] += f * delta[i];
}

}  // namespace

FlashSolver::FlashSolver(const Mixture& mix) : m_mix(mix), m_n(mix.size()) {
  for (auto* v : {&m_lnK, &m_lnK_warm, &m_K, &m_x, &m_y, &m_w, &m_d, &m_prev, &m_delta}) {
    v->assign(m_n, 0.0);
  }
  m_A.assign((m_n + 1) * (m_n + 1), 0.0);
  m_b.assign(m_n + 1, 0.0);
  m_active.reserve(m_n);
}

void FlashSolver::set_active(std::span<const double> z) {
  m_active.clear();
  for (std::size_t i = 0; i < m_n; ++i) {
    if (z[i] > 0.0) m_active.push_back(i);
  }
}

void FlashSolver::wilson(double T, double P, std::vector<double>& lnK) const {
  // Wilson's correlation, ln K = ln(Pc/P) + 5.373 (1 + omega)(1 - Tc/T).
  for (std::size_t i = 0; i < m_n; ++i) {
    const CompoundRecord& c = m_mix.compound(i);
    lnK[i] = std::log(c.Pc_Pa / P) + 5.373 * (1.0 + c.omega) * (1.0 - c.Tc_K / T);
  }
}

FlashResult FlashSolver::tp(double T, double P, std::span<const double> z) {
  m_warm_valid = false;
  return tp_internal(T, P, z, false);
}

FlashResult FlashSolver::tp_internal(double T, double P, std::span<const double> z, bool warm) {
  set_active(z);
  FlashResult r;
  r.T_K = T;
  r.P_Pa = P;
  if (m_active.size() >= 2) {
    const bool use_warm = warm && m_warm_valid;
    if (use_warm) {
      m_lnK = m_lnK_warm;
    } else {
      wilson(T, P, m_lnK);
    }
    bool found = two_phase(T, P, z, m_lnK, r);
    if (!found && use_warm) {
      wilson(T, P, m_lnK);
      found = two_phase(T, P, z, m_lnK, r);
    }
    if (!found) {
      StabilityResult st = stability(T, P, z);
      if (!st.stable) {
        m_lnK = st.lnK;
        found = two_phase(T, P, z, m_lnK, r);
        if (!found) {
          throw Error(
              ErrorKind::SolvingError, "FlashSolver::tp",
              cat("feed is unstable at T = ", T, " K, P = ", P, " Pa (tangent-plane distance ",
                  st.tm_min, ") but no two-phase solution was found"));
        }
      }
    }
    if (found) {
      finish_two_phase(r, RootChoice::MinGibbs, RootChoice::MinGibbs, true, true);
      for (std::size_t i : m_active) m_lnK_warm[i] = std::log(r.y[i] / r.x[i]);
      m_warm_valid = true;
      return r;
    }
  }
  m_warm_valid = false;
  finish_single(r, z);
  return r;
}

bool FlashSolver::two_phase(double T, double P, std::span<const double> z, std::vector<double>& lnK,
                            FlashResult& r) {
  double beta = 0.5;
  bool have_prev = false;
  bool handed_over = false;
  for (int it = 0; it < kMaxSuccessiveSubstitution; ++it) {
    for (std::size_t i = 0; i < m_n; ++i) m_K[i] = std::exp(lnK[i]);
    const RachfordRice rr = solve_rachford_rice(z, m_K);
    if (rr.one_sided != 0) return false;
    beta = rr.beta;
    for (std::size_t i = 0; i < m_n; ++i) {
      if (z[i] > 0.0) {
        m_x[i] = z[i] / (1.0 + beta * (m_K[i] - 1.0));
        m_y[i] = m_K[i] * m_x[i];
      } else {
        m_x[i] = m_y[i] = 0.0;
      }
    }
    double sx = 0.0, sy = 0.0;
    for (std::size_t i : m_active) {
      sx += m_x[i];
      sy += m_y[i];
    }
    for (std::size_t i : m_active) {
      m_x[i] /= sx;
      m_y[i] /= sy;
    }
    m_mix.evaluate(T, P, m_x, RootChoice::MinGibbs, Level::LnPhi, m_l);
    m_mix.evaluate(T, P, m_y, RootChoice::MinGibbs, Level::LnPhi, m_v);
    double err = 0.0, trivial = 0.0;
    for (std::size_t i : m_active) {
      const double next = m_l.res.lnphi[i] - m_v.res.lnphi[i];
      m_delta[i] = next - lnK[i];
      err = std::max(err, std::abs(m_delta[i]));
      lnK[i] = next;
      trivial += z[i] * next * next;
    }
    if (trivial < 1e-8) return false;  // both phases the same: single phase
    if (have_prev && it % 5 == 4) accelerate(m_active, m_prev, m_delta, lnK);
    m_prev = m_delta;
    have_prev = true;
    const bool inside = beta > 0.0 && beta < 1.0;
    if (err < kNewtonSwitch && inside) {
      handed_over = true;
      break;
    }
    if (err < 1e-9 && !inside) return false;  // negative flash converged: single phase
  }
  if (!handed_over) return false;
  r.beta = beta;
  r.x.assign(m_x.begin(), m_x.end());
  r.y.assign(m_y.begin(), m_y.end());
  return newton_tp(T, P, z, r);
}

void FlashSolver::build_hessian(double beta, std::span<double> H) {
  // d(ln f_i^V - ln f_i^L)/d v_j for one mole of feed, v the vapour mole numbers:
  // (1/beta)(delta_ij/y_i - 1 + Phi^V_ij) + (1/(1-beta))(delta_ij/x_i - 1 + Phi^L_ij),
  // Phi = d ln phi_i/d n_j for one mole of the phase (Michelsen and Mollerup, chapter 10).
  const std::size_t na = m_active.size();
  const double bv = 1.0 / beta, bl = 1.0 / (1.0 - beta);
  for (std::size_t a = 0; a < na; ++a) {
    const std::size_t i = m_active[a];
    for (std::size_t c = 0; c < na; ++c) {
      const std::size_t j = m_active[c];
      double h =
          bv * (m_v.res.dlnphi_dn[i * m_n + j] - 1.0) + bl * (m_l.res.dlnphi_dn[i * m_n + j] - 1.0);
      if (a == c) h += bv / m_v.x[i] + bl / m_l.x[i];
      H[a * na + c] = h;
    }
  }
}

bool FlashSolver::newton_tp(double T, double P, std::span<const double> z, FlashResult& r) {
  // The unknowns are the mole numbers u of the smaller phase: the larger phase follows as
  // z - u without cancellation, so a trace phase keeps the relative precision of its own
  // amounts and of its mole fractions, and the material balance holds exactly.
  const std::size_t na = m_active.size();
  double beta = r.beta;
  const bool minor_liquid = beta > 0.5;
  for (std::size_t i : m_active) m_w[i] = minor_liquid ? (1.0 - beta) * r.x[i] : beta * r.y[i];
  double last_gmax = HUGE_VAL;
  bool polish = false;
  for (int it = 0; it < kMaxNewton; ++it) {
    m_mix.evaluate(T, P, r.x, RootChoice::MinGibbs, Level::Full, m_l);
    m_mix.evaluate(T, P, r.y, RootChoice::MinGibbs, Level::Full, m_v);
    double gmax = 0.0;
    for (std::size_t a = 0; a < na; ++a) {
      const std::size_t i = m_active[a];
      const double g = std::log(r.y[i]) + m_v.res.lnphi[i] - std::log(r.x[i]) - m_l.res.lnphi[i];
      m_b[a] = -g;
      gmax = std::max(gmax, std::abs(g));
    }
    // Converged, or stalled at round-off. A small phase's amount moves with the residual
    // divided by that amount, so it takes one more Newton step than the tolerance asks for.
    const double minor = std::min(beta, 1.0 - beta);
    const bool stalled = gmax < kRoundOffTolerance && gmax > 0.5 * last_gmax;
    if (polish || gmax == 0.0 || stalled || (gmax < kFugacityTolerance && minor >= 1e-3)) {
      r.beta = beta;
      return true;
    }
    if (gmax < kFugacityTolerance) polish = true;
    last_gmax = gmax;
    build_hessian(beta, m_A);
    if (!lu_solve(std::span<double>(m_A.data(), na * na), std::span<double>(m_b.data(), na), na)) {
      return false;
    }
    // m_b is the change of the vapour moles; the liquid moles change by its negative.
    const double sign = minor_liquid ? -1.0 : 1.0;
    double step = 1.0;
    for (int cut = 0; cut < 40; ++cut) {
      bool ok = true;
      for (std::size_t a = 0; a < na && ok; ++a) {
        const std::size_t i = m_active[a];
        const double u = m_w[i] + step * sign * m_b[a];
        ok = u > 0.0 && u < z[i];
      }
      if (ok) break;
      step *= 0.5;
    }
    double nu = 0.0;
    for (std::size_t a = 0; a < na; ++a) {
      const std::size_t i = m_active[a];
      m_w[i] += step * sign * m_b[a];
      nu += m_w[i];
    }
    if (!(nu > 0.0 && nu < 1.0)) return false;
    std::vector<double>& minor_x = minor_liquid ? r.x : r.y;
    std::vector<double>& major_x = minor_liquid ? r.y : r.x;
    for (std::size_t i : m_active) {
      minor_x[i] = m_w[i] / nu;
      major_x[i] = (z[i] - m_w[i]) / (1.0 - nu);
    }
    beta = minor_liquid ? 1.0 - nu : nu;
  }
  return false;
}

void FlashSolver::finish_two_phase(FlashResult& r, RootChoice vap_root, RootChoice liq_root,
                                   bool allow_swap, bool sensitivities) {
  const double T = r.T_K, P = r.P_Pa;
  m_mix.evaluate(T, P, r.y, vap_root, Level::Full, m_v);
  m_mix.evaluate(T, P, r.x, liq_root, Level::Full, m_l);
  if (allow_swap && m_v.res.V_m3mol < m_l.res.V_m3mol) {
    std::swap(r.x, r.y);
    std::swap(m_v, m_l);
    r.beta = 1.0 - r.beta;
  }
  r.has_vapour = r.has_liquid = true;
  const double b = r.beta;
  r.h_Jmol = b * m_v.h + (1.0 - b) * m_l.h;
  r.s_JmolK = b * m_v.s + (1.0 - b) * m_l.s;
  r.V_m3mol = b * m_v.res.V_m3mol + (1.0 - b) * m_l.res.V_m3mol;

  const double cp = b * m_v.cp + (1.0 - b) * m_l.cp;
  const double VT = b * m_v.res.dV_dT_P + (1.0 - b) * m_l.res.dV_dT_P;
  m_dh_dT = cp;
  m_ds_dT = cp / T;
  m_dh_dP = r.V_m3mol - T * VT;
  m_ds_dP = -VT;
  if (!sensitivities || !(b > 0.0 && b < 1.0)) return;

  // Implicit differentiation of the equilibrium: H dv/dX = -dg/dX, with g the difference of the
  // log fugacities; the moles moved between phases carry the difference of the partial molar
  // enthalpies, dH_i = -R T^2 (d ln phi_i^V/dT - d ln phi_i^L/dT).
  const std::size_t na = m_active.size();
  const double RT = R_JmolK * T;
  double dvT_h = 0.0, dvP_h = 0.0;
  for (int pass = 0; pass < 2; ++pass) {
    build_hessian(b, m_A);
    for (std::size_t a = 0; a < na; ++a) {
      const std::size_t i = m_active[a];
      m_b[a] = pass == 0 ? -(m_v.res.dlnphi_dT[i] - m_l.res.dlnphi_dT[i])
                         : -(m_v.res.V_partial[i] - m_l.res.V_partial[i]) / RT;
    }
    if (!lu_solve(std::span<double>(m_A.data(), na * na), std::span<double>(m_b.data(), na), na)) {
      return;
    }
    double sum = 0.0;
    for (std::size_t a = 0; a < na; ++a) {
      const std::size_t i = m_active[a];
      const double dH = -RT * T * (m_v.res.dlnphi_dT[i] - m_l.res.dlnphi_dT[i]);
      sum += dH * m_b[a];
    }
    (pass == 0 ? dvT_h : dvP_h) = sum;
  }
  m_dh_dT += dvT_h;
  m_ds_dT += dvT_h / T;  // at equilibrium the partial molar entropies differ by dH_i / T
  m_dh_dP += dvP_h;
  m_ds_dP += dvP_h / T;
}

void FlashSolver::finish_single(FlashResult& r, std::span<const double> z) {
  m_mix.evaluate(r.T_K, r.P_Pa, z, RootChoice::MinGibbs, Level::Full, m_f);
  // With two roots the stable one tells the state; with one, the phase identification
  // parameter of Venkatarathnam and Oellrich (liquid-like above 1).
  const bool vapour = m_f.res.root_count == 2 ? m_f.res.is_largest_root : m_f.res.phase_id <= 1.0;
  r.has_vapour = vapour;
  r.has_liquid = !vapour;
  r.beta = vapour ? 1.0 : 0.0;
  r.x.clear();
  r.y.clear();
  (vapour ? r.y : r.x).assign(z.begin(), z.end());
  r.h_Jmol = m_f.h;
  r.s_JmolK = m_f.s;
  r.V_m3mol = m_f.res.V_m3mol;
  m_dh_dT = m_f.cp;
  m_ds_dT = m_f.cp / r.T_K;
  m_dh_dP = m_f.res.V_m3mol - r.T_K * m_f.res.dV_dT_P;
  m_ds_dP = -m_f.res.dV_dT_P;
}

StabilityResult FlashSolver::stability(double T, double P, std::span<const double> z) {
  set_active(z);
  StabilityResult out;
  out.trial.assign(m_n, 0.0);
  out.lnK.assign(m_n, 0.0);
  if (m_active.size() < 2) return out;
  m_mix.evaluate(T, P, z, RootChoice::MinGibbs, Level::LnPhi, m_f);
  for (std::size_t i : m_active) m_d[i] = std::log(z[i]) + m_f.res.lnphi[i];
  wilson(T, P, m_lnK);

  std::vector<double>& lnW = m_K;  // reused buffer
  for (int trial = 0; trial < 2; ++trial) {
    const double sign = trial == 0 ? 1.0 : -1.0;  // vapour-like, then liquid-like
    std::fill(lnW.begin(), lnW.end(), -std::numeric_limits<double>::infinity());
    for (std::size_t i : m_active) lnW[i] = std::log(z[i]) + sign * m_lnK[i];
    bool have_prev = false, trivial = false;
    double tm = 0.0;
    for (int it = 0; it < 500; ++it) {
      double sw = 0.0;
      for (std::size_t i : m_active) sw += std::exp(lnW[i]);
      std::fill(m_w.begin(), m_w.end(), 0.0);
      for (std::size_t i : m_active) m_w[i] = std::exp(lnW[i]) / sw;
      m_mix.evaluate(T, P, m_w, RootChoice::MinGibbs, Level::LnPhi, m_v);
      // Modified tangent-plane distance; negative at any W proves instability.
      tm = 1.0;
      double err = 0.0, dist = 0.0;
      for (std::size_t i : m_active) {
        const double W = std::exp(lnW[i]);
        tm += W * (lnW[i] + m_v.res.lnphi[i] - m_d[i] - 1.0);
        const double next = m_d[i] - m_v.res.lnphi[i];
        m_delta[i] = next - lnW[i];
        err = std::max(err, std::abs(m_delta[i]));
        lnW[i] = next;
        const double lw = std::log(m_w[i]) - std::log(z[i]);
        dist += lw * lw;
      }
      if (dist < 1e-10) {
        trivial = true;
        break;
      }
      if (tm < -1e-6 || err < 1e-10) break;
      if (have_prev && it % 5 == 4) accelerate(m_active, m_prev, m_delta, lnW);
      m_prev = m_delta;
      have_prev = true;
    }
    if (!trivial && tm < -1e-9 && tm < out.tm_min) {
      out.stable = false;
      out.tm_min = tm;
      out.trial = m_w;
      const bool lighter = m_v.res.V_m3mol > m_f.res.V_m3mol;
      for (std::size_t i : m_active) {
        const double lk = m_f.res.lnphi[i] - m_v.res.lnphi[i];  // ln(W_i / z_i)
        out.lnK[i] = lighter ? lk : -lk;
      }
    }
  }
  return out;
}

FlashResult FlashSolver::lever(double T, double P, double target, Target what,
                               std::span<const double> z) {
  // A jump of h or s at one temperature (pressure): a pure compound or an azeotrope changing
  // phase at constant composition; the amounts follow from the lever rule.
  m_mix.evaluate(T, P, z, RootChoice::Vapour, Level::Full, m_v);
  m_mix.evaluate(T, P, z, RootChoice::Liquid, Level::Full, m_l);
  const double lv = what == Target::Enthalpy ? m_v.h : m_v.s;
  const double ll = what == Target::Enthalpy ? m_l.h : m_l.s;
  if (m_v.res.root_count != 2 || !(lv > ll) || target < ll || target > lv) {
    throw Error(ErrorKind::SolvingError, "FlashSolver::lever",
                cat("no state matches the target ", target, " at T = ", T, " K, P = ", P, " Pa"));
  }
  FlashResult r;
  r.T_K = T;
  r.P_Pa = P;
  r.beta = (target - ll) / (lv - ll);
  r.x.assign(z.begin(), z.end());
  r.y.assign(z.begin(), z.end());
  finish_two_phase(r, RootChoice::Vapour, RootChoice::Liquid, false, false);
  return r;
}

FlashResult FlashSolver::outer_T(double P, double target, Target what, std::span<const double> z) {
  m_warm_valid = false;
  const double scale = what == Target::Enthalpy ? 1e-9 * std::max(std::abs(target), 1e3)
                                                : 1e-9 * std::max(std::abs(target), 10.0);
  // Start from the temperature where the ideal gas would have the target (enthalpy) or 300 K.
  double T = 300.0;
  if (what == Target::Enthalpy) {
    for (int it = 0; it < 50; ++it) {
      double h = 0.0, cp = 0.0;
      for (std::size_t i = 0; i < m_n; ++i) {
        h += z[i] * m_mix.h_ig(i, T);
        cp += z[i] * m_mix.compound(i).cp_ig.cp(T);
      }
      const double next = std::clamp(T - (h - target) / cp, 0.5 * T, 2.0 * T);
      if (std::abs(next - T) < 1e-3) break;
      T = std::clamp(next, 50.0, 3000.0);
    }
  }
  // Start no colder than half the pseudo-critical temperature: the flash of a dense mixture
  // far below its components' triple points has no physical meaning.
  double Tpc = 0.0;
  for (std::size_t i = 0; i < m_n; ++i) Tpc += z[i] * m_mix.compound(i).Tc_K;
  T = std::clamp(T, 0.5 * Tpc, 3000.0);
  double lo = T_min_K, hi = T_max_K;
  bool has_lo = false, has_hi = false;
  double last_good = -1.0;
  int failures = 0;
  for (int it = 0; it < 200; ++it) {
    FlashResult r;
    try {
      r = tp_internal(T, P, z, true);
    } catch (const Error& e) {
      // Step back towards the last temperature that flashed (or into the bracket).
      if (e.kind() != ErrorKind::SolvingError || ++failures > 20) throw;
      m_warm_valid = false;
      if (has_lo && has_hi) {
        T = 0.5 * (T + (T < 0.5 * (lo + hi) ? hi : lo));
      } else if (last_good > 0.0) {
        T = 0.5 * (T + last_good);
      } else {
        throw;
      }
      continue;
    }
    last_good = T;
    const double F = value(r, what) - target;
    const double dF = what == Target::Enthalpy ? m_dh_dT : m_ds_dT;
    if (std::abs(F) <= scale) return r;
    if (F < 0.0) {
      lo = T;
      has_lo = true;
    } else {
      hi = T;
      has_hi = true;
    }
    if (has_lo && has_hi && hi - lo <= 1e-10 * hi)
      return lever(0.5 * (lo + hi), P, target, what, z);
    double next = dF > 0.0 ? T - F / dF : 0.5 * (lo + hi);
    if (has_lo && has_hi) {
      if (!(next > lo && next < hi)) next = 0.5 * (lo + hi);
    } else if (!has_hi) {
      next = std::min(next, 1.5 * T + 50.0);
      if (T >= T_max_K) {
        throw Error(ErrorKind::OutOfBounds, "FlashSolver::outer_T",
                    cat("target ", target, " not reached below ", T_max_K, " K"));
      }
      next = std::min(std::max(next, T * (1.0 + 1e-12)), T_max_K);
    } else {
      next = std::max(next, 0.5 * T);
      if (T <= T_min_K * 1.0000001) {
        throw Error(ErrorKind::OutOfBounds, "FlashSolver::outer_T",
                    cat("target ", target, " not reached above ", T_min_K, " K"));
      }
      next = std::max(std::min(next, T * (1.0 - 1e-12)), T_min_K);
    }
    if (std::abs(next - T) <= 1e-12 * T) return r;
    T = next;
  }
  throw Error(ErrorKind::SolvingError, "FlashSolver::outer_T",
              cat("no convergence for target ", target, " at P = ", P, " Pa"));
}

FlashResult FlashSolver::outer_P(double T, double target, Target what, std::span<const double> z) {
  m_warm_valid = false;
  const double scale = what == Target::Enthalpy ? 1e-9 * std::max(std::abs(target), 1e3)
                                                : 1e-9 * std::max(std::abs(target), 10.0);
  // Coarse scan in ln P for the first sign change, then Newton in ln P inside it.
  double lo = 0.0, hi = 0.0, Flo = 0.0;
  bool found = false;
  double prevF = 0.0, prevU = 0.0;
  for (int k = 0; k <= 28; ++k) {
    const double u = std::log(1e2) + k * 0.5;
    FlashResult r = tp_internal(T, std::exp(u), z, true);
    const double F = value(r, what) - target;
    if (std::abs(F) <= scale) return r;
    if (k > 0 && (F > 0.0) != (prevF > 0.0)) {
      lo = prevU;
      hi = u;
      Flo = prevF;
      found = true;
      break;
    }
    prevF = F;
    prevU = u;
  }
  if (!found) {
    throw Error(ErrorKind::SolvingError, "FlashSolver::outer_P",
                cat("no pressure between 100 Pa and 120 MPa gives the target ", target,
                    " at T = ", T, " K"));
  }
  // F(lo) has the sign Flo; keep that end as "lo".
  double u = 0.5 * (lo + hi);
  for (int it = 0; it < 200; ++it) {
    const double P = std::exp(u);
    FlashResult r = tp_internal(T, P, z, true);
    const double F = value(r, what) - target;
    if (std::abs(F) <= scale) return r;
    if ((F > 0.0) == (Flo > 0.0))
      lo = u;
    else
      hi = u;
    if (std::abs(hi - lo) <= 1e-12) return lever(T, std::exp(0.5 * (lo + hi)), target, what, z);
    const double dF = P * (what == Target::Enthalpy ? m_dh_dP : m_ds_dP);
    double next = dF != 0.0 ? u - F / dF : 0.5 * (lo + hi);
    if (!(next > std::min(lo, hi) && next < std::max(lo, hi))) next = 0.5 * (lo + hi);
    if (std::abs(next - u) <= 1e-13) return r;
    u = next;
  }
  throw Error(ErrorKind::SolvingError, "FlashSolver::outer_P",
              cat("no convergence for target ", target, " at T = ", T, " K"));
}

FlashResult FlashSolver::ph(double P, double h, std::span<const double> z) {
  return outer_T(P, h, Target::Enthalpy, z);
}
FlashResult FlashSolver::ps(double P, double s, std::span<const double> z) {
  return outer_T(P, s, Target::Entropy, z);
}
FlashResult FlashSolver::th(double T, double h, std::span<const double> z) {
  return outer_P(T, h, Target::Enthalpy, z);
}
FlashResult FlashSolver::ts(double T, double s, std::span<const double> z) {
  return outer_P(T, s, Target::Entropy, z);
}
FlashResult FlashSolver::tvf(double T, double beta, std::span<const double> z) {
  return vapour_fraction(false, T, beta, z);
}
FlashResult FlashSolver::pvf(double P, double beta, std::span<const double> z) {
  return vapour_fraction(true, P, beta, z);
}

FlashResult FlashSolver::vapour_fraction(bool unknown_T, double fixed, double beta,
                                         std::span<const double> z) {
  if (!(beta >= 0.0 && beta <= 1.0)) {
    throw Error(ErrorKind::OutOfBounds, "FlashSolver::vapour_fraction",
                cat("vapour fraction ", beta, " outside [0, 1]"));
  }
  set_active(z);
  FlashResult r;
  r.beta = beta;
  if (m_active.size() == 1) {
    const std::size_t i = m_active[0];
    const SaturationPoint s =
        unknown_T ? saturation_at_P(m_mix, i, fixed) : saturation_at_T(m_mix, i, fixed);
    r.T_K = s.T_K;
    r.P_Pa = s.P_Pa;
    r.x.assign(z.begin(), z.end());
    r.y.assign(z.begin(), z.end());
    finish_two_phase(r, RootChoice::Vapour, RootChoice::Liquid, false, false);
    return r;
  }
  double lnX = 0.0;
  bool trivial = false;
  wilson_start(unknown_T, fixed, beta, z, lnX);
  // A direct solution close to the trivial one may sit on a spurious branch (a point where the
  // phases are nearly identical far from the real line); such starts go by continuation.
  const auto spread = [&] { return spread_of(m_lnK); };
  std::optional<FlashResult> direct;
  const bool solved = vf_newton(unknown_T, fixed, beta, z, lnX, r, trivial);
  const double apart = spread();
  if (solved && apart > 0.05 && physical(beta, z, r) == Physical::Yes) {
    // Near a critical point the line can cross this pressure (temperature) twice; the crossing
    // meant is the one that continuation from further away reaches first.
    if (apart > 0.5) return r;
    direct = r;
  }
  try {
    return continuation(unknown_T, fixed, beta, z, trivial);
  } catch (const Error& e) {
    if (e.kind() == ErrorKind::SolvingError && direct) return *direct;
    throw;
  }
}

FlashResult FlashSolver::continuation(bool unknown_T, double fixed, double beta,
                                      std::span<const double> z, bool trivial) {
  const auto where = [&](double X) {
    return cat("vapour fraction ", beta, " at ", unknown_T ? "P = " : "T = ", X,
               unknown_T ? " Pa" : " K");
  };
  const auto spread = [&] { return spread_of(m_lnK); };
  FlashResult r;
  double lnX = 0.0;
  // Continuation along the line of this vapour fraction from a point further from any critical
  // point (a tenth of the pressure, or four fifths of the temperature), each step started
  // from the last converged K-values; where the steps can no longer advance, the line ends.
  const double target = std::log(fixed);
  double s = target - (unknown_T ? std::log(10.0) : std::log(1.25));
  wilson_start(unknown_T, std::exp(s), beta, z, lnX);
  bool trivial0 = false;
  if (!vf_newton(unknown_T, std::exp(s), beta, z, lnX, r, trivial0) || !(spread() > 0.05)) {
    throw Error(ErrorKind::SolvingError, "FlashSolver::vapour_fraction",
                trivial ? cat(where(fixed),
                              ": the phases became identical (outside the two-phase region or "
                              "too close to a critical point)")
                        : cat("no convergence for ", where(fixed)));
  }
  double h = 0.25 * (target - s);
  std::vector<double> lnK_ok = m_lnK, lnK_prev = m_lnK;
  double lnX_ok = lnX, lnX_prev = lnX, s_prev = s;
  FlashResult last = r;
  while (s < target) {
    const double next = std::min(s + h, target);
    // Each step starts from the secant through the last two points, and a solution far from
    // that prediction has jumped to another crossing of the line.
    const double slope = s > s_prev ? (next - s) / (s - s_prev) : 0.0;
    for (std::size_t i : m_active) m_lnK[i] = lnK_ok[i] + slope * (lnK_ok[i] - lnK_prev[i]);
    const double predicted = lnX_ok + slope * (lnX_ok - lnX_prev);
    lnX = predicted;
    bool triv = false;
    if (vf_newton(unknown_T, std::exp(next), beta, z, lnX, r, triv) &&
        std::abs(lnX - predicted) < 0.02 + 0.5 * std::abs(predicted - lnX_ok) && spread() > 1e-3) {
      s_prev = s;
      lnK_prev = lnK_ok;
      lnX_prev = lnX_ok;
      s = next;
      lnK_ok = m_lnK;
      lnX_ok = lnX;
      last = r;
      h *= 1.5;
      continue;
    }
    m_lnK = lnK_ok;
    lnX = lnX_ok;
    h *= 0.5;
    if (h < 1e-7) {
      // Where the phases were becoming identical the line ends at the critical point of the
      // feed; anywhere else at its highest pressure or temperature.
      std::optional<CriticalPoint> crit;
      if (spread_of(lnK_ok) < 0.5) {
        try {
          crit = pr::critical_point(m_mix, z, last.T_K, last.P_Pa);
          if (std::abs(std::log(crit->T_K / last.T_K)) > 0.05 ||
              std::abs(std::log(crit->P_Pa / last.P_Pa)) > 0.1) {
            crit.reset();
          }
        } catch (const Error&) {
        }
      }
      throw Error(
          ErrorKind::SolvingError, "FlashSolver::vapour_fraction",
          crit ? cat(where(fixed),
                     ": the line of this vapour fraction ends near the mixture critical "
                     "point T = ",
                     crit->T_K, " K, P = ", crit->P_Pa, " Pa")
               : cat(where(fixed), ": the line of this vapour fraction ends near T = ", last.T_K,
                     " K, P = ", last.P_Pa, " Pa (its highest pressure or temperature)"));
    }
  }
  if (const Physical p = physical(beta, z, r); p != Physical::Yes) {
    const bool swapped = p == Physical::VapourDenser;
    throw Error(ErrorKind::SolvingError, "FlashSolver::vapour_fraction",
                cat(where(fixed), ": the only solution found, at T = ", r.T_K, " K, P = ", r.P_Pa,
                    swapped ? " Pa, has its vapour denser than its liquid (the other side of a "
                              "critical point)"
                            : " Pa, is not the stable one (the feed splits there)"));
  }
  return r;
}

double FlashSolver::spread_of(std::span<const double> lnK) const {
  double big = 0.0;
  for (std::size_t i : m_active) big = std::max(big, std::abs(lnK[i]));
  return big;
}

FlashSolver::Physical FlashSolver::physical(double beta, std::span<const double> z,
                                            const FlashResult& r) {
  // The phase called vapour is the lighter one; otherwise this is the other side of a critical
  // point (a bubble point asked for as a dew point, or the reverse).
  if (!(m_v.res.V_m3mol > m_l.res.V_m3mol)) return Physical::VapourDenser;
  if (beta != 0.0 && beta != 1.0) return Physical::Yes;
  // At a saturation point the incipient phase is the most stable trial phase: a trial of
  // negative tangent-plane distance means the feed already splits there, and the point is a
  // second root of the equations inside the two-phase region. Such roots lie close to a
  // critical point, where all K-values are within a factor of e^2 of one; elsewhere the test
  // would only cost time.
  if (spread_of(m_lnK) > 2.0) return Physical::Yes;
  const StabilityResult st = stability(r.T_K, r.P_Pa, z);
  return st.tm_min < -1e-7 ? Physical::FeedSplits : Physical::Yes;
}

void FlashSolver::wilson_start(bool unknown_T, double fixed, double beta, std::span<const double> z,
                               double& lnX) {
  // Wilson K-values with T (or P) from the Rachford-Rice condition at this beta.
  double T = unknown_T ? 300.0 : fixed;
  double P = unknown_T ? fixed : 1e5;
  double lo = unknown_T ? std::log(T_min_K * 5.0) : std::log(P_min_Pa);
  double hi = unknown_T ? std::log(T_max_K) : std::log(P_max_Pa);
  for (int it = 0; it < 100; ++it) {
    const double mid = 0.5 * (lo + hi);
    (unknown_T ? T : P) = std::exp(mid);
    wilson(T, P, m_lnK);
    for (std::size_t i = 0; i < m_n; ++i) m_K[i] = std::exp(m_lnK[i]);
    const double f = rachford_rice_residual(z, m_K, beta);
    // f rises with T and falls with P.
    if ((f > 0.0) == unknown_T)
      hi = mid;
    else
      lo = mid;
  }
  lnX = std::log(unknown_T ? T : P);
}

bool FlashSolver::vf_newton(bool unknown_T, double fixed, double beta, std::span<const double> z,
                            double& lnX, FlashResult& r, bool& trivial) {
  // Newton in (ln K, ln T or ln P) on equal fugacities and the Rachford-Rice condition.
  const std::size_t na = m_active.size();
  double T = unknown_T ? 0.0 : fixed;
  double P = unknown_T ? fixed : 0.0;
  const std::size_t m = na + 1;
  double last_gmax = HUGE_VAL;
  trivial = false;
  for (int it = 0; it < 100; ++it) {
    (unknown_T ? T : P) = std::exp(lnX);
    double sx = 0.0, sy = 0.0;
    for (std::size_t i = 0; i < m_n; ++i) {
      m_K[i] = std::exp(m_lnK[i]);
      m_d[i] = 1.0 + beta * (m_K[i] - 1.0);
      m_x[i] = z[i] > 0.0 ? z[i] / m_d[i] : 0.0;
      m_y[i] = m_K[i] * m_x[i];
      sx += m_x[i];
      sy += m_y[i];
    }
    for (std::size_t i = 0; i < m_n; ++i) {
      m_w[i] = m_y[i] / sy;     // normalised vapour
      m_prev[i] = m_x[i] / sx;  // normalised liquid
    }
    m_mix.evaluate(T, P, m_prev, RootChoice::Liquid, Level::Full, m_l);
    m_mix.evaluate(T, P, m_w, RootChoice::Vapour, Level::Full, m_v);
    double gmax = 0.0, rr = 0.0, lnKmax = 0.0;
    for (std::size_t a = 0; a < na; ++a) {
      const std::size_t i = m_active[a];
      const double g = m_lnK[i] + m_v.res.lnphi[i] - m_l.res.lnphi[i];
      m_b[a] = -g;
      gmax = std::max(gmax, std::abs(g));
      rr += m_y[i] - m_x[i];
      lnKmax = std::max(lnKmax, std::abs(m_lnK[i]));
    }
    m_b[na] = -rr;
    gmax = std::max(gmax, std::abs(rr));
    if (lnKmax < 1e-4) {
      trivial = true;  // the phases became identical
      return false;
    }
    const bool stalled = gmax < kRoundOffTolerance && gmax > 0.5 * last_gmax;
    last_gmax = gmax;
    if (gmax < kFugacityTolerance || stalled) {
      r.T_K = T;
      r.P_Pa = P;
      r.beta = beta;
      r.x = m_prev;
      r.y = m_w;
      finish_two_phase(r, RootChoice::Vapour, RootChoice::Liquid, false, false);
      return true;
    }
    // Jacobian in (ln K_active, ln X); x and y are mole numbers of totals sx, sy, and ln phi is
    // homogeneous of degree zero, so d ln phi_i/d y_j = Phi_ij / sy.
    std::fill(m_A.begin(), m_A.begin() + m * m, 0.0);
    for (std::size_t c = 0; c < na; ++c) {
      const std::size_t j = m_active[c];
      const double q = m_K[j] * z[j] / (m_d[j] * m_d[j]);
      const double dy = (1.0 - beta) * q, dx = -beta * q;
      for (std::size_t a = 0; a < na; ++a) {
        const std::size_t i = m_active[a];
        m_A[a * m + c] = (a == c ? 1.0 : 0.0) + m_v.res.dlnphi_dn[i * m_n + j] * dy / sy -
                         m_l.res.dlnphi_dn[i * m_n + j] * dx / sx;
      }
      m_A[na * m + c] = q;
    }
    const double X = unknown_T ? T : P;
    for (std::size_t a = 0; a < na; ++a) {
      const std::size_t i = m_active[a];
      m_A[a * m + na] = unknown_T ? X * (m_v.res.dlnphi_dT[i] - m_l.res.dlnphi_dT[i])
                                  : X * (m_v.res.dlnphi_dP[i] - m_l.res.dlnphi_dP[i]);
    }
    m_A[na * m + na] = 0.0;
    if (!lu_solve(std::span<double>(m_A.data(), m * m), std::span<double>(m_b.data(), m), m)) {
      return false;
    }
    double big = 0.0;
    for (std::size_t a = 0; a < na; ++a) big = std::max(big, std::abs(m_b[a]));
    double step = 1.0;
    if (big > 2.0) step = 2.0 / big;
    if (std::abs(m_b[na]) * step > 0.3) step = 0.3 / std::abs(m_b[na]);
    for (std::size_t a = 0; a < na; ++a) m_lnK[m_active[a]] += step * m_b[a];
    lnX += step * m_b[na];
    const double Xn = std::exp(lnX);
    if (unknown_T ? (Xn < T_min_K || Xn > T_max_K) : (Xn < P_min_Pa || Xn > P_max_Pa)) {
      return false;
    }
  }
  return false;
}

FlashResult FlashSolver::hvf(double h, double beta, std::span<const double> z) {
  // H along a line of constant vapour fraction need not be monotone in P (dew lines): scan up
  // in ln P for the first bracket, then Illinois-type regula falsi inside it.
  double prevU = 0.0, prevF = 0.0;
  bool have_prev = false;
  double lo = 0.0, hi = 0.0, Flo = 0.0, Fhi = 0.0;
  bool found = false;
  for (int k = 0; k <= 40; ++k) {
    const double u = std::log(1e3) + 0.25 * k;
    FlashResult r;
    try {
      r = pvf(std::exp(u), beta, z);
    } catch (const Error& e) {
      if (e.kind() == ErrorKind::SolvingError || e.kind() == ErrorKind::OutOfBounds) {
        if (have_prev) break;  // past the highest pressure of this vapour-fraction line
        continue;
      }
      throw;
    }
    const double F = r.h_Jmol - h;
    if (std::abs(F) <= 1e-9 * std::max(std::abs(h), 1e3)) return r;
    if (have_prev && (F > 0.0) != (prevF > 0.0)) {
      lo = prevU, Flo = prevF, hi = u, Fhi = F;
      found = true;
      break;
    }
    prevU = u, prevF = F, have_prev = true;
  }
  if (!found) {
    throw Error(ErrorKind::SolvingError, "FlashSolver::hvf",
                cat("no pressure gives enthalpy ", h, " J/mol at vapour fraction ", beta));
  }
  int side = 0;
  for (int it = 0; it < 100; ++it) {
    const double u = (lo * Fhi - hi * Flo) / (Fhi - Flo);
    FlashResult r = pvf(std::exp(u), beta, z);
    const double F = r.h_Jmol - h;
    if (std::abs(F) <= 1e-9 * std::max(std::abs(h), 1e3) || std::abs(hi - lo) < 1e-13) return r;
    if ((F > 0.0) == (Flo > 0.0)) {
      lo = u, Flo = F;
      if (side == -1) Fhi *= 0.5;
      side = -1;
    } else {
      hi = u, Fhi = F;
      if (side == +1) Flo *= 0.5;
      side = +1;
    }
  }
  throw Error(ErrorKind::SolvingError, "FlashSolver::hvf",
              cat("no convergence for enthalpy ", h, " J/mol at vapour fraction ", beta));
}

}  // namespace pr
