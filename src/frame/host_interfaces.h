#pragma once
//! The host-facing interfaces of the CORavl11Lib type library, in vtable order, with the ids
//! fixed once for the simulator's build. Every interface is dual (IDispatch slots 0-6).
//!
//! Parameter types follow the automation types: `int` and `long` are 32-bit (INT / LONG).
//! In-out BSTR* arguments are released and replaced by the callee when it writes.

#include "comlite/dispatch.h"

constexpr GUID LIBID_CORavl11Lib = comlite::makeGuid("37A8ECC6-89EE-410A-AF94-DACE66E6624D");
constexpr CLSID CLSID_PropPkg = comlite::makeGuid("CB6DAE58-3B2D-4BB7-9D78-F8631FF1A3C4");
constexpr CLSID CLSID_SimulationContext = comlite::makeGuid("C907B7AA-AEA2-437F-8209-872CFBB6F06E");
constexpr CLSID CLSID_SimCon = comlite::makeGuid("FBFDD6B5-A146-4E9B-BC15-1B23D4DB7F2D");

//! Flash specification types the host asks for.
enum tagFlashTypeEnum : LONG {
  xftUnknownFlash = 0,
  xftPTFlash = 1,
  xftPHFlash = 2,
  xftPSFlash = 3,
  xftPVFlash = 4,
  xftTHFlash = 5,
  xftTSFlash = 6,
  xftTVFlash = 7,
  xftHVFlash = 8,
  xftZPFlash = 9,
  xftZGorFlash = 10,
  xftHomotopyPTFlash = 11,
  xftHomotopyPVFlash = 12,
  xftLastFlash = 13,
};

struct IExtendedPropPackage : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("011E944A-169D-472A-8752-83AF17035568");
  /* 7 */ virtual HRESULT GetPackageName(/*[in,out]*/ BSTR* pkgname,
                                         /*[in,out]*/ BSTR* description) = 0;
  /* 8 */ virtual HRESULT PkgFileNeeded(/*[in,out]*/ INT* nfiles,
                                        /*[in,out]*/ BSTR* description) = 0;
  /* 9 */ virtual HRESULT SetupPkg(/*[in]*/ INT nfiles, /*[in]*/ VARIANT filenames,
                                   /*[in]*/ BSTR setupinfo, /*[in,out]*/ INT* status) = 0;
  /* 10 */ virtual HRESULT IsPkgSetup(/*[in,out]*/ INT* status) = 0;
  /* 11 */ virtual HRESULT InitializePropertyID(/*[in]*/ IDispatch* lpPropertyRegistry) = 0;
  /* 12 */ virtual HRESULT CanCalculate(/*[in]*/ INT propertyID, /*[in,out]*/ INT* status) = 0;
  /* 13 */ virtual HRESULT CalculateProperty(/*[in]*/ INT propertyID, /*[in]*/ IDispatch* pPhase,
                                             /*[in,out]*/ IDispatch** ppcontext,
                                             /*[in]*/ IDispatch* pPropertyCallback,
                                             /*[in]*/ IDispatch* errorLog,
                                             /*[in]*/ IDispatch* progressMonitor) = 0;
  /* 14 */ virtual HRESULT CalculateTwoPhaseProperty(
      /*[in]*/ INT propertyID, /*[in]*/ IDispatch* pPhaseCollection, /*[in]*/ INT iphase,
      /*[in]*/ INT jphase, /*[in,out]*/ IDispatch** ppcontext,
      /*[in]*/ IDispatch* pPropertyCallback, /*[in]*/ IDispatch* errorLog,
      /*[in]*/ IDispatch* progressMonitor) = 0;
  /* 15 */ virtual HRESULT GetEnthalpyBase(/*[in,out]*/ INT* EnthBase) = 0;
  /* 16 */ virtual HRESULT GetGibbsBase(/*[in,out]*/ INT* GibbsBase) = 0;
  /* 17 */ virtual HRESULT CanNumbCompChange(/*[in,out]*/ INT* status) = 0;
  /* 18 */ virtual HRESULT GetSupportedComps(/*[in,out]*/ INT* nComp,
                                             /*[in,out]*/ VARIANT* DaltrixIDs,
                                             /*[in,out]*/ VARIANT* names,
                                             /*[in,out]*/ BSTR* identifiername,
                                             /*[in,out]*/ VARIANT* identifiers) = 0;
  /* 19 */ virtual HRESULT GetNumbCompounds(/*[in,out]*/ INT* nComp) = 0;
  /* 20 */ virtual HRESULT GetCompoundInfo(/*[in]*/ INT iComp, /*[in]*/ IDispatch* pCompoundi,
                                           /*[in,out]*/ INT* nProps,
                                           /*[in,out]*/ VARIANT* propnames) = 0;
  /* 21 */ virtual HRESULT AddLastCompound(/*[in]*/ IDispatch* pCompoundi) = 0;
  /* 22 */ virtual HRESULT RemoveCompoundi(/*[in]*/ INT iComp) = 0;
  /* 23 */ virtual HRESULT ExchangeCompounds(/*[in]*/ INT iComp, /*[in]*/ INT jComp) = 0;
  /* 24 */ virtual HRESULT PhaseOrder(/*[in]*/ IDispatch* pPhaseCollection,
                                      /*[in]*/ IDispatch* pThermoProperty) = 0;
  /* 25 */ virtual HRESULT OnView(/*[in,out]*/ BSTR* ViewName,
                                  /*[in,out]*/ VARIANT_BOOL* OpenView) = 0;
  /* 26 */ virtual HRESULT PkgSave(/*[in,out]*/ BSTR* saveinfo) = 0;
  /* 27 */ virtual HRESULT PkgRecall(/*[in]*/ BSTR saveinfo,
                                     /*[in,out]*/ VARIANT_BOOL* BaseChanged) = 0;
  /* 28 */ virtual HRESULT GetThermoPropertyRoutine(
      /*[out]*/ IDispatch** pThermoPropertyRoutine) = 0;
};

