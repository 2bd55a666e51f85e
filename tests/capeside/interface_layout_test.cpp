//! Slot positions of every interface method the socket calls by position, and of the
//! published CAPE-OPEN 1.1 interfaces, read from the compiled vtable layout (Itanium C++ ABI:
//! a pointer to a virtual member function holds 1 + the slot's byte offset), then confirmed by
//! calling live components through raw vtable slots.

#include <cstdint>
#include <cstring>

#include "capeside_fixture.h"
#include "outside/adapter_diagnostics.h"
#include "outside/cape_error_utils.h"
#include "outside/capeopen_common.h"
#include "outside/sim_context.h"

using namespace capetest;

namespace {

template <class C, class R, class... A>
long slotOf(R (C::*pmf)(A...)) {
  struct Itanium {
    std::uintptr_t ptr;
    std::ptrdiff_t adj;
  };
  static_assert(sizeof(pmf) == sizeof(Itanium));
  Itanium rep;
  std::memcpy(&rep, &pmf, sizeof rep);
  if ((rep.ptr & 1) == 0 || rep.adj != 0) return -1;  // not a virtual of the primary vtable
  return static_cast<long>((rep.ptr - 1) / sizeof(void*));
}

//! The function at a raw vtable slot of an interface pointer.
template <class Fn>
Fn rawSlot(void* itf, int slot) {
  void** vtable = *static_cast<void***>(itf);
  return reinterpret_cast<Fn>(vtable[slot]);
}

}  // namespace

TEST(InterfaceLayout, adapter_methods_sit_at_the_positions_the_socket_calls) {
  EXPECT_EQ(slotOf(&IPackageAdapter::SelectPackage), 8);
  EXPECT_EQ(slotOf(&IPackageAdapter::CreatePropPackage), 9);
  EXPECT_EQ(slotOf(&IPackageAdapter::GetMaterialObject), 10);
  EXPECT_EQ(slotOf(&IPackageAdapter::GetCompoundConstant), 11);
  EXPECT_EQ(slotOf(&IPackageAdapter::GetValue), 12);
  EXPECT_EQ(slotOf(&IPackageAdapter::SetValue), 13);
  EXPECT_EQ(slotOf(&IPackageAdapter::Save), 14);
  EXPECT_EQ(slotOf(&IPackageAdapter::Recall), 15);
  EXPECT_EQ(slotOf(&IPackageAdapter::SetWindow), 16);
  EXPECT_EQ(slotOf(&IPackageAdapter::SetFluidPackageCompounds), 19);
  EXPECT_EQ(slotOf(&IPackageAdapter::ReleaseResources), 20);
  EXPECT_EQ(slotOf(&IPackageAdapter::SetCallerName), 22);
  EXPECT_EQ(slotOf(&ICapeDiagnostics::ReportError), 7);
  EXPECT_EQ(slotOf(&ICapeDiagnostics::PopUpError), 8);
  EXPECT_EQ(slotOf(&ICapeDiagnostics::ReportCapeError), 9);
  EXPECT_EQ(slotOf(&ICapeDiagnosticHook::SetDiagnosticSink), 8);
  EXPECT_EQ(slotOf(&ICapeErrorUtils::DescribeError), 7);
}

TEST(InterfaceLayout, gui_methods_sit_at_the_positions_the_socket_calls) {
  EXPECT_EQ(slotOf(&ICCAPEGUI::get_PackageName), 9);
  EXPECT_EQ(slotOf(&ICCAPEGUI::get_PackageAlias), 10);
  EXPECT_EQ(slotOf(&ICCAPEGUI::get_PackageProgID), 12);
  EXPECT_EQ(slotOf(&ICCAPEGUI::get_PackageDescription), 13);
  EXPECT_EQ(slotOf(&ICCAPEGUI::get_CapeVersion), 28);
  EXPECT_EQ(slotOf(&ICCAPEGUI::put_ViewNotice), 30);
  EXPECT_EQ(slotOf(&ICCAPEGUI::GetCompoundOptions), 32);
  EXPECT_EQ(slotOf(&ICCAPEGUI::ConfigureCompounds), 33);
  EXPECT_EQ(slotOf(&ICCAPEGUI::SetCompoundOptions), 36);
  EXPECT_EQ(slotOf(&ICCAPEGUI::ShowMessage), 37);
  EXPECT_EQ(slotOf(&ICCAPEGUI::SetRecovErrorRouting), 39);
  EXPECT_EQ(slotOf(&ICCAPEGUI::GetRecovErrorRouting), 40);
  EXPECT_EQ(slotOf(&ICCAPEGUI::SetSupportedFlashes), 44);
  EXPECT_EQ(slotOf(&ICCAPEGUI::GetLiquid2FlashRequest), 45);
  EXPECT_EQ(slotOf(&ICCAPEGUI::SetLiquid2FlashRequest), 46);
  EXPECT_EQ(slotOf(&ICCAPEGUI::GetOrderPhases), 47);
  EXPECT_EQ(slotOf(&ICCAPEGUI::SetOrderPhases), 48);
  EXPECT_EQ(slotOf(&ICCAPEGUI::GetCritErrorRouting), 49);
  EXPECT_EQ(slotOf(&ICCAPEGUI::SetCritErrorRouting), 50);
}

