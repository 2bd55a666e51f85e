#pragma once
//! CCOError: the component's error reporter.
//!
//! One message is composed from fixed fragments (a prefix chosen by the complaint kind, the
//! status, the caller's texts and, inside a calculation, a description of the calculation and
//! of the material) and routed by its level to the pop-up, trace and log channels, each
//! switched by the user's routing flags. The reporter also checks property values before they
//! are passed on, replacing unfeasible ones, and turns CAPE-OPEN errors into readable text
//! with the outside component capeErrorUtils.
//!
//! Texts are UTF-8 unless a parameter says wide. Null texts read as empty. Nothing here keeps
//! a pointer it was given: contexts, lists and compositions are copied, COM objects are held
//! by reference. CCOError's channels are the notice (message box) and the trace file; the
//! derived CCORavlError adds the host's error log.

#include <array>
#include <cstddef>
#include <deque>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "comlite/com_ptr.h"
#include "comlite/types.h"
#include "comlite/variant.h"
#include "reporter/complaint.h"

struct ICCAPEGUI;
struct ICapeErrorUtils;

class CCOError {
 public:
  //! Composition arrays kept for the material description.
  static constexpr LONG kMaxPhases = 4;
  //! Longest complaint text, in bytes: with the trace line header it stays within one trace
  //! line and one composed message, so it is never cut there (or reported as too long).
  static constexpr std::size_t kMessageMax = 2048;
  //! Appended by kinds 6 and 7.
  static constexpr const char* kVendorNotice = ". Contact this component's vendor. ";
  //! Carried by a report of package values, which is made once per property.
  static constexpr const char* kOnceOnlyNotice =
      "Be aware that, even if this circumstance occurs in the future,  no more messages will be "
      "displayed about it. ";

  //! `floorValue` replaces unfeasible property values. Creates capeErrorUtils; when that fails
  //! the failure is shown ("error creating capeErrorUtils") and the reporter works without it.
  explicit CCOError(double floorValue);
  CCOError(const CCOError&) = delete;
  CCOError& operator=(const CCOError&) = delete;

  // Virtual operations, in the order of their slots.

  //! Releases capeErrorUtils; a failure there is traced ("Crash releasing capeErrorUtils").
  virtual ~CCOError();
  //! Composes the complaint and routes it (level 2 inside a calculation, else 1). `outText`,
  //! when given, receives the message. RETURNS: the status with 2 to 999 made E_FAIL, or S_OK
  //! for kind 8. A failure while composing or routing is shown as "Internal error"
  //! ("complainErrorCore") and does not change the result.
  virtual HRESULT complainErrorCore(HRESULT status, const OLECHAR* message, ComplaintKind kind,
                                    bool inCalculation, const OLECHAR* extra,
                                    std::string* outText = nullptr);
  //! Traces E_FAIL with `text` in the trace file. RETURNS: 1.
  virtual HRESULT traceMessage(const char* text, int level);
  //! Traces one material line: "L" when `liquid`, else "V", with `composition` (the reporter's
  //! number of compounds of values; null reads as none) and "<prefix>, " before it. RETURNS: 0.
  virtual HRESULT traceMaterialState(double temperatureK, double pressurePa,
                                     const double* composition, bool liquid, const char* prefix);
  //! Called with 0 for reports of level 4 and above.
  virtual HRESULT severeLevelHook(int code) = 0;
  //! Checks, repairs and reports the values of a property (see the .cpp for the rules). Only
  //! the first `values.size()` values are ever read or written. RETURNS: S_OK when all values
  //! are good (rounding noise of a clamped property floored); E_FAIL when some were not, each
  //! time reported (and floored), whoever gave them.
  virtual HRESULT checkPropertyValues(std::span<double> values, LONG propertyId,
                                      std::string* outText, LONG compoundIndex, bool fromPackage,
                                      const char* context);
  //! Shows `text` as a failure (E_FAIL). RETURNS: E_FAIL, the status it reported.
  virtual HRESULT popUpMessage(const char* text, const char* context, int level);
  //! Shows the message box for `status` when the pop-up channel is open for `level`.
  //! RETURNS: the box's (normalised) status, or 0 when the channel is closed.
  virtual HRESULT popUpError(HRESULT status, const char* text, const char* context, int level);
  //! reportAtLevel with E_FAIL.
  virtual HRESULT reportMessage(const char* text, int level);
  //! routeMessage with the wide text as UTF-8.
  virtual HRESULT reportAtLevel(HRESULT status, const OLECHAR* text, int level);

  // Complaints.

