#pragma once
//! The package adapter: selects, creates, saves, recalls and releases the CAPE-OPEN 1.1
//! property package, and supplies its GUI component (ICCAPEGUI) and the material object
//! (IMatObj). Type library `VBPPKGADAPTERLib`.
//!
//! Slots 8 to 16, 19, 20 and 22 are the ones the socket calls; the others are the adapter's own.
//! Ownership follows COM: [out] strings, VARIANTs and interfaces belong to the caller.
//!
//! Value names of GetValue / SetValue (lists have one element per package compound, in the
//! package's order, unless said otherwise):
//!   "PropPackAlias"              BSTR, the alias of the selection
//!   "SelectedCompIds"            strings, the package's compound ids (before the package is
//!                                created after a recall: the ids saved with the case)
//!   "SelectedCompFormulas"       strings
//!   "SelectedCompCASNos"         strings
//!   "SelectedCompQoNames"        strings, the simulator's name of each compound (settable)
//!   "UserSelectedCompQoNames"    strings, the fluid-package compounds (any length, settable;
//!                                also set by SetFluidPackageCompounds)
//!   "SelectedIDNumbers"          doubles, the simulator's id numbers, 0 unknown (settable)
//!   "SelectedProperties"         strings, single-phase then two-phase properties
//!   "SelectedPhases"             strings, phase labels (one per package phase)
//!   "SelectedStateOfAggregation" strings, one per package phase
//!   "SelectedKeyCompoundID"      strings, one per package phase ("" when undefined)

#include "comlite/dispatch.h"

namespace adapter {
//! Class of the package adapter component.
inline constexpr CLSID kClsidPackageAdapter =
    comlite::makeGuid("0F24DBDB-E64B-4860-A226-CB8C0D951F8A");
inline constexpr const char* kProgIdPackageAdapter = "CORavlCape.PackageAdapter.1";
//! Type library `VBPPKGADAPTERLib` that declares the adapter's interfaces.
inline constexpr GUID kLibidAdapter = comlite::makeGuid("CD87EEB9-FDE3-48BB-8593-98BFD026AC07");
//! Environment variable naming the selection file read by SelectPackage.
inline constexpr const char* kSelectionFileVariable = "CORAVL_CAPE_SELECTION";
}  // namespace adapter

struct IPackageAdapter : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("3FFB4026-6894-47F9-9E81-EE2B5BC0A02A");
  //! The registered Thermo 1.1 packages: "<manager ProgID>::<package name>" for each package a
  //! manager offers, and the ProgID of each stand-alone package.
  /*  7 */ virtual HRESULT GetPackageList(/*[out]*/ VARIANT* packageNames) = 0;
  //! Selection step of a first setup: reads the selection file and keeps it. Hands back the
  //! GUI component that carries the selection (the caller may release it unused).
  /*  8 */ virtual HRESULT SelectPackage(/*[out]*/ IDispatch** selection) = 0;
  //! Creates the selected package (through its manager when it has one) and hands it out
  //! with its GUI component.
  /*  9 */ virtual HRESULT CreatePropPackage(/*[out]*/ IDispatch** package,
                                             /*[out]*/ IDispatch** gui) = 0;
  //! The material object bound to the package (created on the first call).
  /* 10 */ virtual HRESULT GetMaterialObject(/*[out]*/ IDispatch** material) = 0;
  //! A numeric compound constant (a CAPE-OPEN constant identifier) of one compound. The index
  //! counts the fluid-package compounds when they are set, else the package's compounds.
  /* 11 */ virtual HRESULT GetCompoundConstant(/*[in]*/ BSTR constantId,
                                               /*[in]*/ LONG compoundIndex,
                                               /*[out]*/ double* value) = 0;
  /* 12 */ virtual HRESULT GetValue(/*[in]*/ BSTR name, /*[out]*/ VARIANT* value) = 0;
  /* 13 */ virtual HRESULT SetValue(/*[in]*/ BSTR name, /*[in]*/ VARIANT value) = 0;
  //! The adapter's state as an option record list (a new string).
  /* 14 */ virtual HRESULT Save(/*[out]*/ BSTR* saveText) = 0;
  //! Restores a state written by Save (other records in the text are ignored) and creates the
  //! package; baseChanged becomes true when its compounds are not the saved ones.
  /* 15 */ virtual HRESULT Recall(/*[in]*/ BSTR saveText,
                                  /*[in, out]*/ VARIANT_BOOL* baseChanged) = 0;
  //! The caller's active window, parent of anything the adapter shows.
  /* 16 */ virtual HRESULT SetWindow(/*[in]*/ LONGLONG windowHandle) = 0;
  /* 17 */ virtual HRESULT GetWindow(/*[out]*/ LONGLONG* windowHandle) = 0;
  //! The name of the selected package as GetPackageList gives it ("" before a selection).
  /* 18 */ virtual HRESULT GetSelectedPackage(/*[out]*/ BSTR* packageName) = 0;
  //! The fluid-package compounds (simulator names), in fluid-package order.
  /* 19 */ virtual HRESULT SetFluidPackageCompounds(/*[in]*/ VARIANT names) = 0;
  //! Terminates and releases the package, the material object and the GUI component.
  /* 20 */ virtual HRESULT ReleaseResources() = 0;
  /* 21 */ virtual HRESULT GetCallerName(/*[out]*/ BSTR* callerName) = 0;
  //! The name of the calling module.
  /* 22 */ virtual HRESULT SetCallerName(/*[in]*/ BSTR callerName) = 0;
};
