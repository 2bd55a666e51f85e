//! Ordering of the host's phases after a flash.

#include "frame/coravl_pp.h"

namespace coravl::frame {

// FIXME: phase ordering is being built.
HRESULT CORavlPP::PhaseOrder(IDispatch*, IDispatch*) {
  return E_NOTIMPL;
}

}  // namespace coravl::frame
