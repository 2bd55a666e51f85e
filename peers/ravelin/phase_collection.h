#pragma once
//! Builder handle of a host phase collection.

#include <optional>
#include <utility>
#include <vector>

#include "comlite/com_ptr.h"
#include "outside/ravelin_phase_collection.h"
#include "ravelin/api.h"
#include "ravelin/phase.h"

namespace ravelin {

class RAVELIN_API PhaseCollection {
 public:
  //! A collection of an overall phase and phase objects; the number of phases present starts
  //! as the number of phase objects.
  static PhaseCollection create(const Phase& overall, const std::vector<Phase>& phases);
  static std::optional<PhaseCollection> from(IUnknown* object);

  Phase overall() const;
  void setOverall(const Phase& overall);
  //! Number of phase objects held.
  std::size_t size() const;
  //! The phase object at a position (after any moves). Throws std::out_of_range.
  Phase phase(std::size_t index) const;
  void addPhase(const Phase& phase);
  LONG numberOfPhases() const;
  void setNumberOfPhases(LONG count);
  //! (target, source) of every move asked of the collection, in call order.
  std::vector<std::pair<LONG, LONG>> moves() const;

  IDispatch* dispatch() const;

 private:
  explicit PhaseCollection(comlite::ComPtr<IPhaseCollection> object);
  comlite::ComPtr<IPhaseCollection> m_object;
};

}  // namespace ravelin
