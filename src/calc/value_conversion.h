#pragma once
//! One calculated value on its way from the CAPE-OPEN side to the host: a value passes the
//! property's translator; a derivative becomes the derivative of the translated value.
//!
//! The translator map is host = f((CAPE-OPEN - offset) / multiplier), f the identity, ln or exp
//! (with a power for exponents other than 1), and a derivative by pressure is per kPa. The
//! derivative of the host value therefore needs the CAPE-OPEN value itself (the base value)
//! when f is a logarithm or an exponential, and never carries the offset.

#include <cstddef>
#include <span>

#include "comlite/types.h"

class CCOPropertyTranslator;

namespace coravl::calc {

//! What the host receives for the logarithm of the fugacity of an absent compound.
inline constexpr double kLnOfZero = -70.0;
//! Mole fractions at or below this count as absent.
inline constexpr double kAbsentFraction = 1e-30;

//! d(host value)/dv [host units per host unit of v] from d(CAPE-OPEN value)/dv (`derivative`,
//! SI per SI unit of v) and the CAPE-OPEN value (`base`). `variable`: 27 temperature,
//! 28 pressure (the result is then per kPa), 25 and 26 the composition variables. A null
//! translator converts nothing.
double derivativeToHost(const CCOPropertyTranslator* translator, double derivative, double base,
                        LONG variable);

//! How the values of one result slot are converted.
struct SlotConversion {
  CCOPropertyTranslator* translator = nullptr;
  //! Derivative variable of the slot (0 for the value itself).
  LONG variable = 0;
  //! The host property is "LnFugacity".
  bool lnFugacity = false;
  //! "LnFugacity" is served by the fugacity coefficient or its logarithm: ln(x P) is added.
  bool fugacityFallback = false;
  //! The phase's pressure [kPa].
  double pressureKPa = 0.0;
};

//! One value `y` (CAPE-OPEN form) of a compound with mole fraction `x` in host form; `base` is
//! the compound's CAPE-OPEN value of the property itself (used by derivatives only).
//! "LnFugacity" of an absent compound is kLnOfZero; with the fallback, ln(x P) is added to the
//! value, 1/P to its pressure derivative and 1/x to its mole-fraction derivative.
double slotValueToHost(const SlotConversion& conversion, double y, double base, double x);
//! slotValueToHost over the values of a slot, in place. Value i takes base[i] (base[0] past
//! its end, 0 when it is empty) and x[i] (1 past its end). Stops at the first value without a
//! finite host form and returns its index; values.size() when every value has one.
std::size_t slotValuesToHost(const SlotConversion& conversion, std::span<double> values,
                             std::span<const double> base, std::span<const double> x);

}  // namespace coravl::calc
