#pragma once
//! The generic package adapter (see outside/adapter.h for the interface, selection_file.h for
//! the selection a host supplies).
//!
//! Saved state (Save / Recall), an option record list whose records are, in order:
//!   coravlAdapter : "1"               marks a text this adapter wrote, and its version
//!   manager, package, alias           the selection
//!   compIds, qoNames, idNumbers       the package's compounds at save time, each value itself
//!                                     an option record list with one record per compound
//!                                     (keys "1", "2", ...)
//!   userQoNames                       the fluid-package compounds, the same way
//! Other records (the socket appends its own) are ignored by Recall.

#include <optional>
#include <string>
#include <vector>

#include "capeside/selection_file.h"
#include "capeside/support/cape_object.h"
#include "comlite/com_ptr.h"
#include "outside/adapter.h"
#include "outside/cape_gui.h"
#include "outside/capeopen_thermo.h"
#include "outside/mat_obj.h"

namespace capeside {

class PackageAdapter : public CapeObject<PackageAdapter, IPackageAdapter> {
 public:
  ~PackageAdapter() override;

  HRESULT GetPackageList(VARIANT* packageNames) override;
  HRESULT SelectPackage(IDispatch** selection) override;
  HRESULT CreatePropPackage(IDispatch** package, IDispatch** gui) override;
  HRESULT GetMaterialObject(IDispatch** material) override;
  HRESULT GetCompoundConstant(BSTR constantId, LONG compoundIndex, double* value) override;
  HRESULT GetValue(BSTR name, VARIANT* value) override;
  HRESULT SetValue(BSTR name, VARIANT value) override;
  HRESULT Save(BSTR* saveText) override;
  HRESULT Recall(BSTR saveText, VARIANT_BOOL* baseChanged) override;
  HRESULT SetWindow(LONGLONG windowHandle) override;
  HRESULT GetWindow(LONGLONG* windowHandle) override;
  HRESULT GetSelectedPackage(BSTR* packageName) override;
  HRESULT SetFluidPackageCompounds(VARIANT names) override;
  HRESULT ReleaseResources() override;
  HRESULT GetCallerName(BSTR* callerName) override;
  HRESULT SetCallerName(BSTR callerName) override;

 private:
  //! The saved lists of a recall, restored onto the package's compounds.
  struct SavedLists {
    std::vector<std::string> compIds, qoNames, userQoNames;
    std::vector<double> idNumbers;
  };

  //! Checks that the selection names a registered package (and manager).
  void validate(const Selection& s) const;
  //! Creates the selected package, reads its lists and fills the GUI component. On failure
  //! nothing of the new package is kept.
  void createPackage(const SavedLists* saved);
  //! Terminates and releases package, manager and material; returns the first failure.
  HRESULT releasePackage();
  //! Index in the package of a compound of the fluid package (see GetCompoundConstant).
  std::size_t packageIndexOf(LONG compoundIndex) const;
  //! Makes (once) the GUI component that carries the selection.
  void makeGui();

  std::optional<Selection> m_selection;
  std::string m_callerName;
  LONGLONG m_window = 0;
  comlite::ComPtr<IDispatch> m_manager;
  comlite::ComPtr<IDispatch> m_package;
  comlite::ComPtr<ICCAPEGUI> m_gui;
  comlite::ComPtr<IMatObj> m_material;
  std::string m_packageName, m_progId, m_clsid, m_description;
  // The package's lists, one element per package compound / phase.
  std::vector<std::string> m_compIds, m_formulas, m_casNos, m_names, m_qoNames;
  std::vector<double> m_idNumbers;
  std::vector<std::string> m_properties, m_phases, m_states, m_keys;
  std::vector<std::string> m_userQoNames;
  std::optional<std::vector<std::string>> m_savedCompIds;  //!< of a recall, until handed out
};

}  // namespace capeside
