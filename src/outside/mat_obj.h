#pragma once
//! IMatObj: the material object's extended interface, called by position from the socket.
//!
//! The material object also answers ICapeThermoMaterial and ICapeThermoCompounds; its
//! compounds are those of the package it is bound to.
//!
//! Phase index: a CAPE-OPEN phase id of the socket's identifier table, 1 "Overall",
//! 2 "VaporLiquid" (the vapour and the first liquid phase, for two-phase properties), 3 "Vapor",
//! 4 "Liquid", 5 "Liquid2", 6 "Aqueous", 7 "Solid"; it names the package phase of that kind.
//! Value code: derivative index x 1000 + property id, the derivative index being 0 none,
//! 1 temperature, 2 pressure, 3 mole fraction, 4 moles (".Dtemperature", ".Dpressure",
//! ".DmolFraction", ".Dmoles"), the property id one of the identifier table's property ids
//! (27 "temperature" ... 77 "molecularWeight"). Basis-dependent values are on a mole basis.
//! Value arrays: GetValue / SetValue pass GetNumValues(code) doubles: 1 for a scalar, one per
//! compound for a per-compound property or a composition derivative (for a per-compound
//! property's composition derivative, the diagonal d(value_i)/d(n_i or x_i)).

#include "comlite/dispatch.h"

struct ICapeDiagnostics;

namespace matobj {
inline constexpr CLSID kClsidMaterialObject =
    comlite::makeGuid("BC46D03B-27CA-4AAD-A032-A0C7CED096EF");
inline constexpr const char* kProgIdMaterialObject = "CORavlCape.MaterialObject.1";
}  // namespace matobj

struct IMatObj : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("8C4C67F3-8978-419A-88ED-96358ECD3D37");
  //! The diagnostic sink that receives what the material reports (nullptr: none).
  /*  7 */ virtual HRESULT PutproxyPtr(/*[in]*/ ICapeDiagnostics* proxy) = 0;
  //! Binds the material to a CAPE-OPEN 1.1 package (its compounds and phases).
  /*  8 */ virtual HRESULT SetPackage(/*[in]*/ IDispatch* package) = 0;
  /*  9 */ virtual HRESULT GetPackage(/*[out]*/ IDispatch** package) = 0;
  //! The package phase label of a phase index (two labels joined by "," for index 2).
  /* 10 */ virtual HRESULT GetPhaseLabel(/*[in]*/ LONG phaseIndex, /*[out]*/ BSTR* label) = 0;
  //! The phase index of a package phase label (1 for "Overall").
  /* 11 */ virtual HRESULT GetPhaseIndex(/*[in]*/ BSTR label, /*[out]*/ LONG* phaseIndex) = 0;
  //! How many doubles GetValue / SetValue pass for a value code.
  /* 12 */ virtual HRESULT GetNumValues(/*[in]*/ LONG valueCode, /*[out]*/ LONG* count) = 0;
  //! Forgets every value and present phase.
  /* 13 */ virtual HRESULT ClearState() = 0;
  //! The CAPE-OPEN property name of a value code (e.g. 1035 -> "enthalpy.Dtemperature").
  /* 14 */ virtual HRESULT GetPropertyName(/*[in]*/ LONG valueCode, /*[out]*/ BSTR* name) = 0;
  //! The diagnostic sink given to PutproxyPtr (nullptr when none); the caller releases it.
  /* 15 */ virtual HRESULT GetProxyPtr(/*[out]*/ ICapeDiagnostics** proxy) = 0;
  //! Sets temperature [K], pressure [Pa] and composition (mole fractions, one per compound) of
  //! a phase.
  /* 16 */ virtual HRESULT SetState(/*[in]*/ double temperature, /*[in]*/ double pressure,
                                    /*[in]*/ const double* composition,
                                    /*[in]*/ LONG phaseIndex) = 0;
  //! Reads the values of a value code of a phase into `values` (GetNumValues doubles).
  /* 17 */ virtual HRESULT GetValue(/*[in]*/ LONG phaseIndex, /*[in]*/ LONG valueCode,
                                    /*[out]*/ double* values) = 0;
  //! The values of a value code of a phase with their full shape (VT_ARRAY|VT_R8).
  /* 18 */ virtual HRESULT GetValues(/*[in]*/ LONG phaseIndex, /*[in]*/ LONG valueCode,
                                     /*[out]*/ VARIANT* values) = 0;
  //! Sets the values of a value code of a phase from a VT_ARRAY|VT_R8 of the full shape.
  /* 19 */ virtual HRESULT SetValues(/*[in]*/ LONG phaseIndex, /*[in]*/ LONG valueCode,
                                     /*[in]*/ VARIANT values) = 0;
  //! Lets the package calculate single-phase properties (a string array) of one phase label;
  //! the calculation type is "Mixture" (or empty).
  /* 20 */ virtual HRESULT CalcSinglePhaseProps(/*[in]*/ VARIANT props, /*[in]*/ BSTR phaseLabel,
                                                /*[in]*/ BSTR calcType) = 0;
  //! Temperature [K], pressure [Pa] and composition (one per compound, into `composition`)
  //! of a phase.
  /* 21 */ virtual HRESULT GetState(/*[out]*/ double* temperature, /*[out]*/ double* pressure,
                                    /*[out]*/ double* composition, /*[in]*/ LONG phaseIndex) = 0;
  //! Status of a present phase (eCapePhaseStatus), or -1 when the phase is not present.
  /* 22 */ virtual HRESULT GetPhaseStatus(/*[in]*/ LONG phaseIndex, /*[out]*/ LONG* status) = 0;
  //! Makes a phase present with a status (other present phases stay).
  /* 23 */ virtual HRESULT SetPhaseStatus(/*[in]*/ LONG phaseIndex, /*[in]*/ LONG status) = 0;
  //! Sets the values (GetNumValues doubles) of a value code of a phase.
  /* 24 */ virtual HRESULT SetValue(/*[in]*/ LONG valueCode, /*[in]*/ LONG phaseIndex,
                                    /*[in]*/ const double* values) = 0;
  //! The number of compounds of the bound package.
  /* 25 */ virtual HRESULT GetCompoundCount(/*[out]*/ LONG* count) = 0;
  //! Runs the package's equilibrium routine for a flash id (as GetFlashSpecification) on the
  //! material's overall state and present phases.
  /* 26 */ virtual HRESULT Flash(/*[in]*/ LONG flashId) = 0;
  //! Lets the package calculate two-phase properties (a string array) of two phase labels.
  /* 27 */ virtual HRESULT CalcTwoPhaseProps(/*[in]*/ VARIANT props,
                                             /*[in]*/ VARIANT phaseLabels) = 0;
  //! The CAPE-OPEN equilibrium specification of a flash id (15 "TP", 16 "PH", 17 "TH",
  //! 18 "TVF", 19 "PVF", 20 "HVF", 21 "PS", 22 "TS"): two arrays of four strings {property,
  //! basis, phase label, compound} and the solution type.
  /* 28 */ virtual HRESULT GetFlashSpecification(/*[in]*/ LONG flashId,
                                                 /*[out]*/ VARIANT* specification1,
                                                 /*[out]*/ VARIANT* specification2,
                                                 /*[out]*/ BSTR* solutionType) = 0;
};