TEST(InterfaceLayout, material_object_methods_sit_at_the_positions_the_socket_calls) {
  EXPECT_EQ(slotOf(&IMatObj::PutproxyPtr), 7);
  EXPECT_EQ(slotOf(&IMatObj::SetState), 16);
  EXPECT_EQ(slotOf(&IMatObj::GetValue), 17);
  EXPECT_EQ(slotOf(&IMatObj::CalcSinglePhaseProps), 20);
  EXPECT_EQ(slotOf(&IMatObj::GetState), 21);
  EXPECT_EQ(slotOf(&IMatObj::SetValue), 24);
  EXPECT_EQ(slotOf(&IMatObj::CalcTwoPhaseProps), 27);
  EXPECT_EQ(slotOf(&IMatObj::GetFlashSpecification), 28);
}

TEST(InterfaceLayout, published_interfaces_keep_the_type_library_order) {
  EXPECT_EQ(slotOf(&ICapeIdentification::get_ComponentName), 7);
  EXPECT_EQ(slotOf(&ICapeIdentification::put_ComponentDescription), 10);
  EXPECT_EQ(slotOf(&ICapeUtilities::get_parameters), 7);
  EXPECT_EQ(slotOf(&ICapeUtilities::put_simulationContext), 8);
  EXPECT_EQ(slotOf(&ICapeUtilities::Initialize), 9);
  EXPECT_EQ(slotOf(&ICapeUtilities::Terminate), 10);
  EXPECT_EQ(slotOf(&ICapeUtilities::Edit), 11);
  EXPECT_EQ(slotOf(&ICapeCollection::Item), 7);
  EXPECT_EQ(slotOf(&ICapeCollection::Count), 8);
  EXPECT_EQ(slotOf(&ICapeDiagnostic::PopUpMessage), 7);
  EXPECT_EQ(slotOf(&ICapeDiagnostic::LogMessage), 8);
  EXPECT_EQ(slotOf(&ICapeThermoMaterial::ClearAllProps), 7);
  EXPECT_EQ(slotOf(&ICapeThermoMaterial::CopyFromMaterial), 8);
  EXPECT_EQ(slotOf(&ICapeThermoMaterial::GetOverallProp), 10);
  EXPECT_EQ(slotOf(&ICapeThermoMaterial::GetPresentPhases), 12);
  EXPECT_EQ(slotOf(&ICapeThermoMaterial::GetSinglePhaseProp), 13);
  EXPECT_EQ(slotOf(&ICapeThermoMaterial::GetTPFraction), 14);
  EXPECT_EQ(slotOf(&ICapeThermoMaterial::GetTwoPhaseProp), 15);
  EXPECT_EQ(slotOf(&ICapeThermoMaterial::SetOverallProp), 16);
  EXPECT_EQ(slotOf(&ICapeThermoMaterial::SetPresentPhases), 17);
  EXPECT_EQ(slotOf(&ICapeThermoMaterial::SetSinglePhaseProp), 18);
  EXPECT_EQ(slotOf(&ICapeThermoMaterial::SetTwoPhaseProp), 19);
  EXPECT_EQ(slotOf(&ICapeThermoMaterialContext::SetMaterial), 7);
  EXPECT_EQ(slotOf(&ICapeThermoMaterialContext::UnsetMaterial), 8);
  EXPECT_EQ(slotOf(&ICapeThermoCompounds::GetCompoundConstant), 7);
  EXPECT_EQ(slotOf(&ICapeThermoCompounds::GetCompoundList), 8);
  EXPECT_EQ(slotOf(&ICapeThermoCompounds::GetNumCompounds), 10);
  EXPECT_EQ(slotOf(&ICapeThermoCompounds::GetTDependentPropList), 14);
  EXPECT_EQ(slotOf(&ICapeThermoPhases::GetNumPhases), 7);
  EXPECT_EQ(slotOf(&ICapeThermoPhases::GetPhaseList), 9);
  EXPECT_EQ(slotOf(&ICapeThermoPropertyRoutine::CalcAndGetLnPhi), 7);
  EXPECT_EQ(slotOf(&ICapeThermoPropertyRoutine::CalcSinglePhaseProp), 8);
  EXPECT_EQ(slotOf(&ICapeThermoPropertyRoutine::CalcTwoPhaseProp), 9);
  EXPECT_EQ(slotOf(&ICapeThermoPropertyRoutine::GetSinglePhasePropList), 12);
  EXPECT_EQ(slotOf(&ICapeThermoPropertyRoutine::GetTwoPhasePropList), 13);
  EXPECT_EQ(slotOf(&ICapeThermoEquilibriumRoutine::CalcEquilibrium), 7);
  EXPECT_EQ(slotOf(&ICapeThermoEquilibriumRoutine::CheckEquilibriumSpec), 8);
  EXPECT_EQ(slotOf(&ICapeThermoUniversalConstant::GetUniversalConstantList), 8);
  EXPECT_EQ(slotOf(&ICapeThermoPropertyPackageManager::GetPropertyPackageList), 7);
  EXPECT_EQ(slotOf(&ICapeThermoPropertyPackageManager::GetPropertyPackage), 8);
  EXPECT_EQ(slotOf(&ECapeRoot::get_name), 7);
  EXPECT_EQ(slotOf(&ECapeUser::get_code), 7);
  EXPECT_EQ(slotOf(&ECapeUser::get_moreInfo), 12);
  EXPECT_EQ(slotOf(&ECapeBadArgument::get_position), 7);
  EXPECT_EQ(slotOf(&ECapeBadInvOrder::get_requestedOperation), 7);
  EXPECT_EQ(slotOf(&ECapeBoundaries::get_Type), 10);
}

