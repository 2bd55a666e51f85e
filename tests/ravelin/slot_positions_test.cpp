//! Methods called by position sit at that position. Two checks: the declared slot of each
//! member (decoded from its member pointer), and a raw call through that slot of a live object
//! with an observable effect.

#include <gtest/gtest.h>

#include "comlite/bstr.h"
#include "host_fixture.h"
#include "outside/ravelin_arrays.h"
#include "outside/ravelin_compounds.h"
#include "outside/ravelin_derivatives.h"
#include "outside/ravelin_error_log.h"
#include "outside/ravelin_flash.h"
#include "outside/ravelin_ids.h"
#include "outside/ravelin_phase.h"
#include "outside/ravelin_phase_collection.h"
#include "outside/ravelin_registry.h"
#include "ravelin/compound.h"
#include "ravelin/error_log.h"
#include "ravelin/flash_control.h"
#include "ravelin/property_names.h"
#include "vtable_slot.h"

using comlite::ComPtr;
using ravelintest::HostFramework;
using ravelintest::slotFunction;
using ravelintest::vtableSlot;

namespace {

struct Probe {
  virtual void a() = 0;
  virtual int b(int) = 0;
  virtual void c(double) = 0;
  void plain() {}
};

}  // namespace

TEST(VtableSlot, decodes_declaration_order_and_rejects_non_virtual_members) {
  EXPECT_EQ(vtableSlot(&Probe::a), 0);
  EXPECT_EQ(vtableSlot(&Probe::b), 1);
  EXPECT_EQ(vtableSlot(&Probe::c), 2);
  EXPECT_EQ(vtableSlot(&Probe::plain), -1);
  EXPECT_EQ(vtableSlot(&IDispatch::Invoke), 6);
}

TEST(SlotPositions, methods_called_by_position) {
  // Sizes of the host's arrays.
  EXPECT_EQ(vtableSlot(&IRealArrayDisp::SetSize), 8);
  EXPECT_EQ(vtableSlot(&IIntegerArrayDisp::SetSize), 8);
  // Compound list management.
  EXPECT_EQ(vtableSlot(&IRvlCompound::get_Name), 7);
  EXPECT_EQ(vtableSlot(&IRvlCompound::get_CASNumber), 11);
  EXPECT_EQ(vtableSlot(&IRvlCompound::get_IDNumber), 13);
  EXPECT_EQ(vtableSlot(&IRvlCompoundConstants::SetConstant), 7);
  EXPECT_EQ(vtableSlot(&IRvlCompoundModification::EndEdit), 9);
  // Error log, flash control provider and flash control.
  EXPECT_EQ(vtableSlot(&IRvlErrorLog::AddMessage), 7);
  EXPECT_EQ(vtableSlot(&IRvlFlashControlProvider::GetFlashControl), 7);
  EXPECT_EQ(vtableSlot(&IRvlFlashControl::SetOption), 18);
  // The package's derivative capability, called by the host.
  EXPECT_EQ(vtableSlot(&IDerivativeCalculation::EnableDerivatives), 7);
  EXPECT_EQ(vtableSlot(&IDerivativeCalculation::CanCalculate), 8);
  EXPECT_EQ(vtableSlot(&IDerivativeCalculation::CanCalculateDerivative), 9);
}

