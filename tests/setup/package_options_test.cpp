#include "setup/package_options.h"

#include <gtest/gtest.h>

#include <string>

#include "comlite/bstr.h"
#include "comlite/com_ptr.h"
#include "setup/option_records.h"
#include "setup/setup_fakes.h"

namespace {

using namespace coravl::setup;
using comlite::ComPtr;
using coravl_test::FakeAdapter;

// The saved case round trip through the component lives in tests/frame; only an adapter that
// hands back text of its own format needs a fake here.
TEST(PackageSave, a_text_that_is_not_a_record_list_is_kept_as_the_adapter_gave_it) {
  auto adapter = ComPtr<FakeAdapter>::attach(comlite::makeObject<FakeAdapter>());
  const std::u16string adapterList =
      u"  3 :coravlAdapter : 1 : 1 , manager : 0 :  , package : 18 : Light hydrocarbons , ";
  // Another vendor's format, and the adapter's own list with bytes after its records.
  const std::u16string foreign[] = {u"<case v=\"2\"> , : 9 : </case>", adapterList + u"\n",
                                    u"  9 :" + adapterList.substr(5)};
  const SaveRecord extra[] = {{u"CompoundPositions", u"1,0"}};
  for (const std::u16string& text : foreign) {
    adapter->saveText = text;
    BSTR saveinfo = nullptr;
    ASSERT_EQ(savePackage(adapter.get(), PackageOptions{}, extra, &saveinfo), S_OK);
    const std::u16string saved(comlite::bstrView(saveinfo));
    SysFreeString(saveinfo);
    EXPECT_EQ(adapterText(saved), text) << comlite::utf16ToUtf8(saved);
    EXPECT_TRUE(isRecordList(saved)) << comlite::utf16ToUtf8(saved);
    EXPECT_EQ(findLastRecord(saved, u"CompoundPositions").value_or(u""), u"1,0");
    EXPECT_EQ(findLastRecord(saved, u"traceCritErrors").value_or(u""), u"-1");
  }
}

}  // namespace
