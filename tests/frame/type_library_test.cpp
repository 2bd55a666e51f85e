#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "comlite/bstr.h"
#include "comlite/com_ptr.h"
#include "comlite/object.h"
#include "comlite/safearray.h"
#include "comlite/vtable_slot.h"
#include "frame/host_interfaces.h"
#include "frame/type_library.h"
#include "outside/adapter_diagnostics.h"
#include "outside/capeopen_common.h"
#include "outside/ravelin_derivatives.h"
#include "support/socket_fixture.h"

using comlite::vtableSlot;
namespace automation = comlite::automation;

TEST(TypeLibrary, every_described_slot_matches_the_cpp_declaration) {
  // Both interfaces declare their methods in the described order, right after IDispatch's.
  const struct {
    const comlite::automation::InterfaceDesc& desc;
    std::size_t count;
    int first, last;
  } described[] = {
      {coravl::frame::extendedPropPackageDesc(), 22,
       vtableSlot(&IExtendedPropPackage::GetPackageName),
       vtableSlot(&IExtendedPropPackage::GetThermoPropertyRoutine)},
      {coravl::frame::extendedFlashDesc(), 11, vtableSlot(&IExtendedFlash::GetFlashName),
       vtableSlot(&IExtendedFlash::FlashRecall)},
  };
  for (const auto& d : described) {
    ASSERT_EQ(d.desc.methods.size(), d.count) << d.desc.name;
    EXPECT_EQ(d.first, 7);
    EXPECT_EQ(d.last, static_cast<int>(d.count) + 6);
    for (std::size_t i = 0; i < d.count; ++i) {
      EXPECT_EQ(d.desc.methods[i].slot, static_cast<int>(i + 7)) << d.desc.methods[i].name;
      EXPECT_EQ(d.desc.methods[i].dispid, static_cast<DISPID>(i + 1));  // DISPIDs count from 1
    }
  }
  const auto& sd = coravl::frame::simulationContextDesc();
  EXPECT_EQ(sd.methods[0].slot, vtableSlot(&ISimulationContext::get_COerror));
  EXPECT_EQ(sd.methods[1].slot, vtableSlot(&ISimulationContext::put_COerror));
  EXPECT_EQ(vtableSlot(&IDispatch::Invoke), 6);

  // The interfaces offered to outside components.
  const std::vector<std::pair<const comlite::automation::InterfaceDesc*, std::vector<int>>>
      offered = {
          {&coravl::frame::capeDiagnosticDesc(),
           {vtableSlot(&ICapeDiagnostic::PopUpMessage), vtableSlot(&ICapeDiagnostic::LogMessage)}},
          {&coravl::frame::capeDiagnosticsDesc(),
           {vtableSlot(&ICapeDiagnostics::ReportError), vtableSlot(&ICapeDiagnostics::PopUpError),
            vtableSlot(&ICapeDiagnostics::ReportCapeError)}},
          {&coravl::frame::derivativeCalculationDesc(),
           {vtableSlot(&IDerivativeCalculation::EnableDerivatives),
            vtableSlot(&IDerivativeCalculation::CanCalculate),
            vtableSlot(&IDerivativeCalculation::CanCalculateDerivative)}}};
  for (const auto& [desc, slots] : offered) {
    ASSERT_EQ(desc->methods.size(), slots.size()) << desc->name;
    for (std::size_t i = 0; i < slots.size(); ++i) {
      EXPECT_EQ(desc->methods[i].slot, slots[i]) << desc->methods[i].name;
      EXPECT_EQ(desc->methods[i].dispid, static_cast<DISPID>(i + 1)) << desc->methods[i].name;
    }
  }
}

namespace {

//! Late-bound calls reach the component itself, created from the private registry.
class Invoke : public testsupport::SocketFixture {};

}  // namespace

