//! Parts of the support library no module reaches with a bad input: an empty settings key, a
//! scalar read as a list, and the error record kept on the failing object.

#include <gtest/gtest.h>

#include "capeside/support/cape_object.h"
#include "capeside/support/settings_text.h"
#include "capeside/support/variant_lists.h"
#include "comlite/com_ptr.h"
#include "outside/capeopen_common.h"

using namespace capeside;

namespace {
class Thrower : public CapeObject<Thrower, ICapeCollection> {
 public:
  HRESULT Item(VARIANT, IDispatch**) override { return E_NOTIMPL; }
  HRESULT Count(LONG*) override { return E_NOTIMPL; }
  HRESULT fail() {
    return guard("IThrower", "Throw", []() -> HRESULT {
      throw CapeError(ECapeBadArgumentHR, "Thrower::fail", "value 42 is wrong").at(3);
    });
  }
};
}  // namespace

TEST(Support, empty_keys_scalar_lists_and_the_kept_error_record) {
  try {
    parseSettings("a = 1\n = 2\n", "f.txt", "t");
    ADD_FAILURE() << "no error";
  } catch (const CapeError& e) {
    EXPECT_EQ(e.code(), ECapeInvalidArgumentHR);
    EXPECT_EQ(e.record().description, "f.txt, line 2: the key before '=' is empty");
  }
  EXPECT_EQ(doubleList(comlite::Variant::fromLong(2)).value(), (std::vector<double>{2.0}));

  Thrower* t = comlite::makeObject<Thrower>();
  comlite::ComPtr<ICapeCollection> holder = comlite::ComPtr<ICapeCollection>::attach(t);
  EXPECT_EQ(t->fail(), ECapeBadArgumentHR);
  EXPECT_EQ(t->lastError().description, "value 42 is wrong");
  EXPECT_EQ(t->InterfaceSupportsErrorInfo(ICapeCollection::kIID), S_OK);
  EXPECT_EQ(t->InterfaceSupportsErrorInfo(IUnknown::kIID), S_FALSE);
}
