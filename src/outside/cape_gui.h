#pragma once
//! ICCAPEGUI: the package GUI component, the stand-in for the package's setup dialog.
//!
//! It shows the package's texts, exchanges the setup view's options with the socket, receives
//! the supported flash names and shows messages through the notice sink. Slots 9, 10, 12, 13,
//! 28, 30, 32, 33, 36, 37, 39, 40 and 44 to 50 are the ones the socket calls; the others are the
//! component's own (the adapter fills the package's texts through them).
//!
//! The view: the socket sends every option (46, 48, 36, 39, 50), then the notice flag (30),
//! which shows the view, then reads the options back (32, 45, 47, 40, 49). Showing the view
//! applies the edits a person would make in the dialog: the file named by the environment
//! variable CORAVL_CAPE_VIEW_EDITS, when set, holds "key = value" lines (options by the keys
//! of kViewOptionKeys, values true/false, yes/no, on/off or numbers, non-zero meaning true;
//! '#' starts a comment line). SetOptions applies the same text at once.

#include "comlite/dispatch.h"

namespace capegui {
inline constexpr CLSID kClsidCapeGui = comlite::makeGuid("DB562048-7C06-4D3E-BEBA-B80E74147A91");
inline constexpr const char* kProgIdCapeGui = "CORavlCape.PackageGUI.1";
//! Environment variable naming the file of view edits.
inline constexpr const char* kViewEditsVariable = "CORAVL_CAPE_VIEW_EDITS";
//! The CAPE-OPEN version reported for a Thermo 1.1 package.
inline constexpr LONG kCapeVersion11 = 110;
//! Option keys of the view, in the order of GetOptions.
inline constexpr const char* kViewOptionKeys[] = {"treatAsHypos",    "allowSubsets",
                                                  "freeCompounds",   "traceRecovErrors",
                                                  "logRecovErrors",  "popUpRecovErrors",
                                                  "traceCritErrors", "logCritErrors",
                                                  "popUpCritErrors", "requestSelvarLiquid2flash",
                                                  "doOrderPhases"};
}  // namespace capegui

