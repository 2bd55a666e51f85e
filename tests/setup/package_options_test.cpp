#include "setup/package_options.h"

#include <gtest/gtest.h>

#include <string>

#include "comlite/bstr.h"
#include "comlite/com_error.h"
#include "comlite/com_ptr.h"
#include "comlite/hresult.h"
#include "setup/option_records.h"
#include "setup/setup_fakes.h"

namespace {

using namespace coravl::setup;
using comlite::ComPtr;
using comlite::utf16ToUtf8;
using coravl_test::FakeAdapter;
using P = PackageOption;

//! What the adapter saves before the component's records.
const std::u16string kAdapterText =
    u"  3 :coravlAdapter : 1 : 1 , manager : 0 :  , package : 18 : Light hydrocarbons , ";

const std::u16string kDefaultRecords =
    u"treatAsHypos : 1 : 0 , allowSubsets : 1 : 0 , freeCompounds : 1 : 0 , "
    u"traceRecovErrors : 2 : -1 , logRecovErrors : 1 : 0 , popUpRecovErrors : 1 : 0 , "
    u"traceCritErrors : 2 : -1 , logCritErrors : 2 : -1 , popUpCritErrors : 2 : -1 , "
    u"requestSelvarLiquid2flash : 1 : 0 , doOrderPhases : 1 : 0 , ";
const std::u16string kInvertedRecords =
    u"treatAsHypos : 2 : -1 , allowSubsets : 2 : -1 , freeCompounds : 2 : -1 , "
    u"traceRecovErrors : 1 : 0 , logRecovErrors : 2 : -1 , popUpRecovErrors : 2 : -1 , "
    u"traceCritErrors : 1 : 0 , logCritErrors : 1 : 0 , popUpCritErrors : 1 : 0 , "
    u"requestSelvarLiquid2flash : 2 : -1 , doOrderPhases : 2 : -1 , ";

PackageOptions inverted(const PackageOptions& o) {
  PackageOptions out;
  for (P p : kPackageOptionsInOrder) out.set(p, !o.get(p));
  return out;
}

std::string describe(const PackageOptions& o) {
  std::string s;
  for (P p : kPackageOptionsInOrder) s += o.get(p) ? '1' : '0';
  return s;
}

TEST(PackageOptions, save_appends_eleven_records_after_the_adapter_text) {
  std::u16string list;
  ASSERT_TRUE(appendOptionRecords(list, PackageOptions{}));
  EXPECT_EQ(list, u" 11 :" + kDefaultRecords);

  list = kAdapterText;
  ASSERT_TRUE(appendOptionRecords(list, inverted(PackageOptions{})));
  EXPECT_EQ(list, u" 14 :" + kAdapterText.substr(5) + kInvertedRecords);

  // A text the records could not be found in again is left alone.
  for (std::u16string bad : {u"garbage", u"  3 :coravlAdapter : 1 : 1 , ", u"  0 : "}) {
    const std::u16string before = bad;
    EXPECT_FALSE(appendOptionRecords(bad, PackageOptions{}));
    EXPECT_EQ(bad, before);
  }
}

TEST(PackageOptions, recall_without_records_gives_the_defaults) {
  for (bool orderPhases : {false, true}) {
    ComponentOptions component{true, true, true, true, orderPhases};
    RoutingFlags routing{false, true, true, false, true, false};
    recallOptionsBeforeInit(kAdapterText, component, routing);
    // Options 10 and 11 wait for the package's initialisation.
    EXPECT_EQ(describe({component, routing}), std::string("0001001011") + "01"[orderPhases]);

    EXPECT_FALSE(recallOptionsAfterInit(kAdapterText, component));
    EXPECT_EQ(component.doOrderPhases, orderPhases);
    EXPECT_TRUE(component.requestSelvarLiquid2flash);  // applied by the caller, not stored
  }
}

TEST(PackageOptions, recall_reads_what_save_wrote_for_every_combination) {
  for (unsigned bits = 0; bits < (1u << kPackageOptionCount); ++bits) {
    PackageOptions saved;
    for (std::size_t i = 0; i < kPackageOptionCount; ++i)
      saved.set(kPackageOptionsInOrder[i], (bits >> i) & 1u);
    std::u16string list = kAdapterText;
    ASSERT_TRUE(appendOptionRecords(list, saved));

    PackageOptions read = inverted(saved);
    recallOptionsBeforeInit(list, read.component, read.routing);
    const bool request = recallOptionsAfterInit(list, read.component);
    EXPECT_EQ(request, saved.component.requestSelvarLiquid2flash);
    read.component.requestSelvarLiquid2flash = request;
    ASSERT_EQ(describe(read), describe(saved));
  }
}

TEST(PackageOptions, recall_of_older_texts_and_of_records_an_adapter_handed_back) {
  // A text with only some of the records, values as any writer may have put them.
  const std::u16string older =
      u"  4 :coravlAdapter : 1 : 1 , treatAsHypos : 1 : 2 , logCritErrors : 3 : 0.0 , "
      u"doOrderPhases : 4 : true , ";
  PackageOptions o;
  o.component.doOrderPhases = true;
  recallOptions(older, o, P::TreatAsHypos, P::DoOrderPhases);
  EXPECT_EQ(describe(o), "10010010100");  // "true" reads as 0

  // Records an adapter handed back from an earlier recall come before the new ones.
  std::u16string echoed = kAdapterText;
  ASSERT_TRUE(appendOptionRecords(echoed, inverted(PackageOptions{})));
  ASSERT_TRUE(appendOptionRecords(echoed, PackageOptions{}));
  PackageOptions fromEcho = inverted(PackageOptions{});
  recallOptions(echoed, fromEcho, P::TreatAsHypos, P::DoOrderPhases);
  EXPECT_EQ(describe(fromEcho), describe(PackageOptions{}));
}

TEST(PackageOptions, first_setup_orders_phases_for_one_package) {
  EXPECT_TRUE(ordersPhasesOnFirstSetup(u"COVantelPropSys.CVantelPropSys"));
  EXPECT_TRUE(ordersPhasesOnFirstSetup(u"covantelpropsys.cvantelpropsys"));
  EXPECT_FALSE(ordersPhasesOnFirstSetup(u"COVantelPropSys.CVantelPropSys.1"));
  EXPECT_FALSE(ordersPhasesOnFirstSetup(u""));
}

class PackageSave : public ::testing::Test {
 protected:
  ComPtr<FakeAdapter> m_adapter = ComPtr<FakeAdapter>::attach(comlite::makeObject<FakeAdapter>());
  //! The in-out argument, holding a string the callee must free.
  BSTR m_saveinfo = comlite::bstrFromUtf8("left from before");
  void TearDown() override { SysFreeString(m_saveinfo); }

