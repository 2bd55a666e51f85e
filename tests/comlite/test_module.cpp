#include "test_module.h"
#include "comlite/module.h"

namespace {

class Counter : public comlite::ComObject<Counter, ICounter> {
 public:
  HRESULT Add(LONG amount) override {
    m_total += amount;
    return S_OK;
  }
  HRESULT get_Total(LONG* total) override {
    if (!total) return E_POINTER;
    *total = m_total;
    return S_OK;
  }

 private:
  LONG m_total = 0;
};

comlite::Module& module() {
  static comlite::Module m({{CLSID_TestCounter,
                             "Test counter",
                             "Comlite.TestCounter.1",
                             "Comlite.TestCounter",
                             "Apartment",
                             {CATID_TestCategory},
                             &comlite::createObject<Counter>}},
                           {{CATID_TestCategory, LCID_ENGLISH_US, "Test category"}});
  return m;
}

}  // namespace

COMLITE_MODULE_EXPORTS(module())
