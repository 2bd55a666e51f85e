//! The package's setup: the setup view and its option exchange.

#include "frame/coravl_pp.h"

namespace coravl::frame {

HRESULT CORavlPP::SetupPkg(INT nfiles, VARIANT /*filenames*/, BSTR /*setupinfo*/, INT* status) {
  HRESULT hr = entryCheck();
  if (FAILED(hr)) return hr;
  if (!status) return E_POINTER;
  *status = 0;
  // FIXME: the setup view (entered with no view name) joins with its own work.
  if (nfiles != 0) {
    *status = 1;
    return S_FALSE;
  }
  m_packageSetUp = 1;
  return S_OK;
}

// FIXME: the setup view is being built.
HRESULT CORavlPP::OnView(BSTR*, VARIANT_BOOL*) {
  return E_NOTIMPL;
}

}  // namespace coravl::frame
