#include "pr_package/model/mixture.h"

#include <cmath>
#include <utility>

#include "pr_package/model/constants.h"
#include "pr_package/model/error.h"
#include "pr_package/model/peng_robinson.h"

namespace pr {
namespace {

GenericCubic build_cubic(const std::vector<CompoundRecord>& c, std::vector<double> kij) {
  std::vector<double> Tc, Pc, omega;
  for (const auto& r : c) {
    Tc.push_back(r.Tc_K);
    Pc.push_back(r.Pc_Pa);
    omega.push_back(r.omega);
  }
  return make_peng_robinson(std::move(Tc), std::move(Pc), omega, std::move(kij));
}

}  // namespace

Mixture::Mixture(std::vector<CompoundRecord> compounds, std::vector<double> kij)
    : m_compounds(std::move(compounds)), m_cubic(build_cubic(m_compounds, std::move(kij))) {
  for (const auto& c : m_compounds) {
    const auto ref = c.cp_ig.evaluate(T_ref_K);
    m_h_ref.push_back(ref.h);
    m_s_ref.push_back(ref.s);
  }
}

Mixture Mixture::from_database(const CompoundDatabase& db, const std::vector<std::string>& names) {
  if (names.empty()) {
    throw Error(ErrorKind::InvalidArgument, "Mixture::from_database", "no compounds given");
  }
  std::vector<std::size_t> index;
  for (const auto& name : names) {
    auto i = db.find(name);
    if (!i) {
      throw Error(ErrorKind::InvalidArgument, "Mixture::from_database",
                  cat("unknown compound '", name, "'"));
    }
    for (std::size_t k : index) {
      if (k == *i) {
        throw Error(ErrorKind::InvalidArgument, "Mixture::from_database",
                    cat("compound '", name, "' given twice"));
      }
    }
    index.push_back(*i);
  }
  std::vector<CompoundRecord> records;
  std::vector<double> kij(index.size() * index.size(), 0.0);
  for (std::size_t a = 0; a < index.size(); ++a) {
    records.push_back(db.compounds()[index[a]]);
    for (std::size_t b = 0; b < index.size(); ++b) {
      kij[a * index.size() + b] = a == b ? 0.0 : db.kij(index[a], index[b]);
    }
  }
  return Mixture(std::move(records), std::move(kij));
}

double Mixture::molar_mass_kgmol(std::span<const double> x) const {
  double M = 0.0;
  for (std::size_t i = 0; i < size(); ++i) M += x[i] * m_compounds[i].MW_kgmol();
  return M;
}

double Mixture::h_ig(std::size_t i, double T_K) const {
  return m_compounds[i].hf_ig_298_Jmol + m_compounds[i].cp_ig.evaluate(T_K).h - m_h_ref[i];
}

double Mixture::s_ig(std::size_t i, double T_K, double P_Pa) const {
  return m_compounds[i].cp_ig.evaluate(T_K).s - m_s_ref[i] - R_JmolK * std::log(P_Pa / P_ref_Pa);
}

void Mixture::evaluate(double T, double P, std::span<const double> x, RootChoice root, Level level,
                       PhaseState& out) const {
  const std::size_t n = size();
  if (out.x.size() != n) {
    out.x.assign(n, 0.0);
    out.cp_ig_i.assign(n, 0.0);
    out.h_ig_i.assign(n, 0.0);
    out.s_ig_i.assign(n, 0.0);
    out.s_ig0_i.assign(n, 0.0);
    out.dcp_ig_i.assign(n, 0.0);
    out.ig_cache_T_K = -1.0;
  }
  for (std::size_t i = 0; i < n; ++i) out.x[i] = x[i];
  out.T_K = T;
  out.P_Pa = P;
  m_cubic.residual(T, P, out.x, root, level, out.res);
  out.full = level == Level::Full;
  if (!out.full) return;

  if (out.ig_cache_T_K != T) {
    for (std::size_t i = 0; i < n; ++i) {
      const auto v = m_compounds[i].cp_ig.evaluate(T);
      out.cp_ig_i[i] = v.cp;
      out.dcp_ig_i[i] = v.dcp_dT;
      out.h_ig_i[i] = m_compounds[i].hf_ig_298_Jmol + v.h - m_h_ref[i];
      out.s_ig0_i[i] = v.s - m_s_ref[i];
    }
    out.ig_cache_T_K = T;
  }
  const double lnP = std::log(P / P_ref_Pa);
  out.MW_kgmol = molar_mass_kgmol(out.x);
  out.cp_ig = out.h_ig = out.s_ig = out.dcp_ig_dT = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    const double xi = out.x[i];
    out.cp_ig += xi * out.cp_ig_i[i];
    out.dcp_ig_dT += xi * out.dcp_ig_i[i];
    out.h_ig += xi * out.h_ig_i[i];
    out.s_ig_i[i] = out.s_ig0_i[i] - R_JmolK * lnP;
    out.s_ig += xi * out.s_ig_i[i];
    if (xi > 0.0) out.s_ig -= R_JmolK * xi * std::log(xi);
  }
  const double PV = P * out.res.V_m3mol;
  out.h = out.h_ig + out.res.h_res;
  out.s = out.s_ig + out.res.s_res;
  out.u = out.h - PV;
  out.g = out.h - T * out.s;
  out.a = out.g - PV;
  out.cp = out.cp_ig + out.res.cp_res;
  out.cv = out.cp_ig - R_JmolK + out.res.cv_res;
}

}  // namespace pr