TEST_F(HostFramework, raw_calls_through_the_positions_reach_the_right_methods) {
  using ravelintest::hex;
  // Position 8 of both arrays sets the size.
  auto real = create<IRealArrayDisp>(ravelin::kClsidRealArray);
  auto integer = create<IIntegerArrayDisp>(ravelin::kClsidIntegerArray);
  ASSERT_TRUE(real && integer);
  EXPECT_EQ((slotFunction<HRESULT (*)(IRealArrayDisp*, LONG)>(real.get(), 8)(real.get(), 5)), S_OK);
  EXPECT_EQ(
      (slotFunction<HRESULT (*)(IIntegerArrayDisp*, LONG)>(integer.get(), 8)(integer.get(), 4)),
      S_OK);
  LONG n = 0;
  ASSERT_EQ(real->get_Count(&n), S_OK);
  EXPECT_EQ(n, 5);
  ASSERT_EQ(integer->get_Count(&n), S_OK);
  EXPECT_EQ(n, 4);

  // Compound: name at 7, CAS number at 11, id number at 13, constants at 7, edit end at 9.
  auto c = ravelin::Compound::create({"Water", "7732-18-5", "H2O", 20001, {}});
  ComPtr<IRvlCompound> compound;
  ASSERT_EQ(c.dispatch()->QueryInterface(IRvlCompound::kIID, compound.putVoid()), S_OK);
  using TextFn = HRESULT (*)(IRvlCompound*, BSTR*);
  comlite::Bstr text;
  ASSERT_EQ(slotFunction<TextFn>(compound.get(), 7)(compound.get(), text.out()), S_OK);
  EXPECT_EQ(text.utf8(), "Water");
  ASSERT_EQ(slotFunction<TextFn>(compound.get(), 11)(compound.get(), text.out()), S_OK);
  EXPECT_EQ(text.utf8(), "7732-18-5");
  LONG id = 0;
  ASSERT_EQ(
      (slotFunction<HRESULT (*)(IRvlCompound*, LONG*)>(compound.get(), 13)(compound.get(), &id)),
      S_OK);
  EXPECT_EQ(id, 20001);

  ComPtr<IRvlCompoundConstants> constants;
  ASSERT_EQ(c.dispatch()->QueryInterface(IRvlCompoundConstants::kIID, constants.putVoid()), S_OK);
  comlite::Bstr tc("TC");
  HRESULT hr = slotFunction<HRESULT (*)(IRvlCompoundConstants*, BSTR, LONG, double)>(
      constants.get(), 7)(constants.get(), tc.get(), ravelin::kHostUnits, 647.1);
  EXPECT_EQ(hr, S_OK) << hex(hr);
  EXPECT_EQ(c.constant("TC"), 647.1);

  ComPtr<IRvlCompoundModification> modification;
  ASSERT_EQ(c.dispatch()->QueryInterface(IRvlCompoundModification::kIID, modification.putVoid()),
            S_OK);
  EXPECT_EQ(c.commitCount(), 0);
  EXPECT_EQ((slotFunction<HRESULT (*)(IRvlCompoundModification*, LONG)>(modification.get(), 9)(
                modification.get(), 0)),
            S_OK);
  EXPECT_EQ(c.commitCount(), 1);

  // Error log: the message goes in at 7.
  auto log = ravelin::ErrorLog::create();
  ComPtr<IRvlErrorLog> logIface;
  ASSERT_EQ(log.dispatch()->QueryInterface(IRvlErrorLog::kIID, logIface.putVoid()), S_OK);
  comlite::Bstr message("a message");
  EXPECT_EQ((slotFunction<HRESULT (*)(IRvlErrorLog*, LONG, BSTR, LONG, VARIANT_BOOL)>(
                logIface.get(), 7)(logIface.get(), 100, message.get(), -1, VARIANT_TRUE)),
            S_OK);
  ASSERT_EQ(log.entries().size(), 1u);
  EXPECT_EQ(log.entries()[0].message, "a message");
  EXPECT_EQ(log.entries()[0].status, 100);

  // Provider at 7 hands out the flash control; its option setter is at 18.
  auto control = ravelin::FlashControl::create();
  auto manager = ravelin::PropertyManager::create(control);
  ComPtr<IRvlFlashControlProvider> provider;
  ASSERT_EQ(manager.dispatch()->QueryInterface(IRvlFlashControlProvider::kIID, provider.putVoid()),
            S_OK);
  ComPtr<IDispatch> got;
  ASSERT_EQ((slotFunction<HRESULT (*)(IRvlFlashControlProvider*, IDispatch**)>(provider.get(), 7)(
                provider.get(), got.put())),
            S_OK);
  ASSERT_TRUE(got);
  ComPtr<IRvlFlashControl> flash;
  ASSERT_EQ(got->QueryInterface(IRvlFlashControl::kIID, flash.putVoid()), S_OK);
  const LONG option = ravelin::propertyId("I_O_PVSAT");
  hr = slotFunction<HRESULT (*)(IRvlFlashControl*, LONG, double, LONG, LONG, LONG, LONG)>(
      flash.get(), 18)(flash.get(), option, 2.0, 0, 0, 0, 0);
  EXPECT_EQ(hr, S_OK) << hex(hr);
  EXPECT_EQ(control.option("I_O_PVSAT"), 2.0);
}
