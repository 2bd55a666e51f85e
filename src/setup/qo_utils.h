#pragma once
//! QoUtils: facts about the simulator process that compound matching relies on.
//!
//! Computed once per process, on the first query of any service below: the CAS-number table
//! (read from "DltCASnos.txt" in the component's own directory), then the version of the
//! simulator and of its companion design application. Read-only afterwards.
//!
//! Versions. On Windows they come from the file version of the loaded "quorel.exe" and
//! "kestrow.exe". Here a module counts as loaded when the program itself or a loaded shared
//! library has the base name "quorel.exe", "quorel", "libquorel.so" or "quorel.so" (the same
//! forms for kestrow). Linux modules carry no version resource: the version text is taken from
//! the environment variable CORAVL_QUOREL_VERSION (CORAVL_KESTROW_VERSION), read like a
//! "FileVersion" text ("3.1.0.12" or "3, 1, 0, 12"). A module without that variable, or no
//! module at all, gives version 0.
//!
//! CAS-number file: lines "<host id>, <name> <CAS number>", read as by the C format
//! "%d, %s %s" (see readCasNumberFile). The table's slot of a host id is the id for 1 to 999
//! and the id minus 2000 for 3000 to 3768; other ids have no slot.

#include <optional>
#include <string>
#include <string_view>

#include "comlite/types.h"

class QoUtils {
 public:
  //! Slots of the CAS-number table.
  static constexpr LONG kTableSlots = 1769;
  //! Lines the CAS-number file is expected to hold.
  static constexpr LONG kExpectedCompounds = 1764;
  //! Longest name and CAS number of the file, in characters.
  static constexpr std::size_t kMaxNameLength = 15;
  static constexpr std::size_t kMaxCasLength = 11;
  static constexpr const char* kCasFileName = "DltCASnos.txt";
  //! Environment variables that give the version texts of the two applications.
  static constexpr const char* kHostVersionVariable = "CORAVL_QUOREL_VERSION";
  static constexpr const char* kCompanionVersionVariable = "CORAVL_KESTROW_VERSION";
  //! First host id of a hypothetical compound.
  static constexpr LONG kFirstHypotheticalId = 20000;

  //! The simulator's version as major * 100 + minor * 10 (3.1 gives 310); 0 when it is not
  //! the hosting process.
  static LONG hostVersion();
  //! The companion design application's version, the same way.
  static LONG companionVersion();
  //! Whether the companion application hosts the component.
  static bool companionVersionNotZero() { return companionVersion() != 0; }
  //! Whether a host id number names a hypothetical compound (20000 and above).
  static bool isHypothetical(LONG hostId);

  //! The compound name match: neither name empty, and either equal by name equality, or one
  //! is the other followed by a single '*' ("Water*" matches "water"; "Water**" does not).
  //! Symmetric. A pure rule: it does not start the process-wide computation.
  static bool compoundNamesMatch(std::u16string_view a, std::u16string_view b);
  static bool compoundNamesMatch(const OLECHAR* a, const OLECHAR* b);
  static bool compoundNamesMatch(std::string_view a, std::string_view b);

  //! The table slot of a host id; -1 when it has none.
  static LONG tableSlot(LONG hostId);
  //! Name and CAS number stored for a host id (absent when none was read).
  static std::optional<std::string> tableName(LONG hostId);
  static std::optional<std::string> tableCasNumber(LONG hostId);

  //! "major * 100 + minor * 10" of a version text: its first two runs of digits ("3.1.0.7"
  //! and "3, 1" give 310; a single number gives major * 100); 0 without digits.
  static LONG versionFromText(std::string_view versionText);
  //! The version of a loaded module named `baseName` (forms above), read from the environment
  //! variable `versionVariable`; 0 when no such module is loaded or the variable is unset.
  static LONG applicationVersion(const std::string& baseName, const char* versionVariable);

  //! Empties the table and fills it from `path`, showing the file's messages ("Cannot open
  //! DltCASnos.txt", the short-count warning, "could not read 3 fields of one line",
  //! "component name too long", "casno name too long", "problem reading component list").
  //! Entries read before a message stay. RETURNS: the line counter (1 + lines stored).
  static LONG readCasNumberFile(const std::string& path);

  //! FOR TESTS ONLY: forgets everything computed, as in a fresh process.
  static void resetForTests();
  //! FOR TESTS ONLY: takes these versions as computed (the CAS-number file is not read).
  static void setVersionsForTests(LONG hostVersion, LONG companionVersion);

 private:
  static void ensureComputed();
};
