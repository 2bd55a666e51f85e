#include "pr_package/cape_errors.h"

#include <cmath>

#include "pr_package/model/constants.h"

namespace prcape {

using capeside::CapeError;
using capeside::cat;

CapeError toCapeError(const pr::Error& e, const char* scope) {
  HRESULT code = ECapeUnknownHR;
  switch (e.kind()) {
    case pr::ErrorKind::InvalidArgument:
      code = ECapeInvalidArgumentHR;
      break;
    case pr::ErrorKind::BadArgument:
      code = ECapeBadArgumentHR;
      break;
    case pr::ErrorKind::NotImplemented:
      code = ECapeLimitedImplHR;
      break;
    case pr::ErrorKind::BadInvOrder:
      code = ECapeBadInvOrderHR;
      break;
    case pr::ErrorKind::SolvingError:
      code = ECapeSolvingErrorHR;
      break;
    case pr::ErrorKind::OutOfBounds:
      code = ECapeOutOfBoundsHR;
      break;
    case pr::ErrorKind::DataError:
      code = ECapeFailedInitialisationHR;
      break;
  }
  CapeError out(code, scope, e.message());
  out.record().moreInfo = "raised by " + e.procedure();
  return out;
}

namespace {

void checkRange(double value, double low, double high, const char* what, const char* unit,
                SHORT position, const char* scope) {
  if (!std::isfinite(value) || !(value > 0))
    throw CapeError(ECapeBadArgumentHR, scope, cat(what, " ", value, " ", unit, " is not positive"))
        .at(position);
  if (value < low || value > high) {
    CapeError e(ECapeOutOfBoundsHR, scope,
                cat(what, " ", value, " ", unit, " is outside the model's range [", low, ", ", high,
                    "] ", unit));
    e.record().lowerBound = low;
    e.record().upperBound = high;
    e.record().value = value;
    e.record().boundType = what;
    throw e;
  }
}

}  // namespace

void checkTemperature(double T_K, SHORT position, const char* scope) {
  checkRange(T_K, pr::T_min_K, pr::T_max_K, "temperature", "K", position, scope);
}

void checkPressure(double P_Pa, SHORT position, const char* scope) {
  checkRange(P_Pa, pr::P_min_Pa, pr::P_max_Pa, "pressure", "Pa", position, scope);
}

void checkFinite(const std::vector<double>& values, const std::string& property,
                 const char* scope) {
  for (double v : values)
    if (!std::isfinite(v))
      throw CapeError(ECapeThrmPropertyNotAvailableHR, scope,
                      cat("\"", property, "\" has no finite value at this state"));
}

}  // namespace prcape
