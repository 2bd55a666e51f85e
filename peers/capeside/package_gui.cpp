#include "capeside/package_gui.h"

#include "capeside/support/settings_text.h"
#include "capeside/support/variant_lists.h"
#include "comlite/notice.h"
#include "comlite/platform.h"
#include "comlite/registry.h"
#include "outside/capeopen_categories.h"

namespace capeside {

namespace {
constexpr const char* kGui = "ICCAPEGUI";

VARIANT_BOOL vb(bool b) {
  return b ? VARIANT_TRUE : VARIANT_FALSE;
}
}  // namespace

HRESULT PackageGui::SetPackageInfo(BSTR name, BSTR alias, BSTR progId, BSTR description) {
  return guard(kGui, "SetPackageInfo", [&] {
    m_name = text(name);
    m_alias = text(alias);
    m_progId = text(progId);
    m_description = text(description);
    return S_OK;
  });
}

HRESULT PackageGui::SetPackageClass(BSTR clsid, BSTR managerProgId) {
  return guard(kGui, "SetPackageClass", [&] {
    m_clsid = text(clsid);
    m_managerProgId = text(managerProgId);
    return S_OK;
  });
}

HRESULT PackageGui::get_PackageName(BSTR* name) {
  return putString(name, m_name);
}
HRESULT PackageGui::get_PackageAlias(BSTR* alias) {
  return putString(alias, m_alias);
}
HRESULT PackageGui::get_ManagerProgID(BSTR* progId) {
  return putString(progId, m_managerProgId);
}
HRESULT PackageGui::get_PackageProgID(BSTR* progId) {
  return putString(progId, m_progId);
}
HRESULT PackageGui::get_PackageDescription(BSTR* description) {
  return putString(description, m_description);
}
HRESULT PackageGui::get_PackageClsid(BSTR* clsid) {
  return putString(clsid, m_clsid);
}

HRESULT PackageGui::put_CapeVersion(LONG version) {
  m_version = version;
  return S_OK;
}

HRESULT PackageGui::get_CapeVersion(LONG* version) {
  if (!version) return E_POINTER;
  *version = m_version;
  return S_OK;
}

HRESULT PackageGui::SetCompoundData(VARIANT compIds, VARIANT casNos) {
  return guard(kGui, "SetCompoundData", [&] {
    auto ids = stringList(compIds);
    auto cas = stringList(casNos);
    if (!ids)
      throw CapeError(E_INVALIDARG, "PackageGui::SetCompoundData",
                      "compIds is not a list of strings")
          .at(1);
    if (!cas || cas->size() != ids->size())
      throw CapeError(E_INVALIDARG, "PackageGui::SetCompoundData",
                      cat("casNos is not a list of ", ids->size(), " strings"))
          .at(2);
    m_compIds = std::move(*ids);
    m_casNos = std::move(*cas);
    return S_OK;
  });
}

HRESULT PackageGui::GetCompoundData(VARIANT* compIds, VARIANT* casNos) {
  return guard(kGui, "GetCompoundData", [&] {
    if (!compIds || !casNos) return E_POINTER;
    putVariant(compIds, makeStringArray(m_compIds));
    return putVariant(casNos, makeStringArray(m_casNos));
  });
}

HRESULT PackageGui::SetPhaseList(VARIANT labels) {
  return guard(kGui, "SetPhaseList", [&] {
    auto list = stringList(labels);
    if (!list)
      throw CapeError(E_INVALIDARG, "PackageGui::SetPhaseList", "labels is not a list of strings")
          .at(1);
    m_phases = std::move(*list);
    return S_OK;
  });
}

HRESULT PackageGui::GetPhaseList(VARIANT* labels) {
  return guard(kGui, "GetPhaseList", [&] { return putVariant(labels, makeStringArray(m_phases)); });
}

HRESULT PackageGui::SetSupportedFlashes(VARIANT names) {
  return guard(kGui, "SetSupportedFlashes", [&] {
    auto list = stringList(names);
    if (!list)
      throw CapeError(E_INVALIDARG, "PackageGui::SetSupportedFlashes",
                      "names is not a list of strings")
          .at(1);
    m_flashes = std::move(*list);
    m_flashesSet = true;
    return S_OK;
  });
}

HRESULT PackageGui::GetSupportedFlashes(VARIANT* names) {
  return guard(kGui, "GetSupportedFlashes", [&] {
    return putVariant(names, m_flashesSet ? makeStringArray(m_flashes) : comlite::Variant());
  });
}

HRESULT PackageGui::get_ViewNotice(VARIANT_BOOL* notice) {
  if (!notice) return E_POINTER;
  *notice = vb(m_viewNotice);
  return S_OK;
}

HRESULT PackageGui::get_ViewCount(LONG* count) {
  if (!count) return E_POINTER;
  *count = m_viewCount;
  return S_OK;
}

HRESULT PackageGui::get_OpenView(VARIANT_BOOL* openView) {
  if (!openView) return E_POINTER;
  *openView = vb(m_openView);
  return S_OK;
}

HRESULT PackageGui::GetLastMessage(BSTR* text, LONG* flag) {
  return guard(kGui, "GetLastMessage", [&] {
    if (!text || !flag) return E_POINTER;
    *flag = m_messages.empty() ? 0 : m_messages.back().second;
    return putString(text, m_messages.empty() ? std::string() : m_messages.back().first);
  });
}

HRESULT PackageGui::get_MessageCount(LONG* count) {
  if (!count) return E_POINTER;
  *count = static_cast<LONG>(m_messages.size());
  return S_OK;
}

HRESULT PackageGui::ClearMessages() {
  m_messages.clear();
  return S_OK;
}

HRESULT PackageGui::put_ParentWindow(LONGLONG windowHandle) {
  m_parentWindow = windowHandle;
  return S_OK;
}

HRESULT PackageGui::get_ParentWindow(LONGLONG* windowHandle) {
  if (!windowHandle) return E_POINTER;
  *windowHandle = m_parentWindow;
  return S_OK;
}

bool PackageGui::applyOptions(const std::string& optionText, const std::string& source) {
  static constexpr const char* kScope = "PackageGui::applyOptions";
  bool next[kOptionCount];
  std::copy(std::begin(m_options), std::end(m_options), next);
  for (const Setting& s : parseSettings(optionText, source, kScope)) {
    int which = -1;
    for (int k = 0; k < kOptionCount; ++k)
      if (sameName(s.key, capegui::kViewOptionKeys[k])) which = k;
    if (which < 0)
      throw CapeError(ECapeInvalidArgumentHR, kScope,
                      cat(source, ", line ", s.line, ": \"", s.key, "\" is not a view option"));
    auto flag = parseFlag(s.value);
    if (!flag)
      throw CapeError(ECapeInvalidArgumentHR, kScope,
                      cat(source, ", line ", s.line, ": \"", s.value, "\" is not true or false"));
    next[which] = *flag;
  }
  bool changed = false;
  for (int k = 0; k < kOptionCount; ++k) {
    changed = changed || next[k] != m_options[k];
    m_options[k] = next[k];
  }
  return changed;
}

HRESULT PackageGui::GetOptions(BSTR* optionText) {
  return guard(kGui, "GetOptions", [&] {
    std::string out;
    for (int k = 0; k < kOptionCount; ++k)
      out += cat(capegui::kViewOptionKeys[k], " = ", m_options[k] ? "true" : "false", "\n");
    return putString(optionText, out);
  });
}

HRESULT PackageGui::SetOptions(BSTR optionText) {
  return guard(kGui, "SetOptions", [&] {
    m_edited = applyOptions(text(optionText), "option text");
    return S_OK;
  });
}

HRESULT PackageGui::put_ViewNotice(BYTE notice) {
  return guard(kGui, "put_ViewNotice", [&] {
    m_viewNotice = notice != 0;
    ++m_viewCount;
    m_edited = false;
    // Showing the view: the edits a person makes in the dialog come from the host's file.
    if (auto file = comlite::environmentValue(capegui::kViewEditsVariable); file && !file->empty())
      m_edited = applyOptions(readTextFile(*file, "PackageGui::put_ViewNotice"), *file);
    return S_OK;
  });
}

HRESULT PackageGui::get_Edited(VARIANT_BOOL* edited) {
  if (!edited) return E_POINTER;
  *edited = vb(m_edited);
  return S_OK;
}

HRESULT PackageGui::getFlags(Option a, Option b, Option c, VARIANT_BOOL* x, VARIANT_BOOL* y,
                             VARIANT_BOOL* z) const {
  if (!x || !y || !z) return E_POINTER;
  *x = vb(m_options[a]);
  *y = vb(m_options[b]);
  *z = vb(m_options[c]);
  return S_OK;
}

HRESULT PackageGui::GetCompoundOptions(VARIANT_BOOL* allowSubsets, VARIANT_BOOL* freeCompounds,
                                       VARIANT_BOOL* treatAsHypos) {
  return getFlags(kAllowSubsets, kFreeCompounds, kTreatAsHypos, allowSubsets, freeCompounds,
                  treatAsHypos);
}

HRESULT PackageGui::SetCompoundOptions(BYTE allowSubsets, BYTE freeCompounds, BYTE treatAsHypos) {
  m_options[kAllowSubsets] = allowSubsets != 0;
  m_options[kFreeCompounds] = freeCompounds != 0;
  m_options[kTreatAsHypos] = treatAsHypos != 0;
  return S_OK;
}

HRESULT PackageGui::ConfigureCompounds(VARIANT qoNames, VARIANT* compIds, VARIANT* casNos) {
  return guard(kGui, "ConfigureCompounds", [&] {
    if (!compIds || !casNos) return E_POINTER;
    auto names = stringList(qoNames);
    if (!names)
      throw CapeError(E_INVALIDARG, "PackageGui::ConfigureCompounds",
                      "qoNames is not a list of strings")
          .at(1);
    if (!m_compIds.empty() && names->size() != m_compIds.size())
      throw CapeError(
          E_INVALIDARG, "PackageGui::ConfigureCompounds",
          cat("qoNames has ", names->size(), " names for ", m_compIds.size(), " package compounds"))
          .at(1);
    comlite::Variant ids = makeStringArray(m_compIds), cas = makeStringArray(m_casNos);
    m_qoNames = std::move(*names);
    putVariant(compIds, std::move(ids));
    return putVariant(casNos, std::move(cas));
  });
}

HRESULT PackageGui::GetCompoundNames(VARIANT* qoNames) {
  return guard(kGui, "GetCompoundNames",
               [&] { return putVariant(qoNames, makeStringArray(m_qoNames)); });
}

HRESULT PackageGui::ShowMessage(BSTR message, LONG flag) {
  return guard(kGui, "ShowMessage", [&] {
    const std::string t = text(message);
    m_messages.emplace_back(t, flag);
    const std::string& label = m_alias.empty() ? m_name : m_alias;
    comlite::notify(t, "CAPE-OPEN property package '" + label + "'",
                    flag == 1 ? comlite::MB_ICONINFORMATION : comlite::MB_OK);
    return S_OK;
  });
}

HRESULT PackageGui::SetRecovErrorRouting(BYTE trace, BYTE log, BYTE popUp) {
  m_options[kTraceRecov] = trace != 0;
  m_options[kLogRecov] = log != 0;
  m_options[kPopUpRecov] = popUp != 0;
  return S_OK;
}

HRESULT PackageGui::GetRecovErrorRouting(VARIANT_BOOL* trace, VARIANT_BOOL* log,
                                         VARIANT_BOOL* popUp) {
  return getFlags(kTraceRecov, kLogRecov, kPopUpRecov, trace, log, popUp);
}

HRESULT PackageGui::SetCritErrorRouting(BYTE trace, BYTE log, BYTE popUp) {
  m_options[kTraceCrit] = trace != 0;
  m_options[kLogCrit] = log != 0;
  m_options[kPopUpCrit] = popUp != 0;
  return S_OK;
}

HRESULT PackageGui::GetCritErrorRouting(VARIANT_BOOL* trace, VARIANT_BOOL* log,
                                        VARIANT_BOOL* popUp) {
  return getFlags(kTraceCrit, kLogCrit, kPopUpCrit, trace, log, popUp);
}

std::string PackageGui::descriptionValue(const char* name) const {
  if (m_clsid.empty()) return {};
  return comlite::registry::readValue("CLSID\\" + m_clsid + "\\" + capeopen::kCapeDescriptionKey,
                                      name)
      .value_or(std::string());
}

HRESULT PackageGui::get_ComponentVersion(BSTR* version) {
  return guard(kGui, "get_ComponentVersion",
               [&] { return putString(version, descriptionValue("ComponentVersion")); });
}

HRESULT PackageGui::get_VendorURL(BSTR* url) {
  return guard(kGui, "get_VendorURL",
               [&] { return putString(url, descriptionValue("VendorURL")); });
}

HRESULT PackageGui::get_About(BSTR* about) {
  return guard(kGui, "get_About", [&] { return putString(about, descriptionValue("About")); });
}

HRESULT PackageGui::GetLiquid2FlashRequest(VARIANT_BOOL* request) {
  if (!request) return E_POINTER;
  *request = vb(m_options[kLiquid2]);
  return S_OK;
}

HRESULT PackageGui::SetLiquid2FlashRequest(BYTE request, VARIANT_BOOL* openView) {
  m_options[kLiquid2] = request != 0;
  m_openView = openView && *openView != VARIANT_FALSE;
  return S_OK;
}

HRESULT PackageGui::GetOrderPhases(VARIANT_BOOL* orderPhases) {
  if (!orderPhases) return E_POINTER;
  *orderPhases = vb(m_options[kOrderPhases]);
  return S_OK;
}

HRESULT PackageGui::SetOrderPhases(BYTE orderPhases) {
  m_options[kOrderPhases] = orderPhases != 0;
  return S_OK;
}

}  // namespace capeside
