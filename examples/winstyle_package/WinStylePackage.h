// WinStylePackage.h : Declaration of CWinStylePackage, a CAPE-OPEN 1.1 property package.
// Written as Windows packages are: template-library object, COM map, smart types.
#pragma once

#include <capeopen11.tlh>
#include <vector>
#include "resource.h"
#include "stdafx.h"

// {5B8D3C21-7E4F-4A9B-8C61-2F0D9E7A4B13}
EXTERN_C const CLSID CLSID_WinStylePackage;

class ATL_NO_VTABLE CWinStylePackage
    : public CComObjectRootEx<CComSingleThreadModel>,
      public CComCoClass<CWinStylePackage, &CLSID_WinStylePackage>,
      public IDispatchImpl<ICapeIdentification, &IID_ICapeIdentification, &LIBID_CAPEOPEN110>,
      public IDispatchImpl<ICapeUtilities, &IID_ICapeUtilities, &LIBID_CAPEOPEN110>,
      public IDispatchImpl<ICapeThermoCompounds, &IID_ICapeThermoCompounds, &LIBID_CAPEOPEN110>,
      public IDispatchImpl<ICapeThermoPhases, &IID_ICapeThermoPhases, &LIBID_CAPEOPEN110>,
      public IDispatchImpl<ICapeThermoPropertyRoutine, &IID_ICapeThermoPropertyRoutine,
                           &LIBID_CAPEOPEN110>,
      public IDispatchImpl<ICapeThermoEquilibriumRoutine, &IID_ICapeThermoEquilibriumRoutine,
                           &LIBID_CAPEOPEN110>,
      public IDispatchImpl<ICapeThermoMaterialContext, &IID_ICapeThermoMaterialContext,
                           &LIBID_CAPEOPEN110> {
 public:
  CWinStylePackage() {}

  DECLARE_REGISTRY_RESOURCEID(IDR_WINSTYLEPACKAGE)
  DECLARE_NOT_AGGREGATABLE(CWinStylePackage)

  BEGIN_COM_MAP(CWinStylePackage)
  COM_INTERFACE_ENTRY(ICapeThermoPropertyRoutine)
  COM_INTERFACE_ENTRY(ICapeIdentification)
  COM_INTERFACE_ENTRY(ICapeUtilities)
  COM_INTERFACE_ENTRY(ICapeThermoCompounds)
  COM_INTERFACE_ENTRY(ICapeThermoPhases)
  COM_INTERFACE_ENTRY(ICapeThermoEquilibriumRoutine)
  COM_INTERFACE_ENTRY(ICapeThermoMaterialContext)
  COM_INTERFACE_ENTRY2(IDispatch, ICapeThermoPropertyRoutine)
  END_COM_MAP()

  DECLARE_PROTECT_FINAL_CONSTRUCT()

  HRESULT FinalConstruct();
  void FinalRelease();

 public:
  // ICapeIdentification
  STDMETHOD(get_ComponentName)(BSTR* name);
  STDMETHOD(put_ComponentName)(BSTR name);
  STDMETHOD(get_ComponentDescription)(BSTR* desc);
  STDMETHOD(put_ComponentDescription)(BSTR desc);
  // ICapeUtilities
  STDMETHOD(get_parameters)(LPDISPATCH* parameters);
  STDMETHOD(put_simulationContext)(LPDISPATCH context);
  STDMETHOD(Initialize)();
  STDMETHOD(Terminate)();
  STDMETHOD(Edit)();
  // ICapeThermoCompounds
  STDMETHOD(GetCompoundConstant)(VARIANT props, VARIANT compIds, VARIANT* propVals);
  STDMETHOD(GetCompoundList)
  (VARIANT* compIds, VARIANT* formulae, VARIANT* names, VARIANT* boilTemps, VARIANT* molwts,
   VARIANT* casnos);
  STDMETHOD(GetConstPropList)(VARIANT* props);
  STDMETHOD(GetNumCompounds)(LONG* num);
  STDMETHOD(GetPDependentProperty)
  (VARIANT props, double pressure, VARIANT compIds, VARIANT* propVals);
  STDMETHOD(GetPDependentPropList)(VARIANT* props);
  STDMETHOD(GetTDependentProperty)
  (VARIANT props, double temperature, VARIANT compIds, VARIANT* propVals);
  STDMETHOD(GetTDependentPropList)(VARIANT* props);
  // ICapeThermoPhases
  STDMETHOD(GetNumPhases)(LONG* num);
  STDMETHOD(GetPhaseInfo)(BSTR phaseLabel, BSTR phaseAttribute, VARIANT* value);
  STDMETHOD(GetPhaseList)
  (VARIANT* phaseLabels, VARIANT* stateOfAggregation, VARIANT* keyCompoundId);
  // ICapeThermoPropertyRoutine
  STDMETHOD(CalcAndGetLnPhi)
  (BSTR phaseLabel, double temperature, double pressure, VARIANT moleNumbers, LONG fFlags,
   VARIANT* lnPhi, VARIANT* lnPhiDT, VARIANT* lnPhiDP, VARIANT* lnPhiDn);
  STDMETHOD(CalcSinglePhaseProp)(VARIANT props, BSTR phaseLabel);
  STDMETHOD(CalcTwoPhaseProp)(VARIANT props, VARIANT phaseLabels);
  STDMETHOD(CheckSinglePhasePropSpec)(BSTR property, BSTR phaseLabel, VARIANT_BOOL* valid);
  STDMETHOD(CheckTwoPhasePropSpec)(BSTR property, VARIANT phaseLabels, VARIANT_BOOL* valid);
  STDMETHOD(GetSinglePhasePropList)(VARIANT* props);
  STDMETHOD(GetTwoPhasePropList)(VARIANT* props);
  // ICapeThermoEquilibriumRoutine
  STDMETHOD(CalcEquilibrium)(VARIANT specification1, VARIANT specification2, BSTR solutionType);
  STDMETHOD(CheckEquilibriumSpec)
  (VARIANT specification1, VARIANT specification2, BSTR solutionType, VARIANT_BOOL* isSupported);
  // ICapeThermoMaterialContext
  STDMETHOD(SetMaterial)(LPDISPATCH material);
  STDMETHOD(UnsetMaterial)();

 private:
  int PhaseIndex(BSTR phaseLabel);  // 0 vapor, 1 liquid, -1 unknown
  HRESULT ReadComposition(const VARIANT& v, std::vector<double>& x);
  void LnPhi(int phase, double T, double P, std::vector<double>& lnphi);

  CComBSTR m_name;
  CComBSTR m_description;
  ICapeThermoMaterialPtr m_material;
  std::vector<int> m_map;  // package compound of each material compound
};

OBJECT_ENTRY_AUTO(CLSID_WinStylePackage, CWinStylePackage)
