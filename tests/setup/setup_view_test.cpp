#include "setup/setup_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/set_get.h"
#include "comlite/bstr.h"
#include "comlite/com_ptr.h"
#include "comlite/object.h"
#include "comlite/safearray.h"
#include "comlite/variant.h"
#include "outside/adapter.h"
#include "outside/cape_gui.h"
#include "setup/flash_spec_names.h"
#include "setup/package_options.h"
#include "setup/setup_fakes.h"
#include "support/gui_stub.h"
#include "support/notice_fixture.h"
#include "vocabulary/co_ids.h"

namespace {

using comlite::ComPtr;
using coravl_test::FakeAdapter;
using coravl_test::strs;
using namespace coravl::setup;

std::string flag(VARIANT_BOOL* p) {
  return p ? (*p ? "T" : "F") : "null";
}

//! A package GUI component that records the view's calls in order ("46 1 T" = position 46 with
//! its arguments), answers the reads with `answers` and fails the call at `failingSlot`.
class RecordingGui : public testsupport::GuiStub<RecordingGui> {
 public:
  std::vector<std::string> calls;
  //! Answers of the reads, in the order of kViewOptionKeys.
  bool answers[11] = {};
  std::string progId = "Some.Package.1";
  int failingSlot = 0;
  HRESULT failure = E_UNEXPECTED;

  HRESULT SetLiquid2FlashRequest(BYTE request, VARIANT_BOOL* openView) override {
    return record(46, std::to_string(request) + " " + flag(openView));
  }
  HRESULT SetOrderPhases(BYTE order) override { return record(48, std::to_string(order)); }
  HRESULT SetCompoundOptions(BYTE a, BYTE f, BYTE t) override { return record(36, bytes(a, f, t)); }
  HRESULT SetRecovErrorRouting(BYTE t, BYTE l, BYTE p) override {
    return record(39, bytes(t, l, p));
  }
  HRESULT SetCritErrorRouting(BYTE t, BYTE l, BYTE p) override {
    return record(50, bytes(t, l, p));
  }
  HRESULT put_ViewNotice(BYTE notice) override { return record(30, std::to_string(notice)); }
  HRESULT GetCompoundOptions(VARIANT_BOOL* a, VARIANT_BOOL* f, VARIANT_BOOL* t) override {
    return read(32, {a, f, t}, {1, 2, 0});
  }
  HRESULT GetLiquid2FlashRequest(VARIANT_BOOL* r) override { return read(45, {r}, {9}); }
  HRESULT GetOrderPhases(VARIANT_BOOL* o) override { return read(47, {o}, {10}); }
  HRESULT GetRecovErrorRouting(VARIANT_BOOL* t, VARIANT_BOOL* l, VARIANT_BOOL* p) override {
    return read(40, {t, l, p}, {3, 4, 5});
  }
  HRESULT GetCritErrorRouting(VARIANT_BOOL* t, VARIANT_BOOL* l, VARIANT_BOOL* p) override {
    return read(49, {t, l, p}, {6, 7, 8});
  }
  HRESULT get_PackageProgID(BSTR* out) override {
    if (HRESULT hr = record(12, ""); FAILED(hr)) return hr;
    *out = comlite::bstrFromUtf8(progId);
    return S_OK;
  }

  // Nothing else belongs to the view.
  HRESULT other() override {
    calls.push_back("unexpected");
    return E_UNEXPECTED;
  }

 private:
  static std::string bytes(BYTE a, BYTE b, BYTE c) {
    return std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(c);
  }
  HRESULT record(int slot, const std::string& args) {
    calls.push_back(std::to_string(slot) + (args.empty() ? "" : " " + args));
    return slot == failingSlot ? failure : S_OK;
  }
  HRESULT read(int slot, std::initializer_list<VARIANT_BOOL*> outs,
               std::initializer_list<int> options) {
    if (HRESULT hr = record(slot, ""); FAILED(hr)) return hr;
    auto option = options.begin();
    for (VARIANT_BOOL* out : outs) {
      if (!out) return E_POINTER;
      *out = answers[*option] ? VARIANT_TRUE : VARIANT_FALSE;
      ++option;
    }
    return S_OK;
  }
};

std::vector<std::string> items(const VARIANT& v) {
  std::vector<std::string> out;
  if (!vtIsArray(v.vt) || !v.parray) return out;
  LONG lb = 0, ub = -1;
  SafeArrayGetLBound(v.parray, 1, &lb);
  SafeArrayGetUBound(v.parray, 1, &ub);
  for (LONG i = lb; i <= ub; ++i) out.push_back(SetGet::getString(v, i));
  return out;
}

LONG lowerBound(const VARIANT& v) {
  LONG lb = -99;
  SafeArrayGetLBound(v.parray, 1, &lb);
  return lb;
}

//! One component's view state, with captured notices and a private trace folder.
class SetupView : public coravl_test::NoticeFixture {
 protected:
  void SetUp() override {
    NoticeFixture::SetUp();
    gui = ComPtr<RecordingGui>::attach(comlite::makeObject<RecordingGui>());
    adapter = ComPtr<FakeAdapter>::attach(comlite::makeObject<FakeAdapter>());
  }
  HRESULT show(VARIANT_BOOL* openView = nullptr) {
    return showSetupView(gui.get(), adapter.get(), state, openView);
  }
  //! The GUI's answers in the order of the view's option keys.
  void answer(std::initializer_list<bool> values) {
    std::fill(std::begin(gui->answers), std::end(gui->answers), false);
    std::copy(values.begin(), values.end(), gui->answers);
  }

