#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "pr_package/model/critical_point.h"
#include "pr_package/model/mixture.h"

namespace pr {

//! Outcome of an equilibrium calculation for one mole of feed.
//!
//! Phases: a vapour and/or a liquid. At a bubble point (vapour fraction 0) or a dew point (1)
//! both phases are present, the incipient one with zero amount. The composition of an absent
//! phase is empty.
struct FlashResult {
  double T_K = 0.0;
  double P_Pa = 0.0;
  double beta = 0.0;  //!< Vapour phase fraction, mole basis [-].
  bool has_vapour = false;
  bool has_liquid = false;
  std::vector<double> y;  //!< Vapour mole fractions [-].
  std::vector<double> x;  //!< Liquid mole fractions [-].
  double h_Jmol = 0.0;    //!< Overall enthalpy [J/mol].
  double s_JmolK = 0.0;   //!< Overall entropy [J/(mol K)].
  double V_m3mol = 0.0;   //!< Overall molar volume [m3/mol].
};

//! Result of the tangent-plane stability test of a feed.
struct StabilityResult {
  bool stable = true;
  double tm_min = 0.0;        //!< Lowest modified tangent-plane distance found [-].
  std::vector<double> trial;  //!< Trial-phase mole fractions at that minimum.
  std::vector<double> lnK;    //!< K-value estimate for a flash from that trial.
};

//! Vapour-liquid equilibrium of one Mixture.
//!
//! TP: Wilson K-values, successive substitution on ln K with the Rachford-Rice equation solved
//! on its whole negative-flash interval and dominant-eigenvalue acceleration every fifth step
//! (Michelsen, Fluid Phase Equilib. 9 (1982) 21), then Newton in the vapour mole numbers with
//! the analytical Hessian of the Gibbs energy. When that finds no two-phase state, Michelsen's
//! tangent-plane test (Fluid Phase Equilib. 9 (1982) 1) from a vapour-like and a liquid-like
//! trial decides; an unstable feed is flashed again from the trial phase.
//! PH, PS: Newton on T with the analytical dH/dT (dS/dT) along the equilibrium path, kept in a
//! bisection bracket. TH, TS: the same in ln P after a coarse scan for a bracket, since H(P) at
//! fixed T need not be monotone. TVF, PVF: Newton in (ln K, ln T or ln P) on equal fugacities
//! and the Rachford-Rice condition at the given vapour fraction; a start near the trivial
//! solution goes by continuation from a tenth of the pressure (four fifths of the temperature).
//! A solution is kept only with its vapour the lighter phase and, at a bubble or dew point, the
//! feed stable by the tangent-plane test (else it is a second root inside the two-phase region);
//! a line that ends at the feed's critical point says so with that point. HVF: bracketed secant in
//! ln P over PVF flashes. A single compound uses its saturation curve and the lever rule.
//!
//! Only one liquid phase is modelled. Holds work buffers: one solver per thread.
class FlashSolver {
 public:
  explicit FlashSolver(const Mixture& mix);

  FlashResult tp(double T_K, double P_Pa, std::span<const double> z);
  FlashResult ph(double P_Pa, double h_Jmol, std::span<const double> z);
  FlashResult ps(double P_Pa, double s_JmolK, std::span<const double> z);
  FlashResult th(double T_K, double h_Jmol, std::span<const double> z);
  FlashResult ts(double T_K, double s_JmolK, std::span<const double> z);
  FlashResult tvf(double T_K, double beta, std::span<const double> z);
  FlashResult pvf(double P_Pa, double beta, std::span<const double> z);
  FlashResult hvf(double h_Jmol, double beta, std::span<const double> z);

  //! Critical point of feed z from a start near it (see critical_point.h).
  CriticalPoint critical_point(std::span<const double> z, double T_start_K,
                               double P_start_Pa) const {
    return pr::critical_point(m_mix, z, T_start_K, P_start_Pa);
  }
  //! The same from a pseudo-critical estimate.
  CriticalPoint critical_point(std::span<const double> z) const {
    return pr::critical_point(m_mix, z);
  }

  //! Tangent-plane stability test of feed z at T, P.
  StabilityResult stability(double T_K, double P_Pa, std::span<const double> z);

 private:
  enum class Target { Enthalpy, Entropy };
  FlashResult tp_internal(double T, double P, std::span<const double> z, bool warm);
  bool two_phase(double T, double P, std::span<const double> z, std::vector<double>& lnK,
                 FlashResult& r);
  bool newton_tp(double T, double P, std::span<const double> z, FlashResult& r);
  void finish_two_phase(FlashResult& r, RootChoice vap_root, RootChoice liq_root, bool allow_swap,
                        bool sensitivities);
  void finish_single(FlashResult& r, std::span<const double> z);
  void build_hessian(double beta, std::span<double> H);
  FlashResult outer_T(double P, double target, Target what, std::span<const double> z);
  FlashResult outer_P(double T, double target, Target what, std::span<const double> z);
  FlashResult lever(double T, double P, double target, Target what, std::span<const double> z);
  FlashResult vapour_fraction(bool unknown_T, double fixed, double beta, std::span<const double> z);
  FlashResult continuation(bool unknown_T, double fixed, double beta, std::span<const double> z,
                           bool trivial);
  void wilson_start(bool unknown_T, double fixed, double beta, std::span<const double> z,
                    double& lnX);
  bool vf_newton(bool unknown_T, double fixed, double beta, std::span<const double> z, double& lnX,
                 FlashResult& r, bool& trivial);
  enum class Physical { Yes, VapourDenser, FeedSplits };
  Physical physical(double beta, std::span<const double> z, const FlashResult& r);
  double spread_of(std::span<const double> lnK) const;
  void wilson(double T, double P, std::vector<double>& lnK) const;
  void set_active(std::span<const double> z);
  double value(const FlashResult& r, Target what) const {
    return what == Target::Enthalpy ? r.h_Jmol : r.s_JmolK;
  }

  const Mixture& m_mix;
  std::size_t m_n;
  std::vector<std::size_t> m_active;
  PhaseState m_v, m_l, m_f;
  std::vector<double> m_lnK, m_lnK_warm, m_K, m_x, m_y, m_w, m_d, m_prev, m_delta, m_A, m_b;
  bool m_warm_valid = false;
  // Derivatives of the overall h and s of the last TP result along the equilibrium path.
  double m_dh_dT = 0.0, m_dh_dP = 0.0, m_ds_dT = 0.0, m_ds_dP = 0.0;
};

}  // namespace pr
