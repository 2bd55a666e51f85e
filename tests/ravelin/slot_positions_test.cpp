//! Methods the host and the package call by position sit at that position: the declared slot
//! of each member, decoded from its member pointer.

#include <gtest/gtest.h>

#include "comlite/vtable_slot.h"
#include "outside/ravelin_arrays.h"
#include "outside/ravelin_compounds.h"
#include "outside/ravelin_derivatives.h"
#include "outside/ravelin_error_log.h"
#include "outside/ravelin_flash.h"

TEST(SlotPositions, methods_called_by_position) {
  using comlite::vtableSlot;
  using C = IRvlCompound;
  using D = IDerivativeCalculation;
  const std::vector<int> slots = {vtableSlot(&IRealArrayDisp::SetSize),
                                  vtableSlot(&IIntegerArrayDisp::SetSize),
                                  vtableSlot(&C::get_Name),
                                  vtableSlot(&C::get_CASNumber),
                                  vtableSlot(&C::get_IDNumber),
                                  vtableSlot(&IRvlCompoundConstants::SetConstant),
                                  vtableSlot(&IRvlCompoundModification::EndEdit),
                                  vtableSlot(&IRvlErrorLog::AddMessage),
                                  vtableSlot(&IRvlFlashControlProvider::GetFlashControl),
                                  vtableSlot(&IRvlFlashControl::SetOption),
                                  vtableSlot(&D::EnableDerivatives),
                                  vtableSlot(&D::CanCalculate),
                                  vtableSlot(&D::CanCalculateDerivative)};
  EXPECT_EQ(slots, (std::vector<int>{8, 8, 7, 11, 13, 7, 9, 7, 7, 18, 7, 8, 9}));
}
