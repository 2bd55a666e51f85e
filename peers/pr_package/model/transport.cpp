#include "pr_package/model/transport.h"

#include <cmath>

#include "pr_package/model/constants.h"

namespace pr {
namespace {

constexpr double kDebye_Cm = 3.33564e-30;

// Neufeld, Janzen and Aziz (1972) collision integral, Poling et al. eq. 9-4.3.
double omega_v(double Tstar) {
  return 1.16145 * std::pow(Tstar, -0.14874) + 0.52487 * std::exp(-0.77320 * Tstar) +
         2.16178 * std::exp(-2.43787 * Tstar);
}

// E_i = a_i + b_i omega + c_i mu_r^4 + d_i kappa, Poling et al. table 9-6 (viscosity).
constexpr double kE[10][4] = {
    {6.324, 50.412, -51.680, 1189.0},   {1.210e-3, -1.154e-3, -6.257e-3, 0.03728},
    {5.283, 254.209, -168.48, 3898.0},  {6.623, 38.096, -8.464, 31.42},
    {19.745, 7.630, -14.354, 31.53},    {-1.900, -12.537, 4.985, -18.15},
    {24.275, 3.450, -11.291, 69.35},    {0.7972, 1.117, 0.01235, -4.117},
    {-0.2382, 0.06770, -0.8163, 4.025}, {0.06863, 0.3479, 0.5926, -0.727}};

// B_i of the same form, Poling et al. table 10-5 (thermal conductivity).
constexpr double kB[7][4] = {
    {2.4166, 0.74824, -0.91858, 121.72},  {-0.50924, -1.5094, -49.991, 69.983},
    {6.6107, 5.6207, 64.760, 27.039},     {14.543, -8.9139, -5.6379, 74.344},
    {0.79274, 0.82019, -0.69369, 6.3173}, {-5.8634, 12.801, 9.5893, 65.529},
    {91.089, 128.11, -54.217, 523.81}};

double coefficient(const double c[4], double omega, double mu_r4) {
  return c[0] + c[1] * omega + c[2] * mu_r4;  // + c[3] kappa, kappa = 0
}

}  // namespace

ChungTransport::Pseudo ChungTransport::pseudo(std::span<const double> x) const {
  const std::size_t n = m_mix.size();
  double s3 = 0.0, es3 = 0.0, ws3 = 0.0, mu4 = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    if (x[i] <= 0.0) continue;
    const CompoundRecord& ci = m_mix.compound(i);
    const double si = 0.809 * std::cbrt(ci.Vc_m3mol * 1e6);
    const double ei = ci.Tc_K / 1.2593;
    for (std::size_t j = 0; j < n; ++j) {
      if (x[j] <= 0.0) continue;
      const CompoundRecord& cj = m_mix.compound(j);
      const double sj = 0.809 * std::cbrt(cj.Vc_m3mol * 1e6);
      const double ej = cj.Tc_K / 1.2593;
      const double sij3 = std::pow(si * sj, 1.5);
      const double xx = x[i] * x[j];
      s3 += xx * sij3;
      es3 += xx * std::sqrt(ei * ej) * sij3;
      ws3 += xx * 0.5 * (ci.omega + cj.omega) * sij3;
      const double mui = ci.dipole_Cm.value_or(0.0) / kDebye_Cm;
      const double muj = cj.dipole_Cm.value_or(0.0) / kDebye_Cm;
      mu4 += xx * mui * mui * muj * muj / sij3;
    }
  }
  const double sm = std::cbrt(s3);
  const double em = es3 / s3;
  double msum = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    if (x[i] <= 0.0) continue;
    const CompoundRecord& ci = m_mix.compound(i);
    const double si = 0.809 * std::cbrt(ci.Vc_m3mol * 1e6);
    for (std::size_t j = 0; j < n; ++j) {
      if (x[j] <= 0.0) continue;
      const CompoundRecord& cj = m_mix.compound(j);
      const double sj = 0.809 * std::cbrt(cj.Vc_m3mol * 1e6);
      const double Mij = 2.0 * ci.MW_gmol * cj.MW_gmol / (ci.MW_gmol + cj.MW_gmol);
      msum += x[i] * x[j] * std::sqrt(ci.Tc_K * cj.Tc_K) / 1.2593 * si * sj * std::sqrt(Mij);
    }
  }
  Pseudo p;
  p.Tc_K = 1.2593 * em;
  p.Vc_cm3mol = std::pow(sm / 0.809, 3.0);
  p.omega = ws3 / s3;
  const double r = msum / (em * sm * sm);
  p.M_gmol = r * r;
  const double mu_m = std::pow(s3 * mu4, 0.25);
  p.mu_r = 131.3 * mu_m / std::sqrt(p.Vc_cm3mol * p.Tc_K);
  p.Fc = 1.0 - 0.2756 * p.omega + 0.059035 * std::pow(p.mu_r, 4.0);
  return p;
}