TEST_F(Invoke, converts_by_value_arguments_and_writes_in_out_arguments_back) {
  auto pkg = create();
  ASSERT_TRUE(pkg);
  void* self = pkg.get();
  const auto& desc = coravl::frame::extendedPropPackageDesc();
  // In-out VARIANTs by reference receive arrays (and the package behind the object is made).
  INT n = 0;
  comlite::Variant ids, names, identifiers;
  BSTR idName = nullptr;
  VARIANT compArgs[5];
  compArgs[4].vt = VT_I4 | VT_BYREF, compArgs[4].plVal = &n;
  compArgs[3].vt = VT_VARIANT | VT_BYREF, compArgs[3].pvarVal = &ids;
  compArgs[2].vt = VT_VARIANT | VT_BYREF, compArgs[2].pvarVal = &names;
  compArgs[1].vt = VT_BSTR | VT_BYREF, compArgs[1].pbstrVal = &idName;
  compArgs[0].vt = VT_VARIANT | VT_BYREF, compArgs[0].pvarVal = &identifiers;
  DISPPARAMS cp{compArgs, nullptr, 5, 0};
  ASSERT_EQ(automation::invoke(desc, self, 12, DISPATCH_METHOD, &cp, nullptr, nullptr, nullptr),
            S_OK);
  EXPECT_GT(n, 0);
  EXPECT_EQ(ids.vt, VT_ARRAY | VT_I4);
  SysFreeString(idName);

  // SetupPkg(nfiles as a short, filenames as an empty variant, setupinfo as text, status by
  // ref): two files ask the simulator to look at them, which only a converted count tells.
  INT status = -5;
  VARIANT args[4];
  for (auto& a : args) VariantInit(&a);
  args[3].vt = VT_I2;  // rgvarg is in reverse order: args[3] is the first parameter
  args[3].iVal = 2;
  args[1] = comlite::Variant::fromString("info").detach();
  args[0].vt = VT_I4 | VT_BYREF;
  args[0].plVal = &status;
  DISPPARAMS dp{args, nullptr, 4, 0};
  comlite::Variant result;
  EXPECT_EQ(automation::invoke(desc, self, 3, DISPATCH_METHOD, &dp, &result, nullptr, nullptr),
            S_FALSE);
  EXPECT_EQ(status, 1);  // written back through the reference
  VariantClear(&args[1]);

  // In-out BSTR: the callee replaces the caller's string.
  BSTR name = SysAllocString(u"old");
  BSTR description = SysAllocString(u"old description");
  VARIANT nameArgs[2];
  nameArgs[1].vt = VT_BSTR | VT_BYREF;
  nameArgs[1].pbstrVal = &name;
  nameArgs[0].vt = VT_BSTR | VT_BYREF;
  nameArgs[0].pbstrVal = &description;
  DISPPARAMS np{nameArgs, nullptr, 2, 0};
  EXPECT_EQ(automation::invoke(desc, self, 1, DISPATCH_METHOD, &np, nullptr, nullptr, nullptr),
            S_OK);
  EXPECT_NE(comlite::bstrToUtf8(name), "old");
  EXPECT_FALSE(comlite::bstrToUtf8(name).empty());
  SysFreeString(name);
  SysFreeString(description);
}

TEST_F(Invoke, wrong_counts_types_and_members_are_refused) {
  auto pkg = create();
  ASSERT_TRUE(pkg);
  void* self = pkg.get();
  const auto& desc = coravl::frame::extendedPropPackageDesc();
  INT status = -3;
  VARIANT args[2];
  args[1] = comlite::Variant::fromString("not a number").detach();
  args[0].vt = VT_I4 | VT_BYREF;
  args[0].plVal = &status;
  DISPPARAMS dp{args, nullptr, 2, 0};
  UINT argErr = 99;
  EXPECT_EQ(automation::invoke(desc, self, 6, DISPATCH_METHOD, &dp, nullptr, nullptr, &argErr),
            DISP_E_TYPEMISMATCH);
  EXPECT_EQ(argErr, 1u);  // position in rgvarg of the first parameter
  EXPECT_EQ(status, -3);  // the component was not called

  DISPPARAMS one{&args[0], nullptr, 1, 0};
  EXPECT_EQ(automation::invoke(desc, self, 6, DISPATCH_METHOD, &one, nullptr, nullptr, nullptr),
            DISP_E_BADPARAMCOUNT);

  // A by-reference argument of the wrong type for an in-out parameter.
  SHORT small = 0;
  VARIANT wrongRef[2];
  wrongRef[1] = comlite::Variant::fromLong(5).detach();
  wrongRef[0].vt = VT_I2 | VT_BYREF;
  wrongRef[0].piVal = &small;
  DISPPARAMS wp{wrongRef, nullptr, 2, 0};
  EXPECT_EQ(automation::invoke(desc, self, 6, DISPATCH_METHOD, &wp, nullptr, nullptr, &argErr),
            DISP_E_TYPEMISMATCH);
  EXPECT_EQ(argErr, 0u);

  EXPECT_EQ(automation::invoke(desc, self, 99, DISPATCH_METHOD, &dp, nullptr, nullptr, nullptr),
            DISP_E_MEMBERNOTFOUND);
  // Named arguments: DISPIDs that are no parameter, or a parameter named twice.
  for (auto named :
       {std::vector<DISPID>{2, 0}, std::vector<DISPID>{-7, 0}, std::vector<DISPID>{0, 0}}) {
    DISPPARAMS withNames{args, named.data(), 2, 2};
    argErr = 99;
    EXPECT_EQ(
        automation::invoke(desc, self, 6, DISPATCH_METHOD, &withNames, nullptr, nullptr, &argErr),
        DISP_E_PARAMNOTFOUND)
        << named[0];
    EXPECT_LT(argErr, 2u);
  }
  VariantClear(&args[1]);

  // Arguments of no type, and numbers no integer can hold.
  for (auto [vt, value, want] :
       {std::tuple{VARTYPE(0x7FFF), 0.0, DISP_E_BADVARTYPE},
        std::tuple{VARTYPE(VT_R8), 1e300, DISP_E_OVERFLOW},
        std::tuple{VARTYPE(VT_R8), double(NAN), DISP_E_OVERFLOW},
        std::tuple{VARTYPE(VT_R8), 7.0, S_OK}}) {  // converted: the component answers
    VARIANT bad[2];
    VariantInit(&bad[1]);
    bad[1].vt = vt;
    bad[1].dblVal = value;
    bad[0].vt = VT_I4 | VT_BYREF;
    bad[0].plVal = &status;
    DISPPARAMS bp{bad, nullptr, 2, 0};
    argErr = 99;
    EXPECT_EQ(automation::invoke(desc, self, 6, DISPATCH_METHOD, &bp, nullptr, nullptr, &argErr),
              want)
        << value;
    if (want != S_OK) {
      EXPECT_EQ(argErr, 1u) << value;
    }
  }

  // A failing method's status reaches the caller through the exception information.
  EXCEPINFO excep{};
  VARIANT calcArgs[6];
  for (auto& a : calcArgs) VariantInit(&a);
  calcArgs[5] = comlite::Variant::fromLong(1).detach();
  for (int i = 0; i < 5; ++i) calcArgs[i].vt = VT_DISPATCH, calcArgs[i].pdispVal = nullptr;
  IDispatch* context = nullptr;
  calcArgs[3].vt = VT_DISPATCH | VT_BYREF;
  calcArgs[3].ppdispVal = &context;
  DISPPARAMS calc{calcArgs, nullptr, 6, 0};
  EXPECT_EQ(automation::invoke(desc, self, 7, DISPATCH_METHOD, &calc, nullptr, &excep, nullptr),
            DISP_E_EXCEPTION);
  EXPECT_TRUE(FAILED(excep.scode));  // not set up: nothing is calculated
  SysFreeString(excep.bstrDescription);
  SysFreeString(excep.bstrSource);

  // The trailing [out] parameter may come back as the result.
  comlite::Variant result;
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  EXPECT_EQ(automation::invoke(desc, self, 22, DISPATCH_METHOD, &none, &result, nullptr, nullptr),
            E_FAIL);  // no routine before the setup
}

