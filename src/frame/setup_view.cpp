//! The package's setup: the setup view and its option exchange with the package GUI component.

#include "setup/setup_view.h"
#include "frame/coravl_pp.h"

namespace coravl::frame {

HRESULT CORavlPP::SetupPkg(INT nfiles, VARIANT /*filenames*/, BSTR /*setupinfo*/, INT* status) {
  if (status) *status = 1;
  HRESULT hr = entryCheck();
  if (FAILED(hr)) return hr;
  if (!status) return E_POINTER;
  // Without a package behind the object there is nothing to set up.
  if (!m_packageInitialised) return E_FAIL;
  *status = 0;
  // The view's own status does not decide the setup: the simulator reads the files' answer.
  OnView(nullptr, nullptr);
  if (nfiles != 0) {
    *status = 1;
    return S_FALSE;
  }
  m_packageSetUp = 1;
  return S_OK;
}

HRESULT CORavlPP::OnView(BSTR* /*ViewName*/, VARIANT_BOOL* OpenView) {
  // A case being recalled is not shown until the recall has set it up.
  if (!m_packageSetUp && m_recallPending) return E_FAIL;
  setup::SetupViewState state{m_options,    m_reporter.routingFlags(), m_flashSpecNames,
                              m_viewNotice, m_selectedCompIds,         m_selectedCompQoNames};
  return setup::showSetupView(m_setupView.get(), m_adapter.get(), state, OpenView);
}

}  // namespace coravl::frame
