#pragma once
//! The host's phase collection: an overall phase, the phase objects a flash fills (in order),
//! the number of phases present, and the record of moves asked of it.

#include <utility>
#include <vector>

#include "comlite/com_ptr.h"
#include "comlite/object.h"
#include "outside/ravelin_phase.h"
#include "outside/ravelin_phase_collection.h"

namespace ravelin::detail {

class PhaseCollectionObject final
    : public comlite::ComObject<PhaseCollectionObject, IPhaseCollection, IRvlPhaseMove> {
 public:
  using Primary = IPhaseCollection;
  static constexpr IID kOwnIID = comlite::makeGuid("FA673F4B-6294-4778-8757-1A280474E342");

  //! A collection with an empty overall phase and no phases, or nullptr when out of memory.
  static comlite::ComPtr<IPhaseCollection> make();
  static HRESULT createInstance(IUnknown* outer, REFIID riid, void** ppv);

  // IPhaseCollection
  HRESULT get_NumbOfPhases(LONG* count) override;
  HRESULT put_NumbOfPhases(LONG count) override;
  HRESULT GetPhase(LONG index, IDispatch** phase) override;
  HRESULT GetPhaseOfKind(LONG kind, LONG index, IDispatch** phase, VARIANT_BOOL* found) override;
  HRESULT get_NumbOfComps(LONG* count) override;
  // IRvlPhaseMove
  HRESULT MovePhase(LONG target, LONG source) override;

  void* queryExtra(REFIID riid) { return riid == kOwnIID ? static_cast<Primary*>(this) : nullptr; }

  const comlite::ComPtr<IBasicPhase>& overall() const { return m_overall; }
  void setOverall(comlite::ComPtr<IBasicPhase> overall) { m_overall = std::move(overall); }
  const std::vector<comlite::ComPtr<IBasicPhase>>& phases() const { return m_phases; }
  void addPhase(comlite::ComPtr<IBasicPhase> phase) { m_phases.push_back(std::move(phase)); }
  LONG numberOfPhases() const { return m_count; }
  void setNumberOfPhases(LONG count) { m_count = count; }
  //! (target, source) of every successful move, in call order.
  const std::vector<std::pair<LONG, LONG>>& moves() const { return m_moves; }

 private:
  comlite::ComPtr<IBasicPhase> m_overall;
  std::vector<comlite::ComPtr<IBasicPhase>> m_phases;
  LONG m_count = 0;
  std::vector<std::pair<LONG, LONG>> m_moves;
};

}  // namespace ravelin::detail
