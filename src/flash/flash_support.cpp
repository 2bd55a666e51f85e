#include "flash/flash_support.h"

#include <utility>

#include "comlite/com_error.h"
#include "comlite/safearray.h"
#include "reporter/method_guard.h"
#include "flash/flash_catalogue.h"
#include "outside/cape_gui.h"
#include "outside/capeopen_thermo.h"
#include "outside/mat_obj.h"
#include "base/set_get.h"
#include "vocabulary/co_ids.h"

namespace coravl::flash {

namespace {

//! The test state the support check puts on the material [K], [Pa].
constexpr double kTestTemperature = 300.0;
constexpr double kTestPressure = 100000.0;

//! A new 1-D string list of `items` (null entries stay null strings).
HRESULT makeStringList(comlite::Variant& list, const std::vector<BSTR>& items) {
  SAFEARRAY* psa = SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(items.size()));
  if (!psa) return E_OUTOFMEMORY;
  for (LONG i = 0; i < static_cast<LONG>(items.size()); ++i) {
    const HRESULT hr = SafeArrayPutElement(psa, &i, items[static_cast<std::size_t>(i)]);
    if (FAILED(hr)) {
      SafeArrayDestroy(psa);
      return hr;
    }
  }
  VariantClear(&list);
  list.vt = VT_ARRAY | VT_BSTR;
  list.parray = psa;
  return S_OK;
}

//! The elements of a 1-D string list as owned strings; empty for anything that is not a list.
std::vector<comlite::Bstr> stringsOf(const VARIANT* list) {
  std::vector<comlite::Bstr> out;
  if (!list) return out;
  LONG index = 0;
  comlite::Variant item;
  while (SetGet::nextItem(*list, index, item)) {
    if (item.vt == VT_BSTR)
      out.push_back(comlite::Bstr::attach(std::exchange(item.bstrVal, nullptr)));
    else
      out.emplace_back();
    VariantClear(&item);
  }
  return out;
}

//! The 1-D list of 32-bit integers in `v`, or nullptr.
SAFEARRAY* longListOf(const VARIANT& v) {
  if (v.vt != (VT_ARRAY | VT_I4) || !v.parray || SafeArrayGetDim(v.parray) != 1) return nullptr;
  return v.parray;
}

//! Appends `value` to the list of 32-bit integers in `v`; anything else in `v` is cleared
//! first.
HRESULT appendLong(VARIANT& v, LONG value) {
  SAFEARRAY* psa = longListOf(v);
  if (!psa) {
    HRESULT hr = VariantClear(&v);
    if (FAILED(hr)) return hr;
    psa = SafeArrayCreateVector(VT_I4, 0, 0);
    if (!psa) return E_OUTOFMEMORY;
    v.vt = VT_ARRAY | VT_I4;
    v.parray = psa;
  }
  LONG lower = 0, upper = -1;
  SafeArrayGetLBound(psa, 1, &lower);
  SafeArrayGetUBound(psa, 1, &upper);
  const SAFEARRAYBOUND grown{static_cast<ULONG>(upper - lower + 2), lower};
  HRESULT hr = SafeArrayRedim(psa, &grown);
  if (FAILED(hr)) return hr;
  const LONG at = upper + 1;
  return SafeArrayPutElement(psa, &at, &value);
}

//! The test state on the material: equal mole fractions at 300 K and 1e5 Pa, enthalpy and
//! entropy of the mixture and the vapour phaseFraction set to 1, so that a package may look at
//! the values a flash specification names.
void putTestState(const FlashCheckInputs& in) {
  if (!in.matObj) throw comlite::ComError(E_POINTER, IMatObj::kIID);
  const LONG n = in.compoundCount > 0 ? in.compoundCount : 0;
  std::vector<double> x(static_cast<std::size_t>(n), n > 0 ? 1.0 / n : 0.0);
  comlite::check(
      in.matObj->SetState(kTestTemperature, kTestPressure, x.data(), COIds::PhaseOverall),
      IMatObj::kIID);
  const double one = 1.0;
  comlite::check(in.matObj->SetValue(COIds::PropEnthalpy, COIds::PhaseOverall, &one),
                 IMatObj::kIID);
  comlite::check(in.matObj->SetValue(COIds::PropEntropy, COIds::PhaseOverall, &one), IMatObj::kIID);
  comlite::check(in.matObj->SetValue(COIds::PropPhaseFraction, COIds::PhaseVapor, &one),
                 IMatObj::kIID);
}

//! Makes the selected phases whose state of aggregation is "Vapor" or "Liquid" present, in
//! selection order, with status 0.
void presentFluidPhases(const FlashCheckInputs& in) {
  const std::vector<comlite::Bstr> labels = stringsOf(in.selectedPhases);
  const std::vector<comlite::Bstr> states = stringsOf(in.selectedStates);
  std::vector<BSTR> fluid;
  for (std::size_t i = 0; i < labels.size() && i < states.size(); ++i) {
    const LONG id = COIds::str2id(states[i].get(), COIds::GroupPhase);
    if (id == COIds::PhaseVapor || id == COIds::PhaseLiquid) fluid.push_back(labels[i].get());
  }
  if (fluid.empty()) return;
  if (!in.material) throw comlite::ComError(E_POINTER, ICapeThermoMaterial::kIID);
  comlite::Variant names, status;
  comlite::check(makeStringList(names, fluid), ICapeThermoMaterial::kIID);
  comlite::check(SetGet::Create(status, VT_I4, static_cast<LONG>(fluid.size())),
                 ICapeThermoMaterial::kIID);
  comlite::check(in.material->SetPresentPhases(names, status), ICapeThermoMaterial::kIID);
}

//! Asks the equilibrium routine whether it solves the specification of `flashId`; false
//! when the specification cannot be built or the question fails.
bool packageSupports(LONG flashId, const FlashCheckInputs& in, FlashState& state) {
  if (!in.equilibriumRoutine) return false;
  if (buildFlashSpecification(flashId, in.vaporLabel, state) != S_OK) return false;
  try {
    VARIANT_BOOL supported = VARIANT_FALSE;
    comlite::check(
        in.equilibriumRoutine->CheckEquilibriumSpec(state.specification1, state.specification2,
                                                    state.solutionType.get(), &supported),
        ICapeThermoEquilibriumRoutine::kIID);
    return supported != VARIANT_FALSE;
  } catch (...) {
    // A package that fails the question for one flash simply does not offer that flash.
    return false;
  }
}

void runSupportCheck(const FlashCheckInputs& in, FlashState& state) {
  putTestState(in);
  presentFluidPhases(in);
  for (LONG id = COIds::FlashTP; id <= COIds::FlashTS; ++id)
    if (packageSupports(id, in, state)) state.supported.push_back(id);
  if (state.supported.empty()) return;
  if (!in.setupView) throw comlite::ComError(E_POINTER, ICCAPEGUI::kIID);
  std::vector<BSTR> names;
  for (LONG id : state.supported) names.push_back(COIds::id2str(id));
  comlite::Variant list;
  comlite::check(makeStringList(list, names), ICCAPEGUI::kIID);
  comlite::check(in.setupView->SetSupportedFlashes(list), ICCAPEGUI::kIID);
}

}  // namespace