struct IExtendedFlash : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("D992A65F-B3B4-4D27-BBDD-3E1C1D894511");
  /* 7 */ virtual HRESULT GetFlashName(/*[in,out]*/ BSTR* flashname,
                                       /*[in,out]*/ BSTR* description) = 0;
  /* 8 */ virtual HRESULT FlashFileNeeded(/*[in,out]*/ INT* nfiles,
                                          /*[in,out]*/ BSTR* description) = 0;
  /* 9 */ virtual HRESULT SetupFlash(/*[in]*/ INT nfiles, /*[in]*/ VARIANT filenames,
                                     /*[in,out]*/ INT* status) = 0;
  /* 10 */ virtual HRESULT IsFlashSetup(/*[in,out]*/ INT* status) = 0;
  /* 11 */ virtual HRESULT SupportedFlashTypes(/*[in,out]*/ INT* nFlashes,
                                               /*[in,out]*/ VARIANT* types) = 0;
  /* 12 */ virtual HRESULT CanHandleFlashType(/*[in]*/ tagFlashTypeEnum type,
                                              /*[in,out]*/ INT* status) = 0;
  /* 13 */ virtual HRESULT InitializePropertyID(/*[in]*/ IDispatch* lpPropertyRegistry) = 0;
  /* 14 */ virtual HRESULT IsFlashControlUsed(/*[in,out]*/ VARIANT_BOOL* IsUsed) = 0;
  /* 15 */ virtual HRESULT Execute(/*[in]*/ tagFlashTypeEnum type,
                                   /*[in]*/ IDispatch* pFlashControl,
                                   /*[in]*/ IDispatch* pPhaseCollection,
                                   /*[in]*/ IDispatch* pThermoProperty,
                                   /*[in]*/ IDispatch* errorLog,
                                   /*[in]*/ IDispatch* progressMonitor) = 0;
  /* 16 */ virtual HRESULT FlashSave(/*[in,out]*/ BSTR* saveinfo) = 0;
  /* 17 */ virtual HRESULT FlashRecall(/*[in]*/ BSTR saveinfo) = 0;
};

struct ISimulationContext : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("C19229B9-CFF9-4689-9B7F-41217941BC49");
  /* 7 */ virtual HRESULT get_COerror(/*[out,retval]*/ LONG* pVal) = 0;
  /* 8 */ virtual HRESULT put_COerror(/*[in]*/ LONG newVal) = 0;
};

struct ISimCon : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("79235F18-4675-4D26-8CFA-88EE08F580D6");
};
