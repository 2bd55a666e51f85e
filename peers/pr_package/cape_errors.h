#pragma once
//! The CAPE-OPEN errors of the Peng-Robinson package: the model's errors translated at the COM
//! boundary, and the checks of a state before it reaches the model.

#include <string>
#include <vector>

#include "capeside/support/cape_error.h"
#include "pr_package/model/error.h"

namespace prcape {

//! The CAPE-OPEN error of a model error: InvalidArgument -> ECapeInvalidArgument, BadArgument
//! -> ECapeBadArgument, NotImplemented -> ECapeLimitedImpl, BadInvOrder -> ECapeBadInvOrder,
//! SolvingError -> ECapeSolvingError, OutOfBounds -> ECapeOutOfBounds, DataError ->
//! ECapeFailedInitialisation. The scope is the package method (`scope`); moreInfo names the
//! model routine that raised it.
capeside::CapeError toCapeError(const pr::Error& e, const char* scope);

//! Checks a temperature [K]: not finite or not positive is ECapeBadArgument (at `position`,
//! 0 when it came from the material), outside the model's range ECapeOutOfBounds with the
//! bounds.
void checkTemperature(double T_K, SHORT position, const char* scope);
//! The same for a pressure [Pa].
void checkPressure(double P_Pa, SHORT position, const char* scope);
//! Throws ECapeThrmPropertyNotAvailable when a computed value is not finite, so that no NaN
//! or infinity ever reaches a caller.
void checkFinite(const std::vector<double>& values, const std::string& property, const char* scope);

}  // namespace prcape