double ChungTransport::viscosity(double T, double rho, std::span<const double> x) const {
  const Pseudo p = pseudo(x);
  const double mu_r4 = std::pow(p.mu_r, 4.0);
  double E[10];
  for (int i = 0; i < 10; ++i) E[i] = coefficient(kE[i], p.omega, mu_r4);
  const double Tstar = 1.2593 * T / p.Tc_K;
  const double y = rho * 1e-6 * p.Vc_cm3mol / 6.0;  // rho in mol/cm3
  const double G1 = (1.0 - 0.5 * y) / std::pow(1.0 - y, 3.0);
  const double first = y > 1e-12 ? E[0] * (-std::expm1(-E[3] * y)) / y : E[0] * E[3];
  const double G2 =
      (first + E[1] * G1 * std::exp(E[4] * y) + E[2] * G1) / (E[0] * E[3] + E[1] + E[2]);
  const double eta2 = E[6] * y * y * G2 * std::exp(E[7] + E[8] / Tstar + E[9] / (Tstar * Tstar));
  const double eta_star = std::sqrt(Tstar) / omega_v(Tstar) * p.Fc * (1.0 / G2 + E[5] * y) + eta2;
  const double eta_microP =
      eta_star * 36.344 * std::sqrt(p.M_gmol * p.Tc_K) / std::pow(p.Vc_cm3mol, 2.0 / 3.0);
  return 1e-7 * eta_microP;
}

double ChungTransport::thermal_conductivity(double T, double rho, std::span<const double> x,
                                            double cv_ig) const {
  const Pseudo p = pseudo(x);
  const double mu_r4 = std::pow(p.mu_r, 4.0);
  double B[7];
  for (int i = 0; i < 7; ++i) B[i] = coefficient(kB[i], p.omega, mu_r4);
  const double Tstar = 1.2593 * T / p.Tc_K;
  const double Tr = T / p.Tc_K;
  const double M = 1e-3 * p.M_gmol;  // kg/mol
  // Dilute-gas viscosity, Poling et al. eq. 9-4.10 [Pa s].
  const double eta0 = 1e-7 * 40.785 * p.Fc * std::sqrt(p.M_gmol * T) /
                      (std::pow(p.Vc_cm3mol, 2.0 / 3.0) * omega_v(Tstar));
  const double alpha = cv_ig / R_JmolK - 1.5;
  const double beta = 0.7862 - 0.7109 * p.omega + 1.3168 * p.omega * p.omega;
  const double Zr = 2.0 + 10.5 * Tr * Tr;
  const double psi = 1.0 + alpha * (0.215 + 0.28288 * alpha - 1.061 * beta + 0.26665 * Zr) /
                               (0.6366 + beta * Zr + 1.061 * alpha * beta);
  const double y = rho * 1e-6 * p.Vc_cm3mol / 6.0;
  const double G1 = (1.0 - 0.5 * y) / std::pow(1.0 - y, 3.0);
  const double first = y > 1e-12 ? B[0] / y * (-std::expm1(-B[3] * y)) : B[0] * B[3];
  const double G2 =
      (first + B[1] * G1 * std::exp(B[4] * y) + B[2] * G1) / (B[0] * B[3] + B[1] + B[2]);
  const double q = 3.586e-3 * std::sqrt(p.Tc_K / M) / std::pow(p.Vc_cm3mol, 2.0 / 3.0);
  return 31.2 * eta0 * psi / M * (1.0 / G2 + B[5] * y) + q * B[6] * y * y * std::sqrt(Tr) * G2;
}

}  // namespace pr
