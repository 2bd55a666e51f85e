#pragma once
//! Phase ordering: after a flash the host's phases are put lightest first (descending molar
//! volume, as the package calculates it), and the first phase is marked liquid or vapour by how
//! it behaves: its compressibility factor, its isothermal compressibility and the make-up of
//! its compounds. A second vapour becomes a liquid; with three phases a dense vapour first
//! phase is merged into the second.
//!
//! The ordering works on the first three phases of the collection; further phases are left
//! where they are.
//!
//! Units: the host's molar volumes are m3/kmol, pressures kPa; the component's state holds K and
//! Pa (as the property requests leave it); the material object answers SI per mole.
//!
//! Host framework failures raise CTHCOMError*, a missing host object or a failing interface
//! query raises comlite::ComError; the caller runs the ordering under the component's
//! MethodGuard.

#include <functional>
#include <span>
#include <string>

#include "calc/single_phase_request.h"
#include "comlite/types.h"

struct IBasicPhase;
struct IDispatch;
struct IRealArrayDisp;

namespace coravl::calc {

//! Context phrase of the failure convention.
inline constexpr const char* kPhaseOrderContext = "ordering phases";
//! Reported (and the ordering goes on) when the first phase gives no specific volume.
inline constexpr const char* kNoSpecificVolumeText =
    "ordering phases: light liquid's MolarVol or MolWeight is 0";
//! Number of phases the ordering looks at.
inline constexpr LONG kOrderedPhaseCount = 3;

//! What the ordering needs of the component besides the calculation links.
struct PhaseOrderLinks {
  //! Calculates "MolarVolume" of a host phase through the component's own property request,
  //! which writes it into the phase. RETURNS: the request's status (already reported).
  std::function<HRESULT(IBasicPhase*)> calculateMolarVolume;
  //! Host id of "MolarVolume".
  LONG molarVolumeId = 0;
  //! The package's pressure derivative of the volume: "volume.Dpressure", "compressibility"
  //! or empty when it offers neither.
  std::string pressureDerivative;
  //! A host real array, for handing a merged composition to the host.
  IRealArrayDisp* compositionArray = nullptr;
};

//! Where a phase of molar volume `key` goes among the `keys` placed so far: the first position
//! j (j <= 1) whose key is strictly smaller; -1 when it stays behind them. Equal keys keep
//! their arrival order.
LONG insertionPosition(std::span<const double> keys, double key);

//! The ordering's estimate of the compressibility factor, with R = 0.082 L atm/(mol K):
//! Z = (P / 101325) V / (0.082 T). `P_Pa` [Pa], `V_m3kmol` [m3/kmol], `T_K` [K].
double orderingCompressibilityFactor(double P_Pa, double V_m3kmol, double T_K);

//! What decides the type of the lightest of one or two phases.
struct LightestPhase {
  double Z = 0.0;               //!< orderingCompressibilityFactor
  double kappa = 0.0;           //!< isothermal compressibility -(dV/dP)/V [1/kPa]
  double P_Pa = 0.0;            //!< [Pa]
  double lightFraction = 0.0;   //!< mole fraction of compounds boiling at 230 C or below
  double heavyFraction = 0.0;   //!< mole fraction of the others
  double specificVolume = 0.0;  //!< [m3/kg]
};

//! The type the lightest phase should have: 3 (vapour) when Z >= 0.25 and kappa P >= 0.6;
//! otherwise 0 (keep its type) for a light gas, Z >= 0.75 with at least as many light as heavy
//! compounds and at least 0.002 m3/kg; otherwise 4 (liquid).
LONG wantedLightestPhaseType(const LightestPhase& phase);

//! Orders the phases of `collection` (the host's phase collection; anything else, or null, is
//! left alone with S_OK), as the header describes. `state` and `links` are the component's
//! calculation state and links: the first phase's state is read into them as a property
//! request reads it. RETURNS: S_OK; the status of a failed molar volume calculation, of a
//! failed move (shown as "Unexpected error "), or of a failed re-reading of the first phase.
HRESULT orderPhases(IDispatch* collection, CalculationState& state, const CalculationLinks& links,
                    const PhaseOrderLinks& order);

}  // namespace coravl::calc