TEST(InterfaceLayout, published_ids_are_the_type_library_ones) {
  EXPECT_EQ(comlite::guidToString(ICapeThermoMaterial::kIID),
            "{678C0A9B-7D66-11D2-A67D-00105A42887F}");
  EXPECT_EQ(comlite::guidToString(ICapeUtilities::kIID), "{678C0A9B-0100-11D2-A67D-00105A42887F}");
  EXPECT_EQ(comlite::guidToString(ECapeBadArgument::kIID),
            "{E29E42B3-E481-45C6-A737-78F4A7FC0391}");
  EXPECT_EQ(comlite::guidToString(ECapeThrmPropertyNotAvailable::kIID),
            "{678C09B6-7D66-11D2-A67D-00105A42887F}");
  EXPECT_EQ(capeopen::errorKindOf(ECapeThrmPropertyNotAvailableAltHR)->iid,
            ECapeThrmPropertyNotAvailable::kIID);
  EXPECT_EQ(capeopen::errorKindOf(E_FAIL), nullptr);
}

class LiveLayout : public CapeSide {};

TEST_F(LiveLayout, live_components_answer_through_raw_slots) {
  select("manager = CORavlIdeal.PackageManager.1\npackage = Aromatics\nalias = BTX\n");
  auto a = newAdapter();
  ComPtr<IDispatch> package;
  ComPtr<ICCAPEGUI> gui;
  create(a.get(), package, gui);

  // Adapter position 12: get value.
  using GetValueFn = HRESULT (*)(IPackageAdapter*, BSTR, VARIANT*);
  Variant alias;
  Bstr name("PropPackAlias");
  ASSERT_EQ(rawSlot<GetValueFn>(a.get(), 12)(a.get(), name.get(), &alias), S_OK);
  EXPECT_EQ(comlite::bstrToUtf8(alias.bstrVal), "BTX");
  // GUI position 28: the CAPE-OPEN version; 12: the ProgID.
  using LongFn = HRESULT (*)(ICCAPEGUI*, LONG*);
  LONG version = 0;
  ASSERT_EQ(rawSlot<LongFn>(gui.get(), 28)(gui.get(), &version), S_OK);
  EXPECT_EQ(version, 110);
  using TextFn = HRESULT (*)(ICCAPEGUI*, BSTR*);
  Bstr progId;
  ASSERT_EQ(rawSlot<TextFn>(gui.get(), 12)(gui.get(), progId.out()), S_OK);
  EXPECT_EQ(progId.utf8(), "CORavlIdeal.PackageManager.1");
  // Material positions 16 and 21: state in, state out.
  ComPtr<IDispatch> material;
  ASSERT_EQ(a->GetMaterialObject(material.put()), S_OK);
  auto mo = material.as<IMatObj>();
  using SetStateFn = HRESULT (*)(IMatObj*, double, double, const double*, LONG);
  using GetStateFn = HRESULT (*)(IMatObj*, double*, double*, double*, LONG);
  const double x[2] = {0.25, 0.75};
  ASSERT_EQ(rawSlot<SetStateFn>(mo.get(), 16)(mo.get(), 350.0, 2e5, x, 1), S_OK);
  double T = 0, P = 0, back[2] = {0, 0};
  ASSERT_EQ(rawSlot<GetStateFn>(mo.get(), 21)(mo.get(), &T, &P, back, 1), S_OK);
  EXPECT_EQ(T, 350.0);
  EXPECT_EQ(P, 2e5);
  EXPECT_EQ(back[1], 0.75);
  // Published: ICapeThermoCompounds slot 10 on the package.
  auto compounds = package.as<ICapeThermoCompounds>();
  using CountFn = HRESULT (*)(ICapeThermoCompounds*, LONG*);
  LONG n = 0;
  ASSERT_EQ(rawSlot<CountFn>(compounds.get(), 10)(compounds.get(), &n), S_OK);
  EXPECT_EQ(n, 2);
  EXPECT_EQ(a->ReleaseResources(), S_OK);
}
