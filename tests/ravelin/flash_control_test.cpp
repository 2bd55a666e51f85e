#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>

#include "host_fixture.h"
#include "outside/ravelin_flash.h"
#include "outside/ravelin_ids.h"
#include "outside/ravelin_registry.h"
#include "ravelin/flash_control.h"
#include "ravelin/property_names.h"

using comlite::ComPtr;
using ravelintest::got;
using ravelintest::HostFramework;
using ::testing::Each;
using F = IRvlFlashControl;

namespace {

const LONG kNonSat = ravelin::propertyId("I_O_PVNONSAT");
const LONG kSat = ravelin::propertyId("I_O_PVSAT");
constexpr LONG kPVFlash = 4;

}  // namespace

TEST_F(HostFramework, flash_options_are_kept_per_flash_type_with_a_default_for_all) {
  auto control = ravelin::FlashControl::create();
  auto flash = ComPtr<IDispatch>(control.dispatch()).as<IRvlFlashControl>();
  ASSERT_EQ(flash->SetOption(kNonSat, 0.0, 0, 0, 0, 0), S_OK);
  ASSERT_EQ(flash->SetOption(kSat, 1.0, 0, 0, 0, 0), S_OK);
  ASSERT_EQ(flash->SetOption(kSat, 2.0, kPVFlash, 0, 0, 0), S_OK);
  EXPECT_EQ(control.option("I_O_PVNONSAT"), 0.0);
  EXPECT_EQ(control.option("I_O_PVSAT", kPVFlash), 2.0);
  EXPECT_EQ(control.option("I_O_PVSAT", 1), 1.0);  // falls back to every flash type
  EXPECT_EQ(control.optionCount(), 3u);
  EXPECT_EQ(got(flash, &F::GetOption, kNonSat, kPVFlash), 0.0);
  EXPECT_EQ(got(flash, &F::HasOption, kSat, 3), VARIANT_TRUE);
  EXPECT_EQ(got(flash, &F::get_OptionCount), 3);
  LONG option = 0, type = -1;
  double v = 0;
  ASSERT_EQ(flash->GetOptionAt(2, &option, &type, &v), S_OK);
  EXPECT_EQ(option, std::max(kSat, kNonSat));
  EXPECT_EQ(flash->GetOptionAt(3, &option, &type, &v), DISP_E_BADINDEX);
  ASSERT_EQ(flash->ResetOptions(), S_OK);
  EXPECT_EQ(flash->GetOption(kSat, 0, &v), RAVELIN_E_NOVALUE);
  EXPECT_EQ(got(flash, &F::HasOption, kSat, 0), VARIANT_FALSE);

  // What the host does not know is refused, and nothing is kept.
  EXPECT_THAT((std::vector<HRESULT>{
                  flash->SetOption(ravelin::kNoPropertyId, 1.0, 0, 0, 0, 0),
                  flash->SetOption(0, 1.0, 0, 0, 0, 0), flash->SetOption(kSat, 1.0, 13, 0, 0, 0),
                  flash->SetOption(kSat, 1.0, -1, 0, 0, 0), flash->SetOption(kSat, 1.0, 0, 1, 0, 0),
                  flash->SetOption(kSat, 1.0, 0, 0, 1, 0), flash->SetOption(kSat, 1.0, 0, 0, 0, 1),
                  flash->SetOption(kSat, std::numeric_limits<double>::infinity(), 0, 0, 0, 0)}),
              Each(E_INVALIDARG));
  EXPECT_EQ(control.optionCount(), 0u);
  EXPECT_EQ(control.setOptionCalls(), 11u);
  control.setLocked(true);
  EXPECT_EQ(flash->SetOption(kSat, 1.0, 0, 0, 0, 0), RAVELIN_E_LOCKED);
  EXPECT_EQ(flash->put_MaxIterations(10), RAVELIN_E_LOCKED);
  EXPECT_FALSE(control.option("I_O_PVSAT"));
  control.setLocked(false);
  EXPECT_EQ(flash->SetOption(kSat, 1.0, 0, 0, 0, 0), S_OK);
}

TEST_F(HostFramework, flash_iteration_settings_are_checked) {
  auto flash = create<IRvlFlashControl>(ravelin::kClsidFlashControl);
  ASSERT_TRUE(flash);
  ASSERT_EQ(flash->put_MaxIterations(200), S_OK);
  EXPECT_EQ(got(flash, &F::get_MaxIterations), 200);
  ASSERT_EQ(flash->put_Tolerance(1e-9), S_OK);
  EXPECT_EQ(got(flash, &F::get_Tolerance), 1e-9);
  ASSERT_EQ(flash->put_UseInitialGuess(VARIANT_TRUE), S_OK);
  EXPECT_EQ(got(flash, &F::get_UseInitialGuess), VARIANT_TRUE);
  EXPECT_EQ(flash->put_MaxIterations(0), E_INVALIDARG);
  EXPECT_EQ(flash->put_Tolerance(0.0), E_INVALIDARG);
  EXPECT_EQ(flash->get_Tolerance(nullptr), E_POINTER);
}

TEST_F(HostFramework, property_callback_offers_the_flash_control_and_the_registry) {
  auto control = ravelin::FlashControl::create();
  auto manager = ravelin::PropertyManager::create(control);
  ComPtr<IDispatch> callback(manager.dispatch());
  auto provider = callback.as<IRvlFlashControlProvider>();
  ASSERT_TRUE(provider);
  ComPtr<IDispatch> got;
  ASSERT_EQ(provider->GetFlashControl(got.put()), S_OK);
  EXPECT_TRUE(comlite::sameObject(got.get(), control.dispatch()));
  EXPECT_EQ(provider->GetFlashControl(nullptr), E_POINTER);
  EXPECT_TRUE(callback.as<IPropertyEnumerationRegistry>());
  // A host without a flash control answers null.
  manager.setFlashControl(std::nullopt);
  ASSERT_EQ(provider->GetFlashControl(got.put()), S_OK);
  EXPECT_FALSE(got);
  EXPECT_FALSE(manager.flashControl());
  // Either interface can be withdrawn.
  HRESULT hr = S_OK;
  manager.offerRegistry(false);
  EXPECT_FALSE(callback.as<IPropertyEnumerationRegistry>(&hr));
  EXPECT_EQ(hr, E_NOINTERFACE);
  manager.offerFlashControlProvider(false);
  EXPECT_FALSE(callback.as<IRvlFlashControlProvider>(&hr));
  EXPECT_EQ(hr, E_NOINTERFACE);
  EXPECT_TRUE(ravelin::PropertyManager::from(callback.get()));
  auto created = create<IRvlFlashControlProvider>(ravelin::kClsidPropertyManager);
  ASSERT_TRUE(created);
  ASSERT_EQ(created->GetFlashControl(got.put()), S_OK);
  EXPECT_FALSE(got);
}
