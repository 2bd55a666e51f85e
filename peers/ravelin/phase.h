#pragma once
//! Builder handle of a host phase: set it up as the simulator would before a calculation or a
//! flash, and read back everything a package wrote into it.
//!
//! Setters here take any value (a negative temperature, an unknown phase type) so that tests
//! and the host driver can hand a package bad input; the COM interface checks what it takes.

#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "comlite/com_ptr.h"
#include "outside/ravelin_phase.h"
#include "ravelin/api.h"
#include "ravelin/compound.h"

namespace ravelin {

//! One derivative request of a phase and its answer.
struct DerivativeRequest {
  LONG propertyId = 0;
  LONG variableId = 0;
  bool wanted = true;
  LONG status = 0;             //!< DerivativeStatus
  std::vector<double> values;  //!< what the package wrote: one value or one per compound
  bool written = false;
};

class RAVELIN_API Phase {
 public:
  //! A phase of the fluid package `compounds`; `type` is both its type and its nominal type.
  //! Starts at 298.15 K and 101.325 kPa with a zero composition, fraction 0 and status unknown.
  static Phase create(const CompoundList& compounds, LONG type);
  static std::optional<Phase> from(IUnknown* object);

  //! Gives the phase a fluid package (for a phase created by class id); the composition
  //! becomes one zero per compound and any sub-list goes.
  void setCompounds(const CompoundList& compounds);
  void setTemperature(double T_K);
  void setPressure(double P_kPa);
  void setType(LONG type);
  void setNominalType(LONG type);
  void setFraction(double fraction);
  void setStatus(LONG status);
  //! One mole fraction per fluid-package compound. Throws std::invalid_argument otherwise.
  void setComposition(std::span<const double> x);
  //! Restricts the phase's list to these fluid-package compounds (0-based, in list order);
  //! their composition entries outside the list become the no-value marker. Throws
  //! std::invalid_argument for an index outside the fluid package or a repeated one.
  void setSubList(std::span<const LONG> fluidIndexes);
  void clearSubList();
  //! Withdraws (or offers again) the sub-list or derivative-request interface, as hosts that
  //! lack them do.
  void offerSubList(bool offered);
  void offerDerivatives(bool offered);
  //! Makes get_NumbOfComps answer `count` whatever the phase holds, as a faulty host would.
  void misreportCompoundCount(LONG count);
  //! Adds a derivative request by host names ("Enthalpy", "dT"); returns its index. Throws
  //! std::invalid_argument for an unknown name.
  std::size_t addDerivativeRequest(std::string_view property, std::string_view variable,
                                   bool wanted = true);
  std::size_t addDerivativeRequestById(LONG propertyId, LONG variableId, bool wanted = true);
  //! Stores a property value as if a calculation had written it (state names address the
  //! phase's state). Throws std::invalid_argument for an unknown name.
  void setValue(std::string_view property, double value);
  //! Forgets every written value and every derivative answer (requests stay, pending).
  void clearResults();

  double temperature() const;
  double pressure() const;
  LONG type() const;
  LONG nominalType() const;
  double fraction() const;
  LONG status() const;
  std::vector<double> composition() const;
  //! Number of compounds of the phase's list.
  std::size_t compoundCount() const;
  std::optional<std::vector<LONG>> subList() const;
  CompoundList compounds() const;
  //! A scalar by host name ("Temperature", "Pressure", "PhaseFraction" read the state);
  //! nullopt when never written.
  std::optional<double> value(std::string_view property) const;
  std::optional<std::vector<double>> vector(std::string_view property) const;
  std::optional<double> lastValue() const;
  std::size_t derivativeCount() const;
  //! Throws std::out_of_range.
  DerivativeRequest derivative(std::size_t index) const;

  IDispatch* dispatch() const;

 private:
  explicit Phase(comlite::ComPtr<IBasicPhase> object);
  comlite::ComPtr<IBasicPhase> m_object;
};

}  // namespace ravelin
