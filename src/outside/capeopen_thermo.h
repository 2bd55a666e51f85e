#pragma once
//! Published CAPE-OPEN 1.1 thermodynamic interfaces (type library CAPEOPEN110).
//!
//! Dual, derived directly from IDispatch, own members from slot 7 (slot number in front of each
//! method). Ownership follows COM: every "[in, out] VARIANT*" is cleared by the callee before it
//! writes and freed by the caller; "[out, retval]" values belong to the caller. Lists travel as
//! VARIANTs holding 1-D SAFEARRAYs (VT_ARRAY|VT_BSTR for strings, VT_ARRAY|VT_R8 for doubles,
//! VT_ARRAY|VT_I4 for phase status); an undefined list is VT_EMPTY. Values are SI per mole.

#include "comlite/dispatch.h"

//! Status of a phase on a material (SetPresentPhases / GetPresentPhases).
enum eCapePhaseStatus : LONG {
  CAPE_UNKNOWNPHASESTATUS = 0,
  CAPE_ATEQUILIBRIUM = 1,
  CAPE_ESTIMATES = 2,
};

//! Bit flags of CalcAndGetLnPhi's fFlags.
enum eCapeCalculationCode : LONG {
  CAPE_NO_CALCULATION = 0,
  CAPE_LOG_FUGACITY_COEFFICIENTS = 1,
  CAPE_T_DERIVATIVE = 2,
  CAPE_P_DERIVATIVE = 4,
  CAPE_MOLE_NUMBERS_DERIVATIVES = 8,
};

//! The material a package reads its state from and writes its results to.
struct ICapeThermoMaterial : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("678C0A9B-7D66-11D2-A67D-00105A42887F");
  /*  7 */ virtual HRESULT ClearAllProps() = 0;
  //! Note the pointer to a pointer, marked [in] in the type library.
  /*  8 */ virtual HRESULT CopyFromMaterial(/*[in]*/ IDispatch** source) = 0;
  /*  9 */ virtual HRESULT CreateMaterial(/*[out, retval]*/ IDispatch** materialObject) = 0;
  /* 10 */ virtual HRESULT GetOverallProp(/*[in]*/ BSTR property, /*[in]*/ BSTR basis,
                                          /*[in, out]*/ VARIANT* results) = 0;
  /* 11 */ virtual HRESULT GetOverallTPFraction(/*[in, out]*/ double* temperature,
                                                /*[in, out]*/ double* pressure,
                                                /*[in, out]*/ VARIANT* composition) = 0;
  /* 12 */ virtual HRESULT GetPresentPhases(/*[in, out]*/ VARIANT* phaseLabels,
                                            /*[in, out]*/ VARIANT* phaseStatus) = 0;
  /* 13 */ virtual HRESULT GetSinglePhaseProp(/*[in]*/ BSTR property, /*[in]*/ BSTR phaseLabel,
                                              /*[in]*/ BSTR basis,
                                              /*[in, out]*/ VARIANT* results) = 0;
  /* 14 */ virtual HRESULT GetTPFraction(/*[in]*/ BSTR phaseLabel,
                                         /*[in, out]*/ double* temperature,
                                         /*[in, out]*/ double* pressure,
                                         /*[in, out]*/ VARIANT* composition) = 0;
  /* 15 */ virtual HRESULT GetTwoPhaseProp(/*[in]*/ BSTR property, /*[in]*/ VARIANT phaseLabels,
                                           /*[in]*/ BSTR basis,
                                           /*[in, out]*/ VARIANT* results) = 0;
  /* 16 */ virtual HRESULT SetOverallProp(/*[in]*/ BSTR property, /*[in]*/ BSTR basis,
                                          /*[in]*/ VARIANT values) = 0;
  /* 17 */ virtual HRESULT SetPresentPhases(/*[in]*/ VARIANT phaseLabels,
                                            /*[in]*/ VARIANT phaseStatus) = 0;
  /* 18 */ virtual HRESULT SetSinglePhaseProp(/*[in]*/ BSTR property, /*[in]*/ BSTR phaseLabel,
                                              /*[in]*/ BSTR basis, /*[in]*/ VARIANT values) = 0;
  /* 19 */ virtual HRESULT SetTwoPhaseProp(/*[in]*/ BSTR property, /*[in]*/ VARIANT phaseLabels,
                                           /*[in]*/ BSTR basis, /*[in]*/ VARIANT values) = 0;
};

//! Hands a package the material its routines work on.
struct ICapeThermoMaterialContext : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("678C0A9C-7D66-11D2-A67D-00105A42887F");
  /*  7 */ virtual HRESULT SetMaterial(/*[in]*/ IDispatch* material) = 0;
  /*  8 */ virtual HRESULT UnsetMaterial() = 0;
};