  ComPtr<RecordingGui> gui;
  ComPtr<FakeAdapter> adapter;
  ComponentOptions options;
  RoutingFlags routing;
  FlashSpecNames flashNames;
  BYTE notice = 1;
  comlite::Variant ids = strs({"methane", "ethane", "propane"});
  comlite::Variant qoNames = strs({"Methane", "ethane*", "Propane"});
  SetupViewState state{options, routing, flashNames, notice, ids, qoNames};
};

TEST_F(SetupView, phase_ordering_failures_are_told_apart) {
  // Sending it is not checked.
  gui->failingSlot = 48;
  answer({false, false, false, true, false, false, true, false, true, false, true});
  EXPECT_EQ(show(), S_OK);
  EXPECT_TRUE(options.doOrderPhases);
  EXPECT_TRUE(m_notices.empty());

  // Reading it back is shown and ends the view before the routing flags are read.
  gui->failingSlot = 47;
  gui->calls.clear();
  answer({false, true});
  EXPECT_EQ(show(), E_UNEXPECTED);
  EXPECT_EQ(gui->calls.back(), "47");
  EXPECT_TRUE(options.allowSubsets);
  EXPECT_TRUE(options.doOrderPhases);  // kept: the GUI gave no answer
  EXPECT_TRUE(routing.traceCritErrors);
  ASSERT_EQ(m_notices.size(), 1u);
  EXPECT_NE(m_notices[0].text.find("Unexpected error "), std::string::npos) << m_notices[0].text;
}

TEST_F(SetupView, an_adapter_refusing_the_hypothetical_names_ends_the_view) {
  answer({true});  // treatAsHypos
  adapter->setValueStatus = ECapeBadArgumentHR;
  EXPECT_EQ(show(), ECapeBadArgumentHR);
  EXPECT_EQ(items(qoNames), (std::vector<std::string>{"methane*", "ethane*", "propane*"}));
  ASSERT_EQ(m_notices.size(), 1u);
  EXPECT_NE(m_notices[0].text.find("Unexpected error "), std::string::npos) << m_notices[0].text;
  // No adapter at all.
  EXPECT_EQ(showSetupView(gui.get(), nullptr, state, nullptr), E_POINTER);
}

TEST(HypotheticalNames, follow_the_ids_and_keep_the_list_shape) {
  // Bounds of the simulator's list are kept, elements beyond the ids too.
  comlite::Variant ids = strs({"water", "co2"}, 3);
  comlite::Variant names = strs({"Water", "CO2", "extra"}, 1);
  nameCompoundsAsHypothetical(ids, names);
  EXPECT_EQ(items(names), (std::vector<std::string>{"water*", "co2*", "extra"}));
  EXPECT_EQ(lowerBound(names), 1);

  // Ids in a list of variants; a list too short for them is replaced.
  comlite::Variant mixed;
  mixed.vt = VT_ARRAY | VT_VARIANT;
  mixed.parray = SafeArrayCreateVector(VT_VARIANT, 0, 2);
  for (LONG i = 0; i < 2; ++i) {
    comlite::Variant s = comlite::Variant::fromString(i == 0 ? "h2" : "n2");
    SafeArrayPutElement(mixed.parray, &i, &s);
  }
  comlite::Variant shortList = strs({"H2"});
  nameCompoundsAsHypothetical(mixed, shortList);
  EXPECT_EQ(items(shortList), (std::vector<std::string>{"h2*", "n2*"}));
  EXPECT_EQ(lowerBound(shortList), 0);

  // No ids: nothing to name, an empty list is still a list.
  comlite::Variant none, empty;
  nameCompoundsAsHypothetical(none, empty);
  EXPECT_EQ(empty.vt, VT_ARRAY | VT_BSTR);
  EXPECT_TRUE(items(empty).empty());
}

}  // namespace
