#include "pr_package/model/generic_cubic.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "pr_package/model/constants.h"
#include "pr_package/model/error.h"

namespace pr {

void ResidualState::resize(std::size_t count) {
  n = count;
  for (auto* v :
       {&lnphi, &dlnphi_dT, &dlnphi_dP, &V_partial, &s, &s_T, &s_TT, &s_TTT, &D_i, &D_iT, &P_i}) {
    v->assign(count, 0.0);
  }
  dlnphi_dn.assign(count * count, 0.0);
}

namespace {

// A few Newton steps on the cubic from z.
double polish_root(double c2, double c1, double c0, double z, int steps = 3) {
  for (int it = 0; it < steps; ++it) {
    const double f = ((z + c2) * z + c1) * z + c0;
    const double df = (3.0 * z + 2.0 * c2) * z + c1;
    if (f == 0.0 || df == 0.0) break;
    const double next = z - f / df;
    if (!std::isfinite(next)) break;
    const bool done = std::abs(next - z) <= 1e-15 * std::abs(next);
    z = next;
    if (done) break;
  }
  return z;
}

}  // namespace

int solve_cubic(double c2, double c1, double c0, double roots[3]) {
  // One root from the depressed cubic t^3 + p t + q = 0 (z = t - c2/3): the one of largest
  // magnitude, which the closed forms give to full precision. The others come from the
  // deflated quadratic, whose small root is taken as a product (c0 over the other two) so
  // that a liquid root near the co-volume keeps its relative precision however small it is.
  const double shift = c2 / 3.0;
  const double p = c1 - c2 * shift;
  const double q = 2.0 * shift * shift * shift - shift * c1 + c0;
  const double disc = 0.25 * q * q + p * p * p / 27.0;
  double r0;
  if (disc > 0.0) {
    const double sq = std::sqrt(disc);
    const double u = std::cbrt(-0.5 * q + (q <= 0.0 ? sq : -sq));
    r0 = (u != 0.0 ? u - p / (3.0 * u) : 0.0) - shift;
  } else {
    const double r = std::sqrt(std::max(-p / 3.0, 0.0));
    const double c = r > 0.0 ? std::clamp(-0.5 * q / (r * r * r), -1.0, 1.0) : 0.0;
    const double phi = std::acos(c);
    constexpr double kTwoPi = 6.283185307179586477;
    r0 = -shift;
    for (int k = 0; k < 3; ++k) {
      const double z = 2.0 * r * std::cos((phi - kTwoPi * k) / 3.0) - shift;
      if (std::abs(z) > std::abs(r0)) r0 = z;
    }
  }
  r0 = polish_root(c2, c1, c0, r0, 1);
  int count = 1;
  roots[0] = r0;
  // z^3 + c2 z^2 + c1 z + c0 = (z - r0)(z^2 + e1 z + e0)
  const double e1 = c2 + r0;
  const double e0 = r0 != 0.0 ? -c0 / r0 : c1 + r0 * e1;
  const double dq = e1 * e1 - 4.0 * e0;
  if (dq >= 0.0) {
    const double h = -0.5 * (e1 + std::copysign(std::sqrt(dq), e1));
    if (h != 0.0) {
      roots[count++] = polish_root(c2, c1, c0, h);
      roots[count++] = polish_root(c2, c1, c0, e0 / h);
    } else {
      roots[count++] = 0.0;
      roots[count++] = 0.0;
    }
  }
  std::sort(roots, roots + count);
  return count;
}

GenericCubic::GenericCubic(double delta1, double delta2, double Omega_a, double Omega_b,
                           std::vector<double> Tc_K, std::vector<double> Pc_Pa,
                           std::vector<AlphaFunction> alpha, std::vector<double> kij)
    : m_delta1(delta1),
      m_delta2(delta2),
      m_Omega_a(Omega_a),
      m_Omega_b(Omega_b),
      m_Tc_K(std::move(Tc_K)),
      m_Pc_Pa(std::move(Pc_Pa)),
      m_alpha(std::move(alpha)),
      m_kij(std::move(kij)) {
  const std::size_t n = m_Tc_K.size();
  if (n == 0 || m_Pc_Pa.size() != n || m_alpha.size() != n || m_kij.size() != n * n) {
    throw Error(ErrorKind::BadArgument, "GenericCubic::GenericCubic",
                cat("sizes do not match: Tc [", n, "], Pc [", m_Pc_Pa.size(), "], alpha [",
                    m_alpha.size(), "], kij [", m_kij.size(), "]"));
  }
  if (!(delta1 > delta2)) {
    throw Error(ErrorKind::BadArgument, "GenericCubic::GenericCubic",
                cat("delta1 [", delta1, "] must exceed delta2 [", delta2, "]"));
  }
  for (std::size_t i = 0; i < n; ++i) {
    if (!(m_Tc_K[i] > 0.0) || !(m_Pc_Pa[i] > 0.0)) {
      throw Error(
          ErrorKind::BadArgument, "GenericCubic::GenericCubic",
          cat("compound ", i, ": Tc [", m_Tc_K[i], "] and Pc [", m_Pc_Pa[i], "] must be positive"));
    }
    for (std::size_t j = 0; j < n; ++j) {
      if (m_kij[i * n + j] != m_kij[j * n + i]) {
        throw Error(ErrorKind::BadArgument, "GenericCubic::GenericCubic",
                    cat("kij is not symmetric at (", i, ", ", j, ")"));
      }
    }
    const double RTc = R_JmolK * m_Tc_K[i];
    m_ac.push_back(Omega_a * RTc * RTc / m_Pc_Pa[i]);
    m_b.push_back(Omega_b * RTc / m_Pc_Pa[i]);
  }
}

double GenericCubic::a(std::size_t i, double T_K) const {
  return m_ac[i] * evaluate(m_alpha[i], T_K).alpha;
}

GenericCubic::Mix GenericCubic::mix(double T, std::span<const double> x, ResidualState& w,
                                    bool full) const {
  const std::size_t n = size();
  for (std::size_t i = 0; i < n; ++i) {
    const AlphaValue av = evaluate(m_alpha[i], T);
    const double s = std::sqrt(m_ac[i] * av.alpha);
    w.s[i] = s;
    if (s > 1e-150) {
      w.s_T[i] = m_ac[i] * av.dalpha_dT / (2.0 * s);
      w.s_TT[i] = (0.5 * m_ac[i] * av.d2alpha_dT2 - w.s_T[i] * w.s_T[i]) / s;
      w.s_TTT[i] = (0.5 * m_ac[i] * av.d3alpha_dT3 - 3.0 * w.s_T[i] * w.s_TT[i]) / s;
    } else {
      w.s_T[i] = w.s_TT[i] = w.s_TTT[i] = 0.0;
    }
  }
  Mix m{0.0, 0.0, 0.0, 0.0, 0.0};
  for (std::size_t i = 0; i < n; ++i) {
    m.B += x[i] * m_b[i];
    const double* k = &m_kij[i * n];
    double S0 = 0.0, S1 = 0.0, S2 = 0.0, S3 = 0.0;
    if (full) {
      for (std::size_t j = 0; j < n; ++j) {
        const double c = x[j] * (1.0 - k[j]);
        S0 += c * w.s[j];
        S1 += c * w.s_T[j];
        S2 += c * w.s_TT[j];
        S3 += c * w.s_TTT[j];
      }
    } else {
      for (std::size_t j = 0; j < n; ++j) S0 += x[j] * (1.0 - k[j]) * w.s[j];
    }
    // sum_j x_j a_ij and its temperature derivatives, with a_ij = (1 - k_ij) s_i s_j.
    const double A0 = w.s[i] * S0;
    const double A1 = w.s_T[i] * S0 + w.s[i] * S1;
    const double A2 = w.s_TT[i] * S0 + 2.0 * w.s_T[i] * S1 + w.s[i] * S2;
    const double A3 = w.s_TTT[i] * S0 + 3.0 * w.s_TT[i] * S1 + 3.0 * w.s_T[i] * S2 + w.s[i] * S3;
    w.D_i[i] = 2.0 * A0;
    w.D_iT[i] = 2.0 * A1;
    m.D += x[i] * A0;
    m.D_T += x[i] * A1;
    m.D_TT += x[i] * A2;
    m.D_TTT += x[i] * A3;
  }
  return m;
}

int GenericCubic::roots(double A, double B, double z[3]) const {
  // Z^3 + [(d1 + d2 - 1) B - 1] Z^2 + [A + d1 d2 B^2 - (d1 + d2) B (B + 1)] Z
  //     - [A B + d1 d2 B^2 (B + 1)] = 0
  const double d1 = m_delta1, d2 = m_delta2;
  const double c2 = (d1 + d2 - 1.0) * B - 1.0;
  const double c1 = A + d1 * d2 * B * B - (d1 + d2) * B * (B + 1.0);
  const double c0 = -(A * B + d1 * d2 * B * B * (B + 1.0));
  double all[3];
  const int count = solve_cubic(c2, c1, c0, all);
  int k = 0;
  for (int i = 0; i < count; ++i) {
    if (all[i] > B && std::isfinite(all[i])) z[k++] = all[i];
  }
  if (k == 3) {
    z[1] = z[2];
    k = 2;
  }
  if (k == 2 && z[1] - z[0] <= 1e-12 * z[1]) k = 1;
  return k;
}

std::vector<double> GenericCubic::z_roots(double T_K, double P_Pa,
                                          std::span<const double> x) const {
  ResidualState w;
  w.resize(size());
  const Mix m = mix(T_K, x, w, false);
  const double RT = R_JmolK * T_K;
  double z[3];
  const int k = roots(m.D * P_Pa / (RT * RT), m.B * P_Pa / RT, z);
  return std::vector<double>(z, z + k);
}

double GenericCubic::pressure(double T_K, double V, std::span<const double> x) const {
  ResidualState w;
  w.resize(size());
  const Mix m = mix(T_K, x, w, false);
  return R_JmolK * T_K / (V - m.B) - m.D / ((V + m_delta1 * m.B) * (V + m_delta2 * m.B));
}

void GenericCubic::residual(double T, double P, std::span<const double> x, RootChoice choice,
                            Level level, ResidualState& out) const {
  const std::size_t n = size();
  if (x.size() != n) {
    throw Error(ErrorKind::BadArgument, "GenericCubic::residual",
                cat("composition has ", x.size(), " values for ", n, " compounds"));
  }
  if (out.n != n || out.dlnphi_dn.size() != n * n) out.resize(n);
  const bool full = level == Level::Full;
  const Mix m = mix(T, x, out, full);
  const double R = R_JmolK;
  const double RT = R * T;
  const double d1 = m_delta1, d2 = m_delta2;
  const double A = m.D * P / (RT * RT);
  const double Bp = m.B * P / RT;

  double z[3];
  const int k = roots(A, Bp, z);
  if (k == 0) {
    throw Error(ErrorKind::SolvingError, "GenericCubic::residual",
                cat("no admissible volume root at T = ", T, " K, P = ", P, " Pa"));
  }
  int pick = 0;
  if (k == 2) {
    if (choice == RootChoice::Vapour) {
      pick = 1;
    } else if (choice == RootChoice::MinGibbs) {
      // Reduced residual Gibbs energy per mole: F + Z - 1 - ln Z.
      auto gres = [&](double Z) {
        const double F = -std::log(1.0 - Bp / Z) -
                         A / (Bp * (d1 - d2)) * std::log((Z + d1 * Bp) / (Z + d2 * Bp));
        return F + Z - 1.0 - std::log(Z);
      };
      pick = gres(z[1]) < gres(z[0]) ? 1 : 0;
    }
  }
  out.root_count = k;
  out.is_largest_root = pick == k - 1;
  out.T_K = T;
  out.P_Pa = P;
  out.Z = z[pick];
  const double V = out.Z * RT / P;
  out.V_m3mol = V;
  const double lnZ = std::log(out.Z);

  const double B = m.B, D = m.D;
  const double VmB = V - B;
  const double p1 = V + d1 * B, p2 = V + d2 * B;
  const double g = std::log1p(-B / V);
  const double g_V = 1.0 / VmB - 1.0 / V;
  const double g_B = -1.0 / VmB;
  const double f = std::log(p1 / p2) / (R * B * (d1 - d2));
  const double f_V = -1.0 / (R * p1 * p2);
  const double f_B = -(f + V * f_V) / B;

  // First derivatives of F (n = 1 mol).
  const double F_n = -g;
  const double F_B = -g_B - D * f_B / T;
  const double F_D = -f / T;
  for (std::size_t i = 0; i < n; ++i) out.lnphi[i] = F_n + F_B * m_b[i] + F_D * out.D_i[i] - lnZ;
  if (!full) return;

  const double F = -g - D * f / T;
  const double F_T = -m.D_T * f / T + D * f / (T * T);
  const double F_TT = -m.D_TT * f / T + 2.0 * m.D_T * f / (T * T) - 2.0 * D * f / (T * T * T);

  const double VmB2 = VmB * VmB;
  const double g_VV = -1.0 / VmB2 + 1.0 / (V * V);
  const double g_BV = 1.0 / VmB2;
  const double g_BB = -1.0 / VmB2;
  const double g_VVV = 2.0 / (VmB2 * VmB) - 2.0 / (V * V * V);
  const double f_VV = (1.0 / (p1 * p1 * p2) + 1.0 / (p1 * p2 * p2)) / R;
  const double f_BV = -(2.0 * f_V + V * f_VV) / B;
  const double f_BB = -(2.0 * f_B + V * f_BV) / B;
  const double f_VVV =
      -2.0 * (1.0 / (p1 * p1 * p1 * p2) + 1.0 / (p1 * p1 * p2 * p2) + 1.0 / (p1 * p2 * p2 * p2)) /
      R;

  const double F_TV = -m.D_T * f_V / T + D * f_V / (T * T);
  const double F_VV = -g_VV - D * f_VV / T;
  const double F_VVV = -g_VVV - D * f_VVV / T;
  const double F_TVV = -m.D_T * f_VV / T + D * f_VV / (T * T);
  const double F_nV = -g_V;
  const double F_nB = -g_B;
  const double F_BV = -g_BV - D * f_BV / T;
  const double F_DV = -f_V / T;
  const double F_BB = -g_BB - D * f_BB / T;
  const double F_BD = -f_B / T;
  const double dF_B_dT = -m.D_T * f_B / T + D * f_B / (T * T);  // total, D = D(T)
  const double dF_D_dT = f / (T * T);

  // Pressure derivatives (Michelsen and Mollerup, table 3.1, n = 1 mol).
  const double P_V = -RT * F_VV - RT / (V * V);
  const double P_T = -RT * F_TV + P / T;
  const double P_VV = -RT * F_VVV + 2.0 * RT / (V * V * V);
  const double P_TV = -R * F_VV - RT * F_TVV - R / (V * V);
  out.dP_dV_T = P_V;
  out.dP_dT_V = P_T;
  out.dV_dP_T = 1.0 / P_V;
  out.dV_dT_P = -P_T / P_V;
  // Venkatarathnam and Oellrich, Fluid Phase Equilib. 301 (2011) 225: liquid-like above 1,
  // gas-like below (the ideal gas gives exactly 1).
  out.phase_id = V * (P_TV / P_T - P_VV / P_V);

  for (std::size_t i = 0; i < n; ++i) {
    const double F_iV = F_nV + F_BV * m_b[i] + F_DV * out.D_i[i];
    const double F_iT = dF_B_dT * m_b[i] + dF_D_dT * out.D_i[i] + F_D * out.D_iT[i];
    out.P_i[i] = -RT * F_iV + RT / V;
    out.V_partial[i] = -out.P_i[i] / P_V;
    out.dlnphi_dT[i] = F_iT + 1.0 / T - out.V_partial[i] * P_T / RT;
    out.dlnphi_dP[i] = out.V_partial[i] / RT - 1.0 / P;
  }
  for (std::size_t i = 0; i < n; ++i) {
    const double* k = &m_kij[i * n];
    for (std::size_t j = 0; j <= i; ++j) {
      const double D_ij = 2.0 * (1.0 - k[j]) * out.s[i] * out.s[j];
      const double F_ij = F_nB * (m_b[i] + m_b[j]) +
                          F_BD * (m_b[i] * out.D_i[j] + m_b[j] * out.D_i[i]) +
                          F_BB * m_b[i] * m_b[j] + F_D * D_ij;
      const double v = F_ij + 1.0 + out.P_i[i] * out.P_i[j] / (RT * P_V);
      out.dlnphi_dn[i * n + j] = v;
      out.dlnphi_dn[j * n + i] = v;
    }
  }

  out.a_res = RT * F;
  out.h_res = -RT * T * F_T + P * V - RT;
  out.s_res = -R * T * F_T - R * F + R * lnZ;
  out.g_res = out.h_res - T * out.s_res;
  out.cv_res = -RT * T * F_TT - 2.0 * RT * F_T;
  out.cp_res = out.cv_res - T * P_T * P_T / P_V - R;

  // Heat-capacity derivatives: third derivatives of F, then d/dT|P = d/dT|V + V_T d/dV|T.
  const double T2 = T * T, T3 = T2 * T, T4 = T3 * T;
  const double F_TTT = -f * (m.D_TTT / T - 3.0 * m.D_TT / T2 + 6.0 * m.D_T / T3 - 6.0 * D / T4);
  const double F_TTV = -f_V * (m.D_TT / T - 2.0 * m.D_T / T2 + 2.0 * D / T3);
  const double P_TT = -2.0 * R * F_TV - RT * F_TTV;
  const double dcv_dT_V = -RT * T * F_TTT - 4.0 * RT * F_TT - 2.0 * R * F_T;
  const double dcv_dV_T = -RT * T * F_TTV - 2.0 * RT * F_TV;
  // cp_res = cv_res - w - R with w = T P_T^2 / P_V.
  const double w_T =
      P_T * P_T / P_V + 2.0 * T * P_T * P_TT / P_V - T * P_T * P_T * P_TV / (P_V * P_V);
  const double w_V = 2.0 * T * P_T * P_TV / P_V - T * P_T * P_T * P_VV / (P_V * P_V);
  const double VT = out.dV_dT_P, VP = out.dV_dP_T;
  out.dcv_res_dT = dcv_dT_V + VT * dcv_dV_T;
  out.dcv_res_dP = VP * dcv_dV_T;
  out.dcp_res_dT = out.dcv_res_dT - (w_T + VT * w_V);
  out.dcp_res_dP = VP * (dcv_dV_T - w_V);
}

}  // namespace pr
