#pragma once
//! The package GUI component: the stand-in for the package's setup dialog (see
//! outside/cape_gui.h for what each method carries and how the view applies edits).

#include <string>
#include <vector>

#include "capeside/support/cape_object.h"
#include "outside/cape_gui.h"

namespace capeside {

class PackageGui : public CapeObject<PackageGui, ICCAPEGUI> {
 public:
  HRESULT SetPackageInfo(BSTR name, BSTR alias, BSTR progId, BSTR description) override;
  HRESULT SetPackageClass(BSTR clsid, BSTR managerProgId) override;
  HRESULT get_PackageName(BSTR* name) override;
  HRESULT get_PackageAlias(BSTR* alias) override;
  HRESULT get_ManagerProgID(BSTR* progId) override;
  HRESULT get_PackageProgID(BSTR* progId) override;
  HRESULT get_PackageDescription(BSTR* description) override;
  HRESULT get_PackageClsid(BSTR* clsid) override;
  HRESULT put_CapeVersion(LONG version) override;
  HRESULT SetCompoundData(VARIANT compIds, VARIANT casNos) override;
  HRESULT GetCompoundData(VARIANT* compIds, VARIANT* casNos) override;
  HRESULT SetPhaseList(VARIANT labels) override;
  HRESULT GetPhaseList(VARIANT* labels) override;
  HRESULT GetSupportedFlashes(VARIANT* names) override;
  HRESULT get_ViewNotice(VARIANT_BOOL* notice) override;
  HRESULT get_ViewCount(LONG* count) override;
  HRESULT get_OpenView(VARIANT_BOOL* openView) override;
  HRESULT GetLastMessage(BSTR* text, LONG* flag) override;
  HRESULT get_MessageCount(LONG* count) override;
  HRESULT put_ParentWindow(LONGLONG windowHandle) override;
  HRESULT GetOptions(BSTR* optionText) override;
  HRESULT get_CapeVersion(LONG* version) override;
  HRESULT SetOptions(BSTR optionText) override;
  HRESULT put_ViewNotice(BYTE notice) override;
  HRESULT get_Edited(VARIANT_BOOL* edited) override;
  HRESULT GetCompoundOptions(VARIANT_BOOL* allowSubsets, VARIANT_BOOL* freeCompounds,
                             VARIANT_BOOL* treatAsHypos) override;
  HRESULT ConfigureCompounds(VARIANT qoNames, VARIANT* compIds, VARIANT* casNos) override;
  HRESULT GetCompoundNames(VARIANT* qoNames) override;
  HRESULT ClearMessages() override;
  HRESULT SetCompoundOptions(BYTE allowSubsets, BYTE freeCompounds, BYTE treatAsHypos) override;
  HRESULT ShowMessage(BSTR text, LONG flag) override;
  HRESULT get_ParentWindow(LONGLONG* windowHandle) override;
  HRESULT SetRecovErrorRouting(BYTE trace, BYTE log, BYTE popUp) override;
  HRESULT GetRecovErrorRouting(VARIANT_BOOL* trace, VARIANT_BOOL* log,
                               VARIANT_BOOL* popUp) override;
  HRESULT get_ComponentVersion(BSTR* version) override;
  HRESULT get_VendorURL(BSTR* url) override;
  HRESULT get_About(BSTR* about) override;
  HRESULT SetSupportedFlashes(VARIANT names) override;
  HRESULT GetLiquid2FlashRequest(VARIANT_BOOL* request) override;
  HRESULT SetLiquid2FlashRequest(BYTE request, VARIANT_BOOL* openView) override;
  HRESULT GetOrderPhases(VARIANT_BOOL* orderPhases) override;
  HRESULT SetOrderPhases(BYTE orderPhases) override;
  HRESULT GetCritErrorRouting(VARIANT_BOOL* trace, VARIANT_BOOL* log, VARIANT_BOOL* popUp) override;
  HRESULT SetCritErrorRouting(BYTE trace, BYTE log, BYTE popUp) override;

 private:
  //! The options in the order of capegui::kViewOptionKeys.
  enum Option {
    kTreatAsHypos,
    kAllowSubsets,
    kFreeCompounds,
    kTraceRecov,
    kLogRecov,
    kPopUpRecov,
    kTraceCrit,
    kLogCrit,
    kPopUpCrit,
    kLiquid2,
    kOrderPhases,
    kOptionCount
  };
  //! Applies "key = value" text; returns whether an option changed. Throws CapeError naming
  //! `source` and the line for an unknown key or a value that is not a flag.
  bool applyOptions(const std::string& text, const std::string& source);
  std::string descriptionValue(const char* name) const;
  HRESULT getFlags(Option a, Option b, Option c, VARIANT_BOOL* x, VARIANT_BOOL* y,
                   VARIANT_BOOL* z) const;

  std::string m_name, m_alias, m_progId, m_description, m_clsid, m_managerProgId;
  LONG m_version = capegui::kCapeVersion11;
  std::vector<std::string> m_compIds, m_casNos, m_phases, m_qoNames, m_flashes;
  bool m_flashesSet = false;
  bool m_options[kOptionCount] = {false, false, false, true,  false, false,
                                  true,  true,  true,  false, false};
  bool m_viewNotice = false;
  bool m_openView = false;
  bool m_edited = false;
  LONG m_viewCount = 0;
  LONGLONG m_parentWindow = 0;
  std::vector<std::pair<std::string, LONG>> m_messages;
};

}  // namespace capeside
