#pragma once
//! The eleven package options that the component persists in the simulator's case (after the
//! package adapter's own records) and exchanges with the setup view.
//!
//! Five are the component object's own (ComponentOptions); the six routing flags belong to the
//! error reporter (RoutingFlags, reporter/complaint.h). PackageOptions gathers all eleven as one
//! value for saving, recalling and the view.
//!
//!   #  key                          kept in                           construction  recall default
//!   1  treatAsHypos                 ComponentOptions                  false         false
//!   2  allowSubsets                 ComponentOptions                  false         false
//!   3  freeCompounds                ComponentOptions                  false         false
//!   4  traceRecovErrors             RoutingFlags                      true          true
//!   5  logRecovErrors               RoutingFlags                      false         false
//!   6  popUpRecovErrors             RoutingFlags                      false         false
//!   7  traceCritErrors              RoutingFlags                      true          true
//!   8  logCritErrors                RoutingFlags                      true          false
//!   9  popUpCritErrors              RoutingFlags                      true          true
//!  10  requestSelvarLiquid2flash    ComponentOptions                  false         false
//!  11  doOrderPhases                ComponentOptions                  false (1)     value held
//! (1) On a first setup, true for the package whose ProgID is "COVantelPropSys.CVantelPropSys".

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "comlite/types.h"
#include "reporter/complaint.h"

struct IPackageAdapter;

namespace coravl::setup {

//! The options in the order in which they are saved.
enum class PackageOption : int {
  TreatAsHypos,
  AllowSubsets,
  FreeCompounds,
  TraceRecovErrors,
  LogRecovErrors,
  PopUpRecovErrors,
  TraceCritErrors,
  LogCritErrors,
  PopUpCritErrors,
  RequestSelvarLiquid2flash,
  DoOrderPhases,
};
inline constexpr std::size_t kPackageOptionCount = 11;

//! Every option, in save order.
inline constexpr std::array<PackageOption, kPackageOptionCount> kPackageOptionsInOrder{
    PackageOption::TreatAsHypos,    PackageOption::AllowSubsets,
    PackageOption::FreeCompounds,   PackageOption::TraceRecovErrors,
    PackageOption::LogRecovErrors,  PackageOption::PopUpRecovErrors,
    PackageOption::TraceCritErrors, PackageOption::LogCritErrors,
    PackageOption::PopUpCritErrors, PackageOption::RequestSelvarLiquid2flash,
    PackageOption::DoOrderPhases};

//! The options the component object keeps itself, with their construction values.
struct ComponentOptions {
  //! Every package compound is offered to the simulator as a hypothetical compound.
  bool treatAsHypos = false;
  //! The fluid package may hold a subset of the package's compounds.
  bool allowSubsets = false;
  //! The simulator chooses its compounds freely.
  bool freeCompounds = false;
  //! Ask the vendor's own packages for flashes that look for a second liquid phase.
  bool requestSelvarLiquid2flash = false;
  //! Phase ordering on request of the simulator.
  bool doOrderPhases = false;
};

//! All eleven options as one value.
struct PackageOptions {
  ComponentOptions component;
  RoutingFlags routing;

  bool get(PackageOption option) const;
  void set(PackageOption option, bool value);
};

//! The key of an option's record ("treatAsHypos", ...).
const char* optionKey(PackageOption option);
//! What a recall gives an option whose record is missing, empty or unreadable; doOrderPhases
//! keeps its value in `current`.
bool recallDefault(PackageOption option, const PackageOptions& current);

//! The ProgID of the package for which a first setup turns phase ordering on.
inline constexpr const char* kOrderPhasesProgId = "COVantelPropSys.CVantelPropSys";
//! Whether a first setup of the package with this ProgID turns phase ordering on (name
//! equality).
bool ordersPhasesOnFirstSetup(std::u16string_view packageProgId);

//! Appends the eleven option records, in save order, each as a boolean, to `list`.
//! RETURNS: true; false, `list` unchanged, when `list` is not a record list (records appended
//! to it could not be found again).
bool appendOptionRecords(std::u16string& list, const PackageOptions& options);

//! Reads the options from `first` to `last` (save order, both included) from `list`, each with
//! its recall default, and stores them in `options`. No message: a bad record is a default.
void recallOptions(std::u16string_view list, PackageOptions& options, PackageOption first,
                   PackageOption last);
//! The first step of a recall, before the package is initialised: options 1 to 9 (treatAsHypos
//! to popUpCritErrors) into the component's options and the reporter's routing flags.
void recallOptionsBeforeInit(std::u16string_view list, ComponentOptions& component,
                             RoutingFlags& routing);
//! The step after initialisation: stores doOrderPhases (default: the value held) and returns
//! requestSelvarLiquid2flash (default false), which the caller applies with
//! applySecondLiquidRequest (flash_spec_names.h) rather than storing it directly.
bool recallOptionsAfterInit(std::u16string_view list, ComponentOptions& component);

//! Makes `options` take effect: the component's options and the reporter's routing flags
//! (CCOError::routingFlags()). A changed second-liquid request also needs
//! applySecondLiquidRequest, which recomputes the flash specification names.
void applyOptions(const PackageOptions& options, ComponentOptions& component,
                  RoutingFlags& routing);

//! The key of the record that holds an adapter's save text which is not a record list.
inline constexpr std::u16string_view kAdapterTextKey = u"adapterSaveText";

//! A record the component saves after its options.
struct SaveRecord {
  std::u16string_view key;
  std::u16string_view value;
};

//! The save of the package: the adapter's save text (IPackageAdapter::Save, position 14)
//! followed by the eleven option records and then `extra`.
//!   - An adapter text that is a record list is extended in place (the header counts every
//!     record). Any other text (another format, bytes after the records) is kept unchanged as
//!     the value of a first record "adapterSaveText", and the component's records follow it;
//!     adapterText() gives it back for the recall.
//!   - `*saveinfo` (in-out) is freed and set to null first; on success it receives a new
//!     string the caller frees.
//!   - A null `saveinfo` gives E_POINTER, nothing else is done.
//!   - A null adapter raises comlite::ComError(E_POINTER); a failing save raises
//!     comlite::ComError with the adapter's status, both for IPackageAdapter; `*saveinfo`
//!     stays null.
//! RETURNS: S_OK, E_POINTER as above, E_OUTOFMEMORY when the result cannot be allocated.
HRESULT savePackage(IPackageAdapter* adapter, const PackageOptions& options,
                    std::span<const SaveRecord> extra, BSTR* saveinfo);

//! The part of a saved case that goes to the adapter's recall: the value of a first record
//! "adapterSaveText", else the whole text.
std::u16string_view adapterText(std::u16string_view saved);

}  // namespace coravl::setup