struct ICCAPEGUI : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("6EC34C78-CCB3-42F9-9FA2-FABC77DF278E");
  //! The package's texts, set by the adapter when it creates the package.
  /*  7 */ virtual HRESULT SetPackageInfo(/*[in]*/ BSTR name, /*[in]*/ BSTR alias,
                                          /*[in]*/ BSTR progId, /*[in]*/ BSTR description) = 0;
  //! The package's class ("{...}") and its manager's ProgID ("" for a stand-alone package);
  //! the CapeDescription values of the class are read from the class registry.
  /*  8 */ virtual HRESULT SetPackageClass(/*[in]*/ BSTR clsid, /*[in]*/ BSTR managerProgId) = 0;
  //! The package's name (the manager's package name, or the component name).
  /*  9 */ virtual HRESULT get_PackageName(/*[out]*/ BSTR* name) = 0;
  //! The alias the user gave the package.
  /* 10 */ virtual HRESULT get_PackageAlias(/*[out]*/ BSTR* alias) = 0;
  /* 11 */ virtual HRESULT get_ManagerProgID(/*[out]*/ BSTR* progId) = 0;
  //! The package's ProgID (its manager's ProgID for a package made by a manager).
  /* 12 */ virtual HRESULT get_PackageProgID(/*[out]*/ BSTR* progId) = 0;
  /* 13 */ virtual HRESULT get_PackageDescription(/*[out]*/ BSTR* description) = 0;
  /* 14 */ virtual HRESULT get_PackageClsid(/*[out]*/ BSTR* clsid) = 0;
  /* 15 */ virtual HRESULT put_CapeVersion(/*[in]*/ LONG version) = 0;
  //! The package's compound ids and CAS numbers, handed back by ConfigureCompounds.
  /* 16 */ virtual HRESULT SetCompoundData(/*[in]*/ VARIANT compIds, /*[in]*/ VARIANT casNos) = 0;
  /* 17 */ virtual HRESULT GetCompoundData(/*[out]*/ VARIANT* compIds,
                                           /*[out]*/ VARIANT* casNos) = 0;
  /* 18 */ virtual HRESULT SetPhaseList(/*[in]*/ VARIANT labels) = 0;
  /* 19 */ virtual HRESULT GetPhaseList(/*[out]*/ VARIANT* labels) = 0;
  //! The flash names last given to SetSupportedFlashes (VT_EMPTY before).
  /* 20 */ virtual HRESULT GetSupportedFlashes(/*[out]*/ VARIANT* names) = 0;
  /* 21 */ virtual HRESULT get_ViewNotice(/*[out]*/ VARIANT_BOOL* notice) = 0;
  //! How many times the view was shown.
  /* 22 */ virtual HRESULT get_ViewCount(/*[out]*/ LONG* count) = 0;
  //! The open-view request last given to SetLiquid2FlashRequest.
  /* 23 */ virtual HRESULT get_OpenView(/*[out]*/ VARIANT_BOOL* openView) = 0;
  //! The last message shown and its flag ("" and 0 when none).
  /* 24 */ virtual HRESULT GetLastMessage(/*[out]*/ BSTR* text, /*[out]*/ LONG* flag) = 0;
  /* 25 */ virtual HRESULT get_MessageCount(/*[out]*/ LONG* count) = 0;
  /* 26 */ virtual HRESULT put_ParentWindow(/*[in]*/ LONGLONG windowHandle) = 0;
  //! The view's options as "key = value" lines, in the order of kViewOptionKeys.
  /* 27 */ virtual HRESULT GetOptions(/*[out]*/ BSTR* optionText) = 0;
  //! The package's CAPE-OPEN version: 110 for Thermo 1.1.
  /* 28 */ virtual HRESULT get_CapeVersion(/*[out]*/ LONG* version) = 0;
  //! Applies "key = value" lines to the options, as the view edits do.
  /* 29 */ virtual HRESULT SetOptions(/*[in]*/ BSTR optionText) = 0;
  //! The view notice flag; shows the view (applies the view edits).
  /* 30 */ virtual HRESULT put_ViewNotice(/*[in]*/ BYTE notice) = 0;
  //! Whether the last view changed any option.
  /* 31 */ virtual HRESULT get_Edited(/*[out]*/ VARIANT_BOOL* edited) = 0;
  /* 32 */ virtual HRESULT GetCompoundOptions(/*[out]*/ VARIANT_BOOL* allowSubsets,
                                              /*[out]*/ VARIANT_BOOL* freeCompounds,
                                              /*[out]*/ VARIANT_BOOL* treatAsHypos) = 0;
  //! Takes the simulator's compound names ("SelectedCompQoNames") and hands back the package's
  //! compound ids and CAS numbers (as given to SetCompoundData).
  /* 33 */ virtual HRESULT ConfigureCompounds(/*[in]*/ VARIANT qoNames,
                                              /*[in, out]*/ VARIANT* compIds,
                                              /*[in, out]*/ VARIANT* casNos) = 0;
  //! The simulator's compound names last given to ConfigureCompounds.
  /* 34 */ virtual HRESULT GetCompoundNames(/*[out]*/ VARIANT* qoNames) = 0;
  /* 35 */ virtual HRESULT ClearMessages() = 0;
  /* 36 */ virtual HRESULT SetCompoundOptions(/*[in]*/ BYTE allowSubsets,
                                              /*[in]*/ BYTE freeCompounds,
                                              /*[in]*/ BYTE treatAsHypos) = 0;
  //! Shows a message through the notice sink (flag 1: information).
  /* 37 */ virtual HRESULT ShowMessage(/*[in]*/ BSTR text, /*[in]*/ LONG flag) = 0;
  /* 38 */ virtual HRESULT get_ParentWindow(/*[out]*/ LONGLONG* windowHandle) = 0;
  /* 39 */ virtual HRESULT SetRecovErrorRouting(/*[in]*/ BYTE trace, /*[in]*/ BYTE log,
                                                /*[in]*/ BYTE popUp) = 0;
  /* 40 */ virtual HRESULT GetRecovErrorRouting(/*[out]*/ VARIANT_BOOL* trace,
                                                /*[out]*/ VARIANT_BOOL* log,
                                                /*[out]*/ VARIANT_BOOL* popUp) = 0;
  //! CapeDescription values of the package's class ("" when not registered).
  /* 41 */ virtual HRESULT get_ComponentVersion(/*[out]*/ BSTR* version) = 0;
  /* 42 */ virtual HRESULT get_VendorURL(/*[out]*/ BSTR* url) = 0;
  /* 43 */ virtual HRESULT get_About(/*[out]*/ BSTR* about) = 0;
  //! The names of the flash types the package supports ("TP", "PH", ...).
  /* 44 */ virtual HRESULT SetSupportedFlashes(/*[in]*/ VARIANT names) = 0;
  /* 45 */ virtual HRESULT GetLiquid2FlashRequest(/*[out]*/ VARIANT_BOOL* request) = 0;
  //! The second-liquid flash request and the view's open request (may be nullptr).
  /* 46 */ virtual HRESULT SetLiquid2FlashRequest(/*[in]*/ BYTE request,
                                                  /*[in, out]*/ VARIANT_BOOL* openView) = 0;
  /* 47 */ virtual HRESULT GetOrderPhases(/*[out]*/ VARIANT_BOOL* orderPhases) = 0;
  /* 48 */ virtual HRESULT SetOrderPhases(/*[in]*/ BYTE orderPhases) = 0;
  /* 49 */ virtual HRESULT GetCritErrorRouting(/*[out]*/ VARIANT_BOOL* trace,
                                               /*[out]*/ VARIANT_BOOL* log,
                                               /*[out]*/ VARIANT_BOOL* popUp) = 0;
  /* 50 */ virtual HRESULT SetCritErrorRouting(/*[in]*/ BYTE trace, /*[in]*/ BYTE log,
                                               /*[in]*/ BYTE popUp) = 0;
};
