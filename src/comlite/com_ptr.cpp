#include "comlite/com_ptr.h"

namespace comlite {

bool sameObject(IUnknown* a, IUnknown* b) {
  if (!a || !b) return a == b;
  ComPtr<IUnknown> ua, ub;
  if (FAILED(a->QueryInterface(IID_IUnknown, ua.putVoid()))) return false;
  if (FAILED(b->QueryInterface(IID_IUnknown, ub.putVoid()))) return false;
  return ua.get() == ub.get();
}

}  // namespace comlite
