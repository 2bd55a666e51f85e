#include "base/math_utils.h"

#include <cmath>

namespace MathUtils {

double safeExp(double x) {
  if (x <= -kLogLimit) return kTiny;
  if (x >= kLogLimit) return kHuge;
  return std::exp(x);
}

double safeLog(double x) {
  if (x <= kTiny) return -kLogLimit;
  if (x >= kHuge) return kLogLimit;
  return std::log(x);
}

bool safeExpLimits(double x) {
  return x <= -kLogLimit || x >= kLogLimit;
}

bool safeLogLimits(double x) {
  return x <= kTiny || x >= kHuge;
}

double safeDivide(double a, double b) {
  if (std::fabs(b) <= kTiny && std::fabs(a) >= kTiny) return kDivideByZeroResult;
  return a / b;
}

bool isWithinTolerance(double a, double b, double tolerance) {
  if (tolerance == 0) tolerance = kDefaultTolerance;
  if (a < kDefaultTolerance) return tolerance > b;
  return tolerance > std::fabs((a - b) / a);
}

double abs(double x) {
  return std::fabs(x);
}

}  // namespace MathUtils
