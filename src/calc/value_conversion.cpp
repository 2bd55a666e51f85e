#include "calc/value_conversion.h"

#include <cmath>

#include "base/math_utils.h"
#include "vocabulary/co_ids.h"
#include "vocabulary/property_translator.h"

namespace coravl::calc {

namespace {

//! Per Pa to per kPa. A derivative is never a guarded limit, whatever its value.
double perKPa(double value, LONG variable) {
  return variable == COIds::DerivPressure ? value * 1000.0 : value;
}

}  // namespace

double derivativeToHost(const CCOPropertyTranslator* translator, double derivative, double base,
                        LONG variable) {
  if (!translator) return derivative;
  const double m = translator->moleMultiplier();
  if (m == 0.0) return 0.0;  // the translator's own answer for a zero multiplier
  // u is the linear part of the map, du its derivative; the offset drops out.
  const double u = (base - translator->offset()) / m;
  double du = derivative / m;
  const double e = translator->exponent();
  double power = u;
  if (e != 1.0) {
    // host part v = u^(1/e): dv = (1/e) u^(1/e - 1) du
    du = (1.0 / e) * std::pow(u, 1.0 / e - 1.0) * du;
    power = std::pow(u, 1.0 / e);
  }
  double d = du;
  switch (translator->logMode()) {
    case 1:  // host = ln(v): d(ln v) = dv / v
      d = MathUtils::safeDivide(du, power);
      break;
    case -1:  // host = exp(v): d(exp v) = exp(v) dv
      d = MathUtils::safeExp(power) * du;
      break;
    default:
      break;
  }
  return perKPa(d, variable);
}

double slotValueToHost(const SlotConversion& c, double y, double base, double x) {
  if (c.variable == 0) {
    if (c.lnFugacity && x <= kAbsentFraction) return kLnOfZero;
    double h = c.translator ? c.translator->CO2QO(y, nullptr, 0) : y;
    if (c.lnFugacity && c.fugacityFallback) h += MathUtils::safeLog(x * c.pressureKPa);
    return h;
  }
  double d = derivativeToHost(c.translator, y, base, c.variable);
  if (c.lnFugacity && c.fugacityFallback) {
    // ln f = ln(phi) + ln(x P)
    if (c.variable == COIds::DerivPressure)
      d += MathUtils::safeDivide(1.0, c.pressureKPa);
    else if (c.variable == COIds::DerivMolFraction)
      d += MathUtils::safeDivide(1.0, x);
  }
  return d;
}

std::size_t slotValuesToHost(const SlotConversion& c, std::span<double> values,
                             std::span<const double> base, std::span<const double> x) {
  const double lastBase = base.empty() ? 0.0 : base[0];
  for (std::size_t i = 0; i < values.size(); ++i) {
    values[i] = slotValueToHost(c, values[i], i < base.size() ? base[i] : lastBase,
                                i < x.size() ? x[i] : 1.0);
    if (!std::isfinite(values[i])) return i;
  }
  return values.size();
}

}  // namespace coravl::calc
