#pragma once
//! The package's setup view: the exchange of the package options with the package GUI
//! component, through which the user edits what the case persists.
//!
//! One view, in this order (ICCAPEGUI positions):
//!   to the GUI      46 second-liquid request and the open-view request, 48 doOrderPhases,
//!                   36 allowSubsets, freeCompounds, treatAsHypos,
//!                   39 recoverable-error routing, 50 critical-error routing
//!   the view        30 the view notice flag (the GUI shows the view), then the flag is cleared
//!   from the GUI    32 allowSubsets, freeCompounds, treatAsHypos, 45 second-liquid request,
//!                   47 doOrderPhases, 40 recoverable-error routing, 49 critical-error routing
//! Each option takes effect as it is read back. While treatAsHypos is set, every view then
//! renames the package compounds for the simulator (compound id + '*') and hands the names to
//! the package adapter.

#include "comlite/types.h"
#include "reporter/complaint.h"

struct ICCAPEGUI;
struct IPackageAdapter;
struct VARIANT;

namespace coravl::setup {

struct ComponentOptions;
class FlashSpecNames;

//! The component's state that one view reads and changes, bound by reference for the view.
struct SetupViewState {
  ComponentOptions& options;
  RoutingFlags& routing;  //!< the error reporter's six routing flags
  FlashSpecNames& flashSpecNames;
  //! 1 until the first view of a new package (a recall clears it); given to the GUI by each
  //! view and cleared afterwards.
  BYTE& viewNotice;
  const VARIANT& compIds;  //!< "SelectedCompIds", strings
  VARIANT& qoNames;        //!< "SelectedCompQoNames", strings; renamed in place
};

//! Runs one view with the package GUI component `gui`.
//!   - `openView` (may be null) is handed to the GUI with the second-liquid request.
//!   - `adapter` receives "SelectedCompQoNames" when treatAsHypos is set after the view.
//! RETURNS: S_OK; E_POINTER without a GUI component (nothing is exchanged); the status of the
//! first failing GUI call (the options read back before it keep their new values); a failed
//! doOrderPhases read or adapter write after it was shown through the generic error box
//! ("Unexpected error "). Position 48's result is not checked. Nothing throws.
HRESULT showSetupView(ICCAPEGUI* gui, IPackageAdapter* adapter, SetupViewState& state,
                      VARIANT_BOOL* openView) noexcept;

//! The names under which the simulator sees the package compounds offered as hypothetical:
//! element k of `qoNames` becomes element k of `compIds` followed by '*' (built from the id, so
//! a name never gains a second '*'). `qoNames` keeps its bounds and any elements beyond the
//! ids; a `qoNames` that is not a list of at least as many strings becomes a new list of
//! strings, lower bound 0. Raises std::bad_alloc when the list cannot be made.
void nameCompoundsAsHypothetical(const VARIANT& compIds, VARIANT& qoNames);

}  // namespace coravl::setup
