#pragma once
//! The host's two-phase property request: K-values ("KFactor") between a vapour and a liquid
//! phase of a host phase collection, calculated by the package as the two-phase property
//! "kvalue" (vapour mole fraction over liquid mole fraction) and written, one value per
//! compound of the phases' list, into the collection's two-phase property holder.

#include "calc/single_phase_request.h"

class MethodGuard;

namespace coravl::calc {

//! Context phrase of the request's failure convention (the call itself runs under
//! kPerformingCall).
inline constexpr const char* kTwoPhaseMainProcedure =
    "Error in calculating two phase properties (main procedure)";

//! The request after the package set-up check: phases `iphase` and `jphase` of `collection`
//! (an IPhaseCollection), one of them vapour and the other liquid, in either order. The
//! material gets both at the temperature and pressure of the second phase validated.
//! RETURNS: S_OK; E_FAIL without a message when `propertyId` is not a served "KFactor" or the
//! phases are not a vapour-liquid pair; the reporter's answer for a reported failure. Host
//! framework failures raise CTHCOMError*, others comlite::ComError, except inside the call to
//! the package, which `guard` reports under kPerformingCall.
HRESULT calculateTwoPhaseProperty(LONG propertyId, IDispatch* collection, LONG iphase, LONG jphase,
                                  CalculationState& state, const CalculationLinks& links,
                                  MethodGuard& guard);

}  // namespace coravl::calc
