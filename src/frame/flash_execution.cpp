//! The host's flashes, run through the package's equilibrium routine.

#include "frame/coravl_pp.h"

namespace coravl::frame {

// FIXME: flash execution is being built.
HRESULT CORavlPP::Execute(tagFlashTypeEnum, IDispatch*, IDispatch*, IDispatch*, IDispatch*,
                          IDispatch*) {
  return E_NOTIMPL;
}

}  // namespace coravl::frame
