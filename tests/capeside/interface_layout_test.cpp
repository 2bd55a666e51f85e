//! Slot positions of every interface method the socket calls by position, and of the
//! published CAPE-OPEN 1.1 interfaces, read from the compiled vtable layout. Both sides of
//! every other test share these declarations, so only here would a moved method show.

#include "capeside_fixture.h"
#include "comlite/vtable_slot.h"
#include "outside/adapter_diagnostics.h"
#include "outside/cape_error_utils.h"
#include "outside/capeopen_common.h"
#include "outside/sim_context.h"

namespace {

template <class... M>
std::vector<int> slots(M... methods) {
  return {comlite::vtableSlot(methods)...};
}
using V = std::vector<int>;

}  // namespace

TEST(InterfaceLayout, socket_called_methods_sit_at_their_positions) {
  using A = IPackageAdapter;
  EXPECT_EQ(
      slots(&A::SelectPackage, &A::CreatePropPackage, &A::GetMaterialObject,
            &A::GetCompoundConstant, &A::GetValue, &A::SetValue, &A::Save, &A::Recall,
            &A::SetWindow, &A::SetFluidPackageCompounds, &A::ReleaseResources, &A::SetCallerName),
      (V{8, 9, 10, 11, 12, 13, 14, 15, 16, 19, 20, 22}));
  EXPECT_EQ(slots(&ICapeDiagnostics::ReportError, &ICapeDiagnostics::PopUpError,
                  &ICapeDiagnostics::ReportCapeError, &ICapeDiagnosticHook::SetDiagnosticSink,
                  &ICapeErrorUtils::DescribeError),
            (V{7, 8, 9, 8, 7}));
  using G = ICCAPEGUI;
  EXPECT_EQ(
      slots(&G::get_PackageName, &G::get_PackageAlias, &G::get_PackageProgID,
            &G::get_PackageDescription, &G::get_CapeVersion, &G::put_ViewNotice,
            &G::GetCompoundOptions, &G::ConfigureCompounds, &G::SetCompoundOptions, &G::ShowMessage,
            &G::SetRecovErrorRouting, &G::GetRecovErrorRouting, &G::SetSupportedFlashes,
            &G::GetLiquid2FlashRequest, &G::SetLiquid2FlashRequest, &G::GetOrderPhases,
            &G::SetOrderPhases, &G::GetCritErrorRouting, &G::SetCritErrorRouting),
      (V{9, 10, 12, 13, 28, 30, 32, 33, 36, 37, 39, 40, 44, 45, 46, 47, 48, 49, 50}));
  using M = IMatObj;
  EXPECT_EQ(slots(&M::PutproxyPtr, &M::SetState, &M::GetValue, &M::CalcSinglePhaseProps,
                  &M::GetState, &M::SetValue, &M::CalcTwoPhaseProps, &M::GetFlashSpecification),
            (V{7, 16, 17, 20, 21, 24, 27, 28}));
}

TEST(InterfaceLayout, published_interfaces_keep_the_type_library_order_and_ids) {
  using T = ICapeThermoMaterial;
  EXPECT_EQ(
      slots(&T::ClearAllProps, &T::CopyFromMaterial, &T::GetOverallProp, &T::GetPresentPhases,
            &T::GetSinglePhaseProp, &T::GetTPFraction, &T::GetTwoPhaseProp, &T::SetOverallProp,
            &T::SetPresentPhases, &T::SetSinglePhaseProp, &T::SetTwoPhaseProp),
      (V{7, 8, 10, 12, 13, 14, 15, 16, 17, 18, 19}));
  using U = ICapeUtilities;
  using R = ICapeThermoPropertyRoutine;
  EXPECT_EQ(
      slots(&ICapeIdentification::get_ComponentName, &ICapeIdentification::put_ComponentDescription,
            &U::get_parameters, &U::put_simulationContext, &U::Initialize, &U::Terminate, &U::Edit,
            &ICapeCollection::Item, &ICapeCollection::Count, &ICapeDiagnostic::PopUpMessage,
            &ICapeDiagnostic::LogMessage),
      (V{7, 10, 7, 8, 9, 10, 11, 7, 8, 7, 8}));
  EXPECT_EQ(
      slots(&ICapeThermoMaterialContext::SetMaterial, &ICapeThermoMaterialContext::UnsetMaterial,
            &ICapeThermoCompounds::GetCompoundConstant, &ICapeThermoCompounds::GetCompoundList,
            &ICapeThermoCompounds::GetNumCompounds, &ICapeThermoCompounds::GetTDependentPropList,
            &ICapeThermoPhases::GetNumPhases, &ICapeThermoPhases::GetPhaseList, &R::CalcAndGetLnPhi,
            &R::CalcSinglePhaseProp, &R::CalcTwoPhaseProp, &R::GetSinglePhasePropList,
            &R::GetTwoPhasePropList),
      (V{7, 8, 7, 8, 10, 14, 7, 9, 7, 8, 9, 12, 13}));
  EXPECT_EQ(slots(&ICapeThermoEquilibriumRoutine::CalcEquilibrium,
                  &ICapeThermoEquilibriumRoutine::CheckEquilibriumSpec,
                  &ICapeThermoUniversalConstant::GetUniversalConstantList,
                  &ICapeThermoPropertyPackageManager::GetPropertyPackageList,
                  &ICapeThermoPropertyPackageManager::GetPropertyPackage, &ECapeRoot::get_name,
                  &ECapeUser::get_code, &ECapeUser::get_moreInfo, &ECapeBadArgument::get_position,
                  &ECapeBadInvOrder::get_requestedOperation, &ECapeBoundaries::get_Type),
            (V{7, 8, 8, 7, 8, 7, 7, 12, 7, 7, 10}));
  EXPECT_EQ(comlite::guidToString(ICapeThermoMaterial::kIID),
            "{678C0A9B-7D66-11D2-A67D-00105A42887F}");
  EXPECT_EQ(comlite::guidToString(ICapeUtilities::kIID), "{678C0A9B-0100-11D2-A67D-00105A42887F}");
  EXPECT_EQ(comlite::guidToString(ECapeBadArgument::kIID),
            "{E29E42B3-E481-45C6-A737-78F4A7FC0391}");
  EXPECT_EQ(capeopen::errorKindOf(ECapeThrmPropertyNotAvailableAltHR)->iid,
            ECapeThrmPropertyNotAvailable::kIID);
  EXPECT_EQ(capeopen::errorKindOf(E_FAIL), nullptr);
}
