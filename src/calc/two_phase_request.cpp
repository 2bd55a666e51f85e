#include "calc/two_phase_request.h"

#include <algorithm>
#include <cfenv>
#include <vector>

#include "comlite/com_error.h"
#include "comlite/com_ptr.h"
#include "comlite/variant.h"
#include "reporter/co_error.h"
#include "base/message_output.h"
#include "reporter/method_guard.h"
#include "base/thcom_error.h"
#include "outside/mat_obj.h"
#include "outside/ravelin_ids.h"
#include "outside/ravelin_phase.h"
#include "outside/ravelin_phase_collection.h"
#include "vocabulary/co_ids.h"

namespace coravl::calc {

namespace {

constexpr const char* kUnexpected = "Unexpected error ";
constexpr const char* kNoHolderText =
    "Calculating K-values. The overall phase of the phase collection cannot hold them.";
//! Kind and index that name the collection's two-phase property holder (its overall phase).
constexpr LONG kHolderKind = 1;
constexpr LONG kHolderIndex = 0;

comlite::ComPtr<IBasicPhase> basicPhase(IPhaseCollection* collection, LONG index) {
  comlite::ComPtr<IDispatch> item;
  thcheck(collection->GetPhase(index, item.put()));
  HRESULT qhr = S_OK;
  auto phase = item.as<IBasicPhase>(&qhr);
  if (!phase) CTHCOMError::raise(FAILED(qhr) ? qhr : E_POINTER);
  return phase;
}

bool vapourLiquidPair(LONG a, LONG b) {
  return (a == ravelin::kPhaseVapour && b == ravelin::kPhaseLiquid) ||
         (a == ravelin::kPhaseLiquid && b == ravelin::kPhaseVapour);
}

}  // namespace

HRESULT calculateTwoPhaseProperty(LONG propertyId, IDispatch* collectionObject, LONG iphase,
                                  LONG jphase, CalculationState& state,
                                  const CalculationLinks& links, MethodGuard& guard) {
  const auto& ids = *links.hostPropertyIds;
  if (propertyId == calc::kNotRegistered || propertyId != ids[HostKFactor]) return E_FAIL;
  PropertyRequest request(state, links);
  CalculationMode mode = CalculationMode::Direct;
  const calc::RegisteredProperty* record = request.chooseRecord(propertyId, mode);
  if (!record || mode != CalculationMode::Direct) return E_FAIL;
  state.current = record;

  if (!collectionObject) CTHCOMError::raise(E_POINTER);
  comlite::ComPtr<IPhaseCollection> collection;
  HRESULT hr = collectionObject->QueryInterface(IPhaseCollection::kIID, collection.putVoid());
  if (FAILED(hr) || !collection) CTHCOMError::raise(FAILED(hr) ? hr : E_POINTER);
  auto phase0 = basicPhase(collection.get(), iphase);
  auto phase1 = basicPhase(collection.get(), jphase);
  LONG type0 = 0, type1 = 0;
  thcheck(phase0->get_PhaseType(&type0));
  thcheck(phase1->get_PhaseType(&type1));
  if (!vapourLiquidPair(type0, type1)) return E_FAIL;
  request.holdPhase(0, phase0.get(), type0);
  request.holdPhase(1, phase1.get(), type1);
  state.hostPhaseType = type0;

  double P = 0.0, T = 0.0;
  thcheck(phase0->get_Pressure(&P));
  thcheck(phase0->get_Temperature(&T));
  state.pressure = P * 1000.0;
  state.temperature = T;
  // Each validation leaves the state of its phase: the material gets that of phase 1.
  hr = request.validate(0, true);
  if (FAILED(hr)) return hr;
  hr = request.validate(1, true);
  if (FAILED(hr)) return hr;
  for (int index : {0, 1}) {
    hr = request.prepareMaterial(index);
    if (FAILED(hr)) return Utils::popUpStatus(hr, kUnexpected);
  }
  // The reporter describes the pair in the order of the labels: vapour first.
  const int vapour = type0 == ravelin::kPhaseVapour ? 0 : 1;
  const double* fractions[2] = {request.materialComposition(vapour).data(),
                                request.materialComposition(1 - vapour).data()};
  links.reporter->SetTPFraction(state.temperature, state.pressure, fractions, links.compoundCount,
                                2);

  comlite::ComPtr<IDispatch> holderItem;
  VARIANT_BOOL found = VARIANT_FALSE;
  thcheck(collection->GetPhaseOfKind(kHolderKind, kHolderIndex, holderItem.put(), &found));
  if (found == VARIANT_FALSE) return E_FAIL;
  HRESULT qhr = S_OK;
  auto holder = holderItem.as<IBasicPhase>(&qhr);
  if (!holder && FAILED(qhr) && qhr != E_NOINTERFACE)
    throw comlite::ComError(qhr, IBasicPhase::kIID);
  // Without the holder the values would be lost: refused before the calculation, and told.
  if (!holder)
    return links.reporter->complain(E_NOINTERFACE, kNoHolderText, ComplaintKind::InternalError,
                                    false);

  state.phaseLabelIndex = COIds::PhaseVaporLiquid;
  hr = guard.run(kPerformingCall, [&] {
    request.buildRequestLists();
    if (!links.matObj) throw comlite::ComError(E_POINTER, IMatObj::kIID);
    const HRESULT calc = links.matObj->CalcTwoPhaseProps(state.propertyNames, state.phaseLabels);
    if (FAILED(calc)) {
      std::feclearexcept(FE_ALL_EXCEPT);
      std::fesetenv(FE_DFL_ENV);
    }
    return calc;
  });
  if (FAILED(hr)) return hr;

  std::vector<double> values(static_cast<std::size_t>(std::max<LONG>(links.compoundCount, 1)),
                             ravelin::kNoValue);
  hr = request.readSlot(0, values);
  if (FAILED(hr)) return hr;
  values.resize(static_cast<std::size_t>(std::max<LONG>(links.compoundCount, 0)));
  std::vector<double> list;
  request.mapToPhaseList(values, list);
  thcheck(holder->SetPropertyVector(propertyId, request.listCount(), list.data()));
  return S_OK;
}

}  // namespace coravl::calc