TEST(TypeInfo, describes_methods_with_their_offsets_and_names) {
  const auto& desc = coravl::frame::extendedPropPackageDesc();
  comlite::ComPtr<ITypeInfo> ti;
  ASSERT_EQ(automation::createTypeInfo(desc, coravl::frame::coravl11Library(), ti.put()), S_OK);
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(ti->GetTypeAttr(&attr), S_OK);
  EXPECT_EQ(attr->guid, IExtendedPropPackage::kIID);
  EXPECT_EQ(attr->cFuncs, 22);
  EXPECT_EQ(attr->wTypeFlags & TYPEFLAG_FDUAL, TYPEFLAG_FDUAL);
  ti->ReleaseTypeAttr(attr);
  FUNCDESC* f = nullptr;
  ASSERT_EQ(ti->GetFuncDesc(2, &f), S_OK);  // SetupPkg
  EXPECT_EQ(f->memid, 3);
  EXPECT_EQ(f->oVft, static_cast<SHORT>(9 * sizeof(void*)));
  EXPECT_EQ(f->cParams, 4);
  EXPECT_EQ(f->lprgelemdescParam[3].tdesc.vt, VT_PTR);
  EXPECT_EQ(f->lprgelemdescParam[3].tdesc.lptdesc->vt, VT_I4);
  EXPECT_EQ(f->lprgelemdescParam[3].paramdesc.wParamFlags, PARAMFLAG_FIN | PARAMFLAG_FOUT);
  ti->ReleaseFuncDesc(f);
  EXPECT_EQ(ti->GetFuncDesc(22, &f), TYPE_E_ELEMENTNOTFOUND);
  BSTR names[5] = {};
  UINT count = 0;
  ASSERT_EQ(ti->GetNames(3, names, 5, &count), S_OK);
  EXPECT_EQ(count, 5u);
  EXPECT_EQ(comlite::bstrToUtf8(names[0]), "SetupPkg");
  EXPECT_EQ(comlite::bstrToUtf8(names[4]), "status");
  for (UINT i = 0; i < count; ++i) SysFreeString(names[i]);
  comlite::Bstr doc, name;
  ASSERT_EQ(ti->GetDocumentation(DISPID_UNKNOWN, name.out(), doc.out(), nullptr, nullptr), S_OK);
  EXPECT_EQ(doc.utf8(), "IExtendedPropPackage Interface");
}
