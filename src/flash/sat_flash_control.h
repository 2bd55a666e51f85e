#pragma once
//! Saturation flash control: on the first property request the component sets two options of
//! the host's own flash control, "I_O_PVNONSAT" and "I_O_PVSAT", to the values of its
//! configuration file, so that the host's handling of saturated and non-saturated flashes
//! suits the CAPE-OPEN package.
//!
//! Configuration: section "Flash" of the profile file beside the module ("CORavl11.ini"), one
//! integer per option name. -1 leaves the option as the host has it; a missing or empty key
//! means 0, except inside the maker's other host applications, where it leaves the option.

#include <array>

#include "comlite/com_ptr.h"
#include "comlite/types.h"

class CCOError;
struct IDispatch;

namespace coravl::flash {

//! The options set, in this order.
inline constexpr std::array<const char*, 2> kSatFlashOptions = {"I_O_PVNONSAT", "I_O_PVSAT"};
//! Section of the profile file that holds them.
inline constexpr const char* kSatFlashSection = "Flash";
//! The profile value that leaves an option as the host has it.
inline constexpr long kLeaveOption = -1;

//! Takes the host's flash control from `propertyCallback` (its IRvlFlashControlProvider) into
//! `control` (the IRvlFlashControl interface, held as IDispatch), unless one is held already,
//! and sets the options on it, each by the id the callback's property registry gives its name.
//! A provider without an object drops `control`; the options are then looked up but not set.
//! `otherHostApplication`: the component runs inside one of the maker's other host
//! applications. `profileFile`: the profile file (null: the one beside the module).
//! RETURNS: S_OK; S_FALSE (1) when the callback offers no flash-control provider or no
//! property registry; a failing status of the provider or of an option's setting. Anything
//! thrown is shown as "Crash in CORavlPP::changeSatFlashControl" and gives S_OK.
HRESULT changeSatFlashControl(IDispatch* propertyCallback, comlite::ComPtr<IDispatch>& control,
                              CCOError& reporter, bool otherHostApplication,
                              const char* profileFile = nullptr);

}  // namespace coravl::flash