HRESULT buildFlashSpecification(LONG flashId, BSTR vaporLabel, VARIANT& specification1,
                                VARIANT& specification2, comlite::Bstr& solutionType) {
  if (flashId < COIds::FlashTP || flashId > COIds::FlashTS) return kNoFlashSpecification;
  LONG first = 0, second = 0;
  CCORVLflash::specificationProperties(COIds::id2cstr(flashId), first, second);
  const bool fractionFlash = second == COIds::PropPhaseFraction;
  // Entry 0 of the identifier table is the null string of an empty entry.
  auto entries = [&](LONG property) -> std::vector<BSTR> {
    if (property == COIds::PropPhaseFraction)
      return {COIds::id2str(property), COIds::id2str(COIds::BasisMole), vaporLabel,
              COIds::id2str(COIds::NoId)};
    return {COIds::id2str(property), COIds::id2str(COIds::NoId), COIds::id2str(COIds::PhaseOverall),
            COIds::id2str(COIds::NoId)};
  };
  comlite::Variant s1, s2;
  HRESULT hr = makeStringList(s1, entries(first));
  if (SUCCEEDED(hr)) hr = makeStringList(s2, entries(second));
  if (FAILED(hr)) return hr;
  comlite::Bstr type = comlite::Bstr::attach(
      COIds::id2bstr(fractionFlash ? COIds::DescNormal : COIds::DescUnspecified));
  if (!type.get()) return E_OUTOFMEMORY;
  VariantClear(&specification1);
  specification1 = s1.detach();
  VariantClear(&specification2);
  specification2 = s2.detach();
  solutionType = std::move(type);
  return S_OK;
}

HRESULT checkFlashTypes(const FlashCheckInputs& inputs, FlashState& state, MethodGuard& guard) {
  if (inputs.otherHostApplication || !inputs.packageInitialised || !state.supported.empty())
    return S_OK;
  if (inputs.capeOpenVersion != 110 || !inputs.package) return S_OK;
  guard.run(kCheckingFlashTypes, [&] {
    runSupportCheck(inputs, state);
    return S_OK;
  });
  return S_OK;
}

bool isFlashTypeSupported(LONG hostFlashType, const FlashCheckInputs& inputs, FlashState& state,
                          MethodGuard& guard) {
  checkFlashTypes(inputs, state, guard);
  for (LONG id : state.supported)
    if (state.factory.hostFlashTypeOf(id) == hostFlashType) return true;
  return false;
}

HRESULT supportedFlashTypes(const FlashCheckInputs& inputs, FlashState& state, MethodGuard& guard,
                            INT* nFlashes, VARIANT* types) {
  if (!nFlashes || !types) return E_POINTER;
  checkFlashTypes(inputs, state, guard);
  for (LONG id : state.supported) {
    const LONG type = state.factory.hostFlashTypeOf(id);
    if (type == 0) continue;
    const HRESULT hr = appendLong(*types, type);
    if (FAILED(hr)) return hr;
  }
  SAFEARRAY* list = longListOf(*types);
  *nFlashes = list ? static_cast<INT>(comlite::safeArrayCount(list)) : 0;
  return S_OK;
}

HRESULT canHandleFlashType(LONG hostFlashType, const FlashCheckInputs& inputs, FlashState& state,
                           MethodGuard& guard, INT* status) {
  if (!status) return E_POINTER;
  *status = 0;
  isFlashTypeSupported(hostFlashType, inputs, state, guard);
  return S_OK;
}

}  // namespace coravl::flash