  //! complainErrorCore with UTF-8 texts.
  HRESULT complain(HRESULT status, const char* message, ComplaintKind kind, bool inCalculation,
                   const char* extra = nullptr, std::string* outText = nullptr);
  //! complain with S_OK for kinds 0, 3 and 4 and E_FAIL for every other kind.
  HRESULT complainByKind(const char* message, ComplaintKind kind, bool inCalculation,
                         const char* extra = nullptr, std::string* outText = nullptr);
  //! Reports an error raised by a CAPE-OPEN object as a kind-6 complaint. For a CAPE-OPEN
  //! error code (0x80040501 to 0x80040517) with a failing object and no pending error
  //! information, capeErrorUtils describes it from the object's ECapeUser / ECapeRoot;
  //! otherwise (or without capeErrorUtils) the description is the composed message of
  //! `status`, `text` and `context`, which carries the pending information. A failure of
  //! capeErrorUtils raises comlite::ComError.
  HRESULT reportCapeError(const char* text, HRESULT status, IUnknown* failingObject,
                          bool inCalculation, const char* context);
  //! Sends a finished message to the channels open for `level`. RETURNS: traceMessage's result
  //! when only the trace channel took it, else 0.
  HRESULT routeMessage(HRESULT status, const char* text, int level);
  //! Appends `fragment` and, for a status other than 0, 100 and E_FAIL, "(<status>)", when a
  //! channel is open for `level` and there is something to append. Never passes kMessageMax.
  void appendPiece(std::string& message, std::string_view fragment, int level,
                   HRESULT status) const;

  // Context of the current call.

  //! Keeps the GUI component (a reference is held) and reads the package's texts from it. A
  //! failing call raises comlite::ComError for ICCAPEGUI. Null forgets the component.
  void setPackageInfo(ICCAPEGUI* gui);
  //! Copies the calculation context: CAPE-OPEN property names, phase labels (one or two), the
  //! calculation type and the phase ids of the labels.
  void setCalcContext(const VARIANT& properties, const VARIANT& phaseLabels, const char* calcType,
                      LONG phaseId0, LONG phaseId1 = 0);
  //! Copies the material state: `nComps` values of each of the first `nPhases` arrays (null
  //! arrays, and phases beyond `nPhases`, are kept empty). More than kMaxPhases phases is
  //! reported and cut.
  void SetTPFraction(double temperatureK, double pressurePa, const double* const* fractions,
                     LONG nComps, LONG nPhases);
  //! Sets the number of compounds alone (for a caller whose material state is not given).
  void setNumberOfCompounds(LONG nComps);

  //! "calculating {<properties>, <phase labels>, <calculation type>}".
  std::string describeCalculation() const;
  //! One line per phase label of the calculation context, without separators.
  std::string describeMaterial() const;

  // State.

  RoutingFlags& routingFlags() { return m_flags; }
  const RoutingFlags& routingFlags() const { return m_flags; }
  double floorValue() const { return m_floor; }
  LONG numberOfCompounds() const { return m_nComps; }
  LONG currentPhases() const { return m_currentPhases; }
  //! The package texts 0 to 3 (first, second, third, fourth); "" for any other index.
  const std::string& packageText(int index) const;
  //! The third package text when not empty, else the first.
  const std::string& packageLabel() const;
  //! The package's name as the GUI component gives it now; the first text when it cannot.
  std::string packageName() const;
  //! Whether checkPropertyValues has reported this property.
  bool wasReported(LONG propertyId) const;
  bool hasCapeErrorUtils() const { return static_cast<bool>(m_errorUtils); }

 private:
  void createCapeErrorUtils();
  std::string kindPrefix(ComplaintKind kind) const;
  std::string materialLine(const char* prefix, bool liquid, std::span<const double> x) const;

  std::map<LONG, bool> m_reported;
  std::array<std::string, 4> m_packageTexts;
  comlite::ComPtr<ICCAPEGUI> m_gui;
  LONG m_nComps = 0;
  double m_floor;
  comlite::Variant m_calcProperties;
  comlite::Variant m_calcPhaseLabels;
  //! Lists of earlier contexts, taken back when a request repeats one (at most kEarlierLists).
  static constexpr std::size_t kEarlierLists = 16;
  std::deque<comlite::Variant> m_earlierProperties, m_earlierPhaseLabels;
  static void keepList(comlite::Variant& held, const VARIANT& wanted,
                       std::deque<comlite::Variant>& earlier);
  std::array<LONG, 2> m_calcPhaseIds{};
  std::string m_calcType;
  double m_pressurePa = 0.0;
  double m_temperatureK = 0.0;
  std::array<std::vector<double>, kMaxPhases> m_fractions;
  LONG m_currentPhases = 0;
  comlite::ComPtr<ICapeErrorUtils> m_errorUtils;
  RoutingFlags m_flags;
};
