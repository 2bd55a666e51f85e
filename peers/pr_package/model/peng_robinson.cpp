#include "pr_package/model/peng_robinson.h"

#include <utility>

namespace pr {

double peng_robinson_kappa(double omega) {
  if (omega > 0.49) {
    return 0.379642 + omega * (1.48503 + omega * (-0.164423 + omega * 0.016666));
  }
  return 0.37464 + omega * (1.54226 - 0.26992 * omega);
}

GenericCubic make_peng_robinson(std::vector<double> Tc_K, std::vector<double> Pc_Pa,
                                const std::vector<double>& omega, std::vector<double> kij) {
  std::vector<AlphaFunction> alpha;
  for (std::size_t i = 0; i < Tc_K.size() && i < omega.size(); ++i) {
    alpha.emplace_back(SoaveAlpha{Tc_K[i], peng_robinson_kappa(omega[i])});
  }
  return GenericCubic(kPengRobinsonDelta1, kPengRobinsonDelta2, kPengRobinsonOmegaA,
                      kPengRobinsonOmegaB, std::move(Tc_K), std::move(Pc_Pa), std::move(alpha),
                      std::move(kij));
}

}  // namespace pr
