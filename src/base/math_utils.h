#pragma once
//! Guarded mathematics for property values: logarithms and exponentials that never overflow,
//! and the marker values their limits produce.

namespace MathUtils {

//! Smallest magnitude treated as non-zero, and the floor of safeExp.
constexpr double kTiny = 1e-30;
//! Ceiling of safeExp.
constexpr double kHuge = 1e30;
//! Bounds of safeLog.
constexpr double kLogLimit = 70.0;
//! What safeDivide gives for a non-zero numerator over a zero denominator.
constexpr double kDivideByZeroResult = 1e-100;
//! Tolerance used when 0 is given.
constexpr double kDefaultTolerance = 1e-10;

//! e^x, but 1e-30 for x <= -70 and 1e30 for x >= 70.
double safeExp(double x);
//! ln x, but -70 for x <= 1e-30 and 70 for x >= 1e30.
double safeLog(double x);
//! Whether safeExp(x) gives its limit (1e-30 or 1e30), a marker rather than e^x. Only the
//! argument tells: an exact 70 or 1e30 elsewhere is an ordinary value.
bool safeExpLimits(double x);
//! Whether safeLog(x) gives its limit (-70 or 70), a marker rather than ln x.
bool safeLogLimits(double x);
//! a / b, except that |b| <= 1e-30 with |a| >= 1e-30 gives 1e-100 (0 / 0 still divides).
double safeDivide(double a, double b);
//! Whether b is within `tolerance` of a (0 means 1e-10): relative to a, except that for
//! a < 1e-10 the test is tolerance > b.
bool isWithinTolerance(double a, double b, double tolerance);
//! |x|.
double abs(double x);

}  // namespace MathUtils
