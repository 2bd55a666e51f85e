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

//! A package GUI component that takes every option and leaves the answers it is not given
//! unwritten; the phase-ordering calls fail on request.
class ViewGui : public testsupport::GuiStub<ViewGui> {
 public:
  bool treatAsHypos = false, allowSubsets = false;
  HRESULT setOrderFailure = S_OK, getOrderFailure = S_OK;

  HRESULT other() override { return S_OK; }
  HRESULT SetOrderPhases(BYTE) override { return setOrderFailure; }
  HRESULT GetOrderPhases(VARIANT_BOOL* o) override {
    if (FAILED(getOrderFailure)) return getOrderFailure;
    *o = VARIANT_TRUE;
    return S_OK;
  }
  HRESULT GetCompoundOptions(VARIANT_BOOL* a, VARIANT_BOOL*, VARIANT_BOOL* t) override {
    *a = allowSubsets ? VARIANT_TRUE : VARIANT_FALSE;
    *t = treatAsHypos ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }
};

constexpr auto items = &coravl_test::listOf<std::string>;

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
    gui = ComPtr<ViewGui>::attach(comlite::makeObject<ViewGui>());
    adapter = ComPtr<FakeAdapter>::attach(comlite::makeObject<FakeAdapter>());
  }
  HRESULT show(VARIANT_BOOL* openView = nullptr) {
    return showSetupView(gui.get(), adapter.get(), state, openView);
  }
  ComPtr<ViewGui> gui;
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
  gui->setOrderFailure = E_UNEXPECTED;
  EXPECT_EQ(show(), S_OK);
  EXPECT_TRUE(options.doOrderPhases);
  EXPECT_TRUE(m_notices.empty());

  // Reading it back is shown and ends the view before the routing flags are read.
  gui->getOrderFailure = E_UNEXPECTED;
  gui->allowSubsets = true;
  options.doOrderPhases = false;
  routing.traceCritErrors = true;
  EXPECT_EQ(show(), E_UNEXPECTED);
  EXPECT_TRUE(options.allowSubsets);
  EXPECT_FALSE(options.doOrderPhases);  // kept: the GUI gave no answer
  ASSERT_EQ(m_notices.size(), 1u);
  EXPECT_NE(m_notices[0].text.find("Unexpected error "), std::string::npos) << m_notices[0].text;
}

TEST_F(SetupView, an_adapter_refusing_the_hypothetical_names_ends_the_view) {
  gui->treatAsHypos = true;
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