  //! Runs savePackage; the status of the ComError it raises, or S_OK.
  HRESULT raised(IPackageAdapter* adapter) {
    try {
      EXPECT_EQ(savePackage(adapter, PackageOptions{}, {}, &m_saveinfo), S_OK);
    } catch (const comlite::ComError& e) {
      EXPECT_EQ(e.iid(), IPackageAdapter::kIID);
      EXPECT_EQ(m_saveinfo, nullptr);
      return e.status();
    }
    return S_OK;
  }
};

TEST_F(PackageSave, returns_the_adapter_text_followed_by_the_options) {
  m_adapter->saveText = kAdapterText;
  PackageOptions options;
  options.component.doOrderPhases = true;
  ASSERT_EQ(savePackage(m_adapter.get(), options, {}, &m_saveinfo), S_OK);
  const std::u16string lastDefault = u"doOrderPhases : 1 : 0 , ";
  EXPECT_EQ(comlite::bstrView(m_saveinfo),
            u" 14 :" + kAdapterText.substr(5) +
                kDefaultRecords.substr(0, kDefaultRecords.size() - lastDefault.size()) +
                u"doOrderPhases : 2 : -1 , ");
  EXPECT_EQ(m_adapter->saveCalls, 1);

  m_adapter->saveText = std::nullopt;  // an absent text is an empty list
  ASSERT_EQ(raised(m_adapter.get()), S_OK);
  EXPECT_EQ(comlite::bstrView(m_saveinfo), u" 11 :" + kDefaultRecords);
}

TEST_F(PackageSave, a_text_that_is_not_a_record_list_is_kept_as_the_adapter_gave_it) {
  // Another vendor's format, and the adapter's own list with bytes after its records.
  const std::u16string foreign[] = {u"<case v=\"2\"> , : 9 : </case>", kAdapterText + u"\n",
                                    u"  9 :" + kAdapterText.substr(5)};
  const SaveRecord extra[] = {{u"CompoundPositions", u"1,0"}};
  for (const std::u16string& text : foreign) {
    m_adapter->saveText = text;
    ASSERT_EQ(savePackage(m_adapter.get(), PackageOptions{}, extra, &m_saveinfo), S_OK);
    const std::u16string_view saved = comlite::bstrView(m_saveinfo);
    EXPECT_EQ(adapterText(saved), text) << utf16ToUtf8(saved);
    EXPECT_TRUE(isRecordList(saved)) << utf16ToUtf8(saved);
    EXPECT_EQ(findLastRecord(saved, u"CompoundPositions").value_or(u""), u"1,0");
    EXPECT_EQ(findLastRecord(saved, u"traceCritErrors").value_or(u""), u"-1");
  }
  // A record list is extended in place and goes to the adapter whole, as before.
  m_adapter->saveText = kAdapterText;
  ASSERT_EQ(savePackage(m_adapter.get(), PackageOptions{}, extra, &m_saveinfo), S_OK);
  const std::u16string_view saved = comlite::bstrView(m_saveinfo);
  EXPECT_EQ(saved.substr(0, 5), u" 15 :");
  EXPECT_EQ(adapterText(saved), saved);
}

TEST_F(PackageSave, failures_raise_for_the_adapter_and_leave_saveinfo_null) {
  m_adapter->saveText = kAdapterText;
  m_adapter->saveStatus = E_UNEXPECTED;
  EXPECT_EQ(raised(m_adapter.get()), E_UNEXPECTED);

  EXPECT_EQ(raised(nullptr), E_POINTER);

  const int calls = m_adapter->saveCalls;
  EXPECT_EQ(savePackage(m_adapter.get(), PackageOptions{}, {}, nullptr), E_POINTER);
  EXPECT_EQ(m_adapter->saveCalls, calls);
}

}  // namespace
