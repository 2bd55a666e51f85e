#include "frame/type_library.h"

#include "frame/host_interfaces.h"
#include "outside/adapter_diagnostics.h"
#include "outside/capeopen_common.h"
#include "outside/ravelin_derivatives.h"

namespace coravl::frame {

namespace {

using comlite::automation::Args;
using comlite::automation::Dir;
using comlite::automation::InterfaceDesc;
using comlite::automation::LibraryDesc;
using comlite::automation::ParamDesc;

constexpr WORD kDual = TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE;

ParamDesc in(const char* name, VARTYPE vt) {
  return {name, vt, Dir::In};
}
ParamDesc inOut(const char* name, VARTYPE vt) {
  return {name, vt, Dir::InOut};
}
ParamDesc flashType() {
  return {"type", VT_I4, Dir::In, "tagFlashTypeEnum"};
}

IExtendedPropPackage* pp(void* self) {
  return static_cast<IExtendedPropPackage*>(self);
}
IExtendedFlash* fl(void* self) {
  return static_cast<IExtendedFlash*>(self);
}
tagFlashTypeEnum asFlashType(LONG v) {
  return static_cast<tagFlashTypeEnum>(v);
}

InterfaceDesc makePropPackage() {
  return {"IExtendedPropPackage",
          IExtendedPropPackage::kIID,
          "IExtendedPropPackage Interface",
          kDual,
          {
              {"GetPackageName",
               1,
               7,
               INVOKE_FUNC,
               "method GetPackageName",
               {inOut("pkgname", VT_BSTR), inOut("description", VT_BSTR)},
               [](void* s, Args& a) { return pp(s)->GetPackageName(a.bstrRef(0), a.bstrRef(1)); }},
              {"PkgFileNeeded",
               2,
               8,
               INVOKE_FUNC,
               "method PkgFileNeeded",
               {inOut("nfiles", VT_I4), inOut("description", VT_BSTR)},
               [](void* s, Args& a) { return pp(s)->PkgFileNeeded(a.i4Ref(0), a.bstrRef(1)); }},
              {"SetupPkg",
               3,
               9,
               INVOKE_FUNC,
               "method SetupPkg",
               {in("nfiles", VT_I4), in("filenames", VT_VARIANT), in("setupinfo", VT_BSTR),
                inOut("status", VT_I4)},
               [](void* s, Args& a) {
                 return pp(s)->SetupPkg(a.i4(0), a.var(1), a.bstr(2), a.i4Ref(3));
               }},
              {"IsPkgSetup",
               4,
               10,
               INVOKE_FUNC,
               "method IsPkgSetup",
               {inOut("status", VT_I4)},
               [](void* s, Args& a) { return pp(s)->IsPkgSetup(a.i4Ref(0)); }},
              {"InitializePropertyID",
               5,
               11,
               INVOKE_FUNC,
               "method InitializePropertyID",
               {in("lpPropertyRegistry", VT_DISPATCH)},
               [](void* s, Args& a) { return pp(s)->InitializePropertyID(a.disp(0)); }},
              {"CanCalculate",
               6,
               12,
               INVOKE_FUNC,
               "method CanCalculate",
               {in("propertyID", VT_I4), inOut("status", VT_I4)},
               [](void* s, Args& a) { return pp(s)->CanCalculate(a.i4(0), a.i4Ref(1)); }},
              {"CalculateProperty",
               7,
               13,
               INVOKE_FUNC,
               "method CalculateProperty",
               {in("propertyID", VT_I4), in("pPhase", VT_DISPATCH), inOut("ppcontext", VT_DISPATCH),
                in("pPropertyCallback", VT_DISPATCH), in("errorLog", VT_DISPATCH),
                in("progressMonitor", VT_DISPATCH)},
               [](void* s, Args& a) {
                 return pp(s)->CalculateProperty(a.i4(0), a.disp(1), a.dispRef(2), a.disp(3),
                                                 a.disp(4), a.disp(5));
               }},
              {"CalculateTwoPhaseProperty",
               8,
               14,
               INVOKE_FUNC,
               "method CalculateTwoPhaseProperty",
               {in("propertyID", VT_I4), in("pPhaseCollection", VT_DISPATCH), in("iphase", VT_I4),
                in("jphase", VT_I4), inOut("ppcontext", VT_DISPATCH),
                in("pPropertyCallback", VT_DISPATCH), in("errorLog", VT_DISPATCH),
                in("progressMonitor", VT_DISPATCH)},
               [](void* s, Args& a) {
                 return pp(s)->CalculateTwoPhaseProperty(a.i4(0), a.disp(1), a.i4(2), a.i4(3),
                                                         a.dispRef(4), a.disp(5), a.disp(6),
                                                         a.disp(7));
               }},
              {"GetEnthalpyBase",
               9,
               15,
               INVOKE_FUNC,
               "method GetEnthalpyBase",
               {inOut("EnthBase", VT_I4)},
               [](void* s, Args& a) { return pp(s)->GetEnthalpyBase(a.i4Ref(0)); }},
              {"GetGibbsBase",
               10,
               16,
               INVOKE_FUNC,
               "method GetGibbsBase",
               {inOut("GibbsBase", VT_I4)},
               [](void* s, Args& a) { return pp(s)->GetGibbsBase(a.i4Ref(0)); }},
              {"CanNumbCompChange",
               11,
               17,
               INVOKE_FUNC,
               "method CanNumbCompChange",
               {inOut("status", VT_I4)},
               [](void* s, Args& a) { return pp(s)->CanNumbCompChange(a.i4Ref(0)); }},
              {"GetSupportedComps",
               12,
               18,
               INVOKE_FUNC,
               "method GetSupportedComps",
               {inOut("nComp", VT_I4), inOut("DaltrixIDs", VT_VARIANT), inOut("names", VT_VARIANT),
                inOut("identifiername", VT_BSTR), inOut("identifiers", VT_VARIANT)},
               [](void* s, Args& a) {
                 return pp(s)->GetSupportedComps(a.i4Ref(0), a.varRef(1), a.varRef(2), a.bstrRef(3),
                                                 a.varRef(4));
               }},
              {"GetNumbCompounds",
               13,
               19,
               INVOKE_FUNC,
               "method GetNumbCompounds",
               {inOut("nComp", VT_I4)},
               [](void* s, Args& a) { return pp(s)->GetNumbCompounds(a.i4Ref(0)); }},
              {"GetCompoundInfo",
               14,
               20,
               INVOKE_FUNC,
               "method GetCompoundInfo",
               {in("iComp", VT_I4), in("pCompoundi", VT_DISPATCH), inOut("nProps", VT_I4),
                inOut("propnames", VT_VARIANT)},
               [](void* s, Args& a) {
                 return pp(s)->GetCompoundInfo(a.i4(0), a.disp(1), a.i4Ref(2), a.varRef(3));
               }},
              {"AddLastCompound",
               15,
               21,
               INVOKE_FUNC,
               "method AddLastCompound",
               {in("pCompoundi", VT_DISPATCH)},
               [](void* s, Args& a) { return pp(s)->AddLastCompound(a.disp(0)); }},
              {"RemoveCompoundi",
               16,
               22,
               INVOKE_FUNC,
               "method RemoveCompoundi",
               {in("iComp", VT_I4)},
               [](void* s, Args& a) { return pp(s)->RemoveCompoundi(a.i4(0)); }},
              {"ExchangeCompounds",
               17,
               23,
               INVOKE_FUNC,
               "method ExchangeCompounds",
               {in("iComp", VT_I4), in("jComp", VT_I4)},
               [](void* s, Args& a) { return pp(s)->ExchangeCompounds(a.i4(0), a.i4(1)); }},
              {"PhaseOrder",
               18,
               24,
               INVOKE_FUNC,
               "method PhaseOrder",
               {in("pPhaseCollection", VT_DISPATCH), in("pThermoProperty", VT_DISPATCH)},
               [](void* s, Args& a) { return pp(s)->PhaseOrder(a.disp(0), a.disp(1)); }},
              {"OnView",
               19,
               25,
               INVOKE_FUNC,
               "method OnView",
               {inOut("ViewName", VT_BSTR), inOut("OpenView", VT_BOOL)},
               [](void* s, Args& a) { return pp(s)->OnView(a.bstrRef(0), a.boolRef(1)); }},
              {"PkgSave",
               20,
               26,
               INVOKE_FUNC,
               "method PkgSave",
               {inOut("saveinfo", VT_BSTR)},
               [](void* s, Args& a) { return pp(s)->PkgSave(a.bstrRef(0)); }},
              {"PkgRecall",
               21,
               27,
               INVOKE_FUNC,
               "method PkgRecall",
               {in("saveinfo", VT_BSTR), inOut("BaseChanged", VT_BOOL)},
               [](void* s, Args& a) { return pp(s)->PkgRecall(a.bstr(0), a.boolRef(1)); }},
              {"GetThermoPropertyRoutine",
               22,
               28,
               INVOKE_FUNC,
               "method Get Cape-Open ThermoPropertyRoutine Pointer",
               {{"pThermoPropertyRoutine", VT_DISPATCH, Dir::Out}},
               [](void* s, Args& a) {
                 IDispatch** out = a.dispRef(0);
                 HRESULT hr = pp(s)->GetThermoPropertyRoutine(out);
                 // The vtable method hands out no reference; a late-bound caller receives a
                 // variant that it will release, so give it one.
                 if (SUCCEEDED(hr) && *out) (*out)->AddRef();
                 return hr;
               }},
          }};
}

InterfaceDesc makeFlash() {
  return {
      "IExtendedFlash",
      IExtendedFlash::kIID,
      "IExtendedFlash Interface",
      kDual,
      {
          {"GetFlashName",
           1,
           7,
           INVOKE_FUNC,
           "method GetFlashName",
           {inOut("flashname", VT_BSTR), inOut("description", VT_BSTR)},
           [](void* s, Args& a) { return fl(s)->GetFlashName(a.bstrRef(0), a.bstrRef(1)); }},
          {"FlashFileNeeded",
           2,
           8,
           INVOKE_FUNC,
           "method FlashFileNeeded",
           {inOut("nfiles", VT_I4), inOut("description", VT_BSTR)},
           [](void* s, Args& a) { return fl(s)->FlashFileNeeded(a.i4Ref(0), a.bstrRef(1)); }},
          {"SetupFlash",
           3,
           9,
           INVOKE_FUNC,
           "method SetupFlash",
           {in("nfiles", VT_I4), in("filenames", VT_VARIANT), inOut("status", VT_I4)},
           [](void* s, Args& a) { return fl(s)->SetupFlash(a.i4(0), a.var(1), a.i4Ref(2)); }},
          {"IsFlashSetup",
           4,
           10,
           INVOKE_FUNC,
           "method IsFlashSetup",
           {inOut("status", VT_I4)},
           [](void* s, Args& a) { return fl(s)->IsFlashSetup(a.i4Ref(0)); }},
          {"SupportedFlashTypes",
           5,
           11,
           INVOKE_FUNC,
           "method SupportedFlashTypes",
           {inOut("nFlashes", VT_I4), inOut("types", VT_VARIANT)},
           [](void* s, Args& a) { return fl(s)->SupportedFlashTypes(a.i4Ref(0), a.varRef(1)); }},
          {"CanHandleFlashType",
           6,
           12,
           INVOKE_FUNC,
           "method CanHandleFlashType",
           {flashType(), inOut("status", VT_I4)},
           [](void* s, Args& a) {
             return fl(s)->CanHandleFlashType(asFlashType(a.i4(0)), a.i4Ref(1));
           }},
          {"InitializePropertyID",
           7,
           13,
           INVOKE_FUNC,
           "method InitializePropertyID",
           {in("lpPropertyRegistry", VT_DISPATCH)},
           [](void* s, Args& a) { return fl(s)->InitializePropertyID(a.disp(0)); }},
          {"IsFlashControlUsed",
           8,
           14,
           INVOKE_FUNC,
           "method IsFlashControlUsed",
           {inOut("IsUsed", VT_BOOL)},
           [](void* s, Args& a) { return fl(s)->IsFlashControlUsed(a.boolRef(0)); }},
          {"Execute",
           9,
           15,
           INVOKE_FUNC,
           "method Execute",
           {flashType(), in("pFlashControl", VT_DISPATCH), in("pPhaseCollection", VT_DISPATCH),
            in("pThermoProperty", VT_DISPATCH), in("errorLog", VT_DISPATCH),
            in("progressMonitor", VT_DISPATCH)},
           [](void* s, Args& a) {
             return fl(s)->Execute(asFlashType(a.i4(0)), a.disp(1), a.disp(2), a.disp(3), a.disp(4),
                                   a.disp(5));
           }},
          {"FlashSave",
           10,
           16,
           INVOKE_FUNC,
           "method FlashSave",
           {inOut("saveinfo", VT_BSTR)},
           [](void* s, Args& a) { return fl(s)->FlashSave(a.bstrRef(0)); }},
          {"FlashRecall",
           11,
           17,
           INVOKE_FUNC,
           "method FlashRecall",
           {in("saveinfo", VT_BSTR)},
           [](void* s, Args& a) { return fl(s)->FlashRecall(a.bstr(0)); }},
      }};
}

InterfaceDesc makeSimulationContext() {
  return {"ISimulationContext",
          ISimulationContext::kIID,
          "ISimulationContext Interface",
          kDual,
          {
              {"COerror",
               1,
               7,
               INVOKE_PROPERTYGET,
               "property COerror",
               {{"pVal", VT_I4, Dir::OutRetval}},
               [](void* s, Args& a) {
                 return static_cast<ISimulationContext*>(s)->get_COerror(a.i4Ref(0));
               }},
              {"COerror",
               1,
               8,
               INVOKE_PROPERTYPUT,
               "property COerror",
               {in("newVal", VT_I4)},
               [](void* s, Args& a) {
                 return static_cast<ISimulationContext*>(s)->put_COerror(a.i4(0));
               }},
          }};
}

// The interfaces the component offers to outside components, described for their script
// callers as their own libraries declare them.

InterfaceDesc makeCapeDiagnostic() {
  return {"ICapeDiagnostic",
          ICapeDiagnostic::kIID,
          "ICapeDiagnostic Interface",
          kDual,
          {
              {"PopUpMessage",
               1,
               7,
               INVOKE_FUNC,
               "method PopUpMessage",
               {in("message", VT_BSTR)},
               [](void* s, Args& a) {
                 return static_cast<ICapeDiagnostic*>(s)->PopUpMessage(a.bstr(0));
               }},
              {"LogMessage",
               2,
               8,
               INVOKE_FUNC,
               "method LogMessage",
               {in("message", VT_BSTR)},
               [](void* s, Args& a) {
                 return static_cast<ICapeDiagnostic*>(s)->LogMessage(a.bstr(0));
               }},
          }};
}

InterfaceDesc makeCapeDiagnostics() {
  return {"ICapeDiagnostics",
          ICapeDiagnostics::kIID,
          "ICapeDiagnostics Interface",
          kDual,
          {
              {"ReportError",
               1,
               7,
               INVOKE_FUNC,
               "method ReportError",
               {in("code", VT_I4), in("message", VT_BSTR)},
               [](void* s, Args& a) {
                 return static_cast<ICapeDiagnostics*>(s)->ReportError(a.i4(0), a.bstr(1));
               }},
              {"PopUpError",
               2,
               8,
               INVOKE_FUNC,
               "method PopUpError",
               {in("code", VT_I4), in("message", VT_BSTR)},
               [](void* s, Args& a) {
                 return static_cast<ICapeDiagnostics*>(s)->PopUpError(a.i4(0), a.bstr(1));
               }},
              {"ReportCapeError",
               3,
               9,
               INVOKE_FUNC,
               "method ReportCapeError",
               {in("operation", VT_BSTR), in("code", VT_I4), in("description", VT_BSTR),
                in("inCalculation", VT_BOOL), in("interfaceName", VT_BSTR)},
               [](void* s, Args& a) {
                 return static_cast<ICapeDiagnostics*>(s)->ReportCapeError(
                     a.bstr(0), a.i4(1), a.bstr(2), a.boolean(3), a.bstr(4));
               }},
          }};
}

InterfaceDesc makeDerivativeCalculation() {
  return {"IDerivativeCalculation",
          IDerivativeCalculation::kIID,
          "IDerivativeCalculation Interface",
          kDual,
          {
              {"EnableDerivatives",
               1,
               7,
               INVOKE_FUNC,
               "method EnableDerivatives",
               {in("enable", VT_UI1)},
               [](void* s, Args& a) {
                 return static_cast<IDerivativeCalculation*>(s)->EnableDerivatives(a.ui1(0));
               }},
              {"CanCalculate",
               2,
               8,
               INVOKE_FUNC,
               "method CanCalculate",
               {in("propertyID", VT_I4), inOut("status", VT_I4)},
               [](void* s, Args& a) {
                 return static_cast<IDerivativeCalculation*>(s)->CanCalculate(a.i4(0), a.i4Ref(1));
               }},
              {"CanCalculateDerivative",
               3,
               9,
               INVOKE_FUNC,
               "method CanCalculateDerivative",
               {in("reserved", VT_I4),
                in("propertyID", VT_I4),
                in("variableID", VT_I4),
                {"canCalculate", VT_UI1, Dir::Out}},
               [](void* s, Args& a) {
                 return static_cast<IDerivativeCalculation*>(s)->CanCalculateDerivative(
                     a.i4(0), a.i4(1), a.i4(2), static_cast<BYTE*>(a.slots[3].ref));
               }},
          }};
}

}  // namespace

const InterfaceDesc& capeDiagnosticDesc() {
  static const InterfaceDesc d = makeCapeDiagnostic();
  return d;
}

const InterfaceDesc& capeDiagnosticsDesc() {
  static const InterfaceDesc d = makeCapeDiagnostics();
  return d;
}

const InterfaceDesc& derivativeCalculationDesc() {
  static const InterfaceDesc d = makeDerivativeCalculation();
  return d;
}

const InterfaceDesc& extendedPropPackageDesc() {
  static const InterfaceDesc d = makePropPackage();
  return d;
}

const InterfaceDesc& extendedFlashDesc() {
  static const InterfaceDesc d = makeFlash();
  return d;
}

const InterfaceDesc& simulationContextDesc() {
  static const InterfaceDesc d = makeSimulationContext();
  return d;
}

const InterfaceDesc& simConDesc() {
  static const InterfaceDesc d{"ISimCon", ISimCon::kIID, "ISimCon Interface", kDual, {}};
  return d;
}

const LibraryDesc& coravl11Library() {
  static const LibraryDesc lib{
      "CORavl11Lib",
      LIBID_CORavl11Lib,
      "CORavl11Lib 1.0 Type Library",
      1,
      0,
      0x409,
      {&extendedPropPackageDesc(), &extendedFlashDesc(), &simulationContextDesc(), &simConDesc()},
      {{"tagFlashTypeEnum",
        "",
        {{"xftUnknownFlash", 0},
         {"xftPTFlash", 1},
         {"xftPHFlash", 2},
         {"xftPSFlash", 3},
         {"xftPVFlash", 4},
         {"xftTHFlash", 5},
         {"xftTSFlash", 6},
         {"xftTVFlash", 7},
         {"xftHVFlash", 8},
         {"xftZPFlash", 9},
         {"xftZGorFlash", 10},
         {"xftHomotopyPTFlash", 11},
         {"xftHomotopyPVFlash", 12},
         {"xftLastFlash", 13}}}},
      {{"PropPkg",
        CLSID_PropPkg,
        "PropPkg Class",
        {{&extendedPropPackageDesc(), true}, {&extendedFlashDesc(), false}}},
       {"SimulationContext",
        CLSID_SimulationContext,
        "SimulationContext Class",
        {{&simulationContextDesc(), true}}},
       {"SimCon", CLSID_SimCon, "SimCon Class", {{&simConDesc(), true}}}},
  };
  return lib;
}

const comlite::automation::InterfaceDesc* propPackageDescPtr() {
  return &extendedPropPackageDesc();
}
const comlite::automation::InterfaceDesc* flashDescPtr() {
  return &extendedFlashDesc();
}
const comlite::automation::LibraryDesc* libraryDescPtr() {
  return &coravl11Library();
}
const comlite::automation::InterfaceDesc* capeDiagnosticDescPtr() {
  return &capeDiagnosticDesc();
}
const comlite::automation::InterfaceDesc* capeDiagnosticsDescPtr() {
  return &capeDiagnosticsDesc();
}
const comlite::automation::InterfaceDesc* derivativeCalculationDescPtr() {
  return &derivativeCalculationDesc();
}

}  // namespace coravl::frame
