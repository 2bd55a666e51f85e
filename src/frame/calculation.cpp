//! The property requests of the host: single-phase properties with their derivatives and
//! two-phase properties (K-values).

#include "frame/coravl_pp.h"

namespace coravl::frame {

// FIXME: the calculation path is being built.
HRESULT CORavlPP::CalculateProperty(INT, IDispatch*, IDispatch**, IDispatch*, IDispatch*,
                                    IDispatch*) {
  return E_NOTIMPL;
}

HRESULT CORavlPP::CalculateTwoPhaseProperty(INT, IDispatch*, INT, INT, IDispatch**, IDispatch*,
                                            IDispatch*, IDispatch*) {
  return E_NOTIMPL;
}

}  // namespace coravl::frame
