#include "base/thcom_error.h"

#include "comlite/hresult.h"

void CTHCOMError::raise(HRESULT status) {
  // The pointer goes straight into the exception object; the catcher adopts it.
  throw std::make_unique<CTHCOMError>(status).release();
}