//! Compounds and their constant and temperature/pressure-dependent properties.
struct ICapeThermoCompounds : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("678C0A9D-7D66-11D2-A67D-00105A42887F");
  //! Values property-major: all compounds of the first property, then the next property.
  /*  7 */ virtual HRESULT GetCompoundConstant(/*[in]*/ VARIANT props, /*[in]*/ VARIANT compIds,
                                               /*[out, retval]*/ VARIANT* propVals) = 0;
  /*  8 */ virtual HRESULT GetCompoundList(/*[in, out]*/ VARIANT* compIds,
                                           /*[in, out]*/ VARIANT* formulae,
                                           /*[in, out]*/ VARIANT* names,
                                           /*[in, out]*/ VARIANT* boilTemps,
                                           /*[in, out]*/ VARIANT* molwts,
                                           /*[in, out]*/ VARIANT* casnos) = 0;
  /*  9 */ virtual HRESULT GetConstPropList(/*[out, retval]*/ VARIANT* props) = 0;
  /* 10 */ virtual HRESULT GetNumCompounds(/*[out, retval]*/ LONG* num) = 0;
  /* 11 */ virtual HRESULT GetPDependentProperty(/*[in]*/ VARIANT props, /*[in]*/ double pressure,
                                                 /*[in]*/ VARIANT compIds,
                                                 /*[in, out]*/ VARIANT* propVals) = 0;
  /* 12 */ virtual HRESULT GetPDependentPropList(/*[out, retval]*/ VARIANT* props) = 0;
  /* 13 */ virtual HRESULT GetTDependentProperty(/*[in]*/ VARIANT props,
                                                 /*[in]*/ double temperature,
                                                 /*[in]*/ VARIANT compIds,
                                                 /*[in, out]*/ VARIANT* propVals) = 0;
  /* 14 */ virtual HRESULT GetTDependentPropList(/*[out, retval]*/ VARIANT* props) = 0;
};

//! The phases a package supports.
struct ICapeThermoPhases : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("678C0A9E-7D66-11D2-A67D-00105A42887F");
  /*  7 */ virtual HRESULT GetNumPhases(/*[out, retval]*/ LONG* num) = 0;
  /*  8 */ virtual HRESULT GetPhaseInfo(/*[in]*/ BSTR phaseLabel, /*[in]*/ BSTR phaseAttribute,
                                        /*[out, retval]*/ VARIANT* value) = 0;
  /*  9 */ virtual HRESULT GetPhaseList(/*[in, out]*/ VARIANT* phaseLabels,
                                        /*[in, out]*/ VARIANT* stateOfAggregation,
                                        /*[in, out]*/ VARIANT* keyCompoundId) = 0;
};

//! Property calculations on the material set through ICapeThermoMaterialContext.
struct ICapeThermoPropertyRoutine : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("678C0A9F-7D66-11D2-A67D-00105A42887F");
  /*  7 */ virtual HRESULT CalcAndGetLnPhi(/*[in]*/ BSTR phaseLabel, /*[in]*/ double temperature,
                                           /*[in]*/ double pressure, /*[in]*/ VARIANT moleNumbers,
                                           /*[in]*/ LONG fFlags, /*[in, out]*/ VARIANT* lnPhi,
                                           /*[in, out]*/ VARIANT* lnPhiDT,
                                           /*[in, out]*/ VARIANT* lnPhiDP,
                                           /*[in, out]*/ VARIANT* lnPhiDn) = 0;
  /*  8 */ virtual HRESULT CalcSinglePhaseProp(/*[in]*/ VARIANT props,
                                               /*[in]*/ BSTR phaseLabel) = 0;
  /*  9 */ virtual HRESULT CalcTwoPhaseProp(/*[in]*/ VARIANT props,
                                            /*[in]*/ VARIANT phaseLabels) = 0;
  /* 10 */ virtual HRESULT CheckSinglePhasePropSpec(/*[in]*/ BSTR property,
                                                    /*[in]*/ BSTR phaseLabel,
                                                    /*[out, retval]*/ VARIANT_BOOL* valid) = 0;
  /* 11 */ virtual HRESULT CheckTwoPhasePropSpec(/*[in]*/ BSTR property,
                                                 /*[in]*/ VARIANT phaseLabels,
                                                 /*[out, retval]*/ VARIANT_BOOL* valid) = 0;
  /* 12 */ virtual HRESULT GetSinglePhasePropList(/*[out, retval]*/ VARIANT* props) = 0;
  /* 13 */ virtual HRESULT GetTwoPhasePropList(/*[out, retval]*/ VARIANT* props) = 0;
};

//! Equilibrium (flash) calculations on the material set through ICapeThermoMaterialContext.
//! Each specification is a string array {property, basis, phase label[, compound id]}.
struct ICapeThermoEquilibriumRoutine : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("678C0AA0-7D66-11D2-A67D-00105A42887F");
  /*  7 */ virtual HRESULT CalcEquilibrium(/*[in]*/ VARIANT specification1,
                                           /*[in]*/ VARIANT specification2,
                                           /*[in]*/ BSTR solutionType) = 0;
  /*  8 */ virtual HRESULT CheckEquilibriumSpec(/*[in]*/ VARIANT specification1,
                                                /*[in]*/ VARIANT specification2,
                                                /*[in]*/ BSTR solutionType,
                                                /*[out, retval]*/ VARIANT_BOOL* isSupported) = 0;
};

//! Universal constants (molarGasConstant, avogadroConstant, ...).
struct ICapeThermoUniversalConstant : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("678C0AA1-7D66-11D2-A67D-00105A42887F");
  /*  7 */ virtual HRESULT GetUniversalConstant(/*[in]*/ BSTR constantId,
                                                /*[out, retval]*/ VARIANT* constantValue) = 0;
  /*  8 */ virtual HRESULT GetUniversalConstantList(/*[out, retval]*/ VARIANT* constantIds) = 0;
};

//! A factory of named property packages.
struct ICapeThermoPropertyPackageManager : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("678C0AA2-7D66-11D2-A67D-00105A42887F");
  /*  7 */ virtual HRESULT GetPropertyPackageList(/*[out, retval]*/ VARIANT* packageNames) = 0;
  //! A new package (the caller releases it).
  /*  8 */ virtual HRESULT GetPropertyPackage(/*[in]*/ BSTR packageName,
                                              /*[out, retval]*/ IDispatch** package) = 0;
};
