#pragma once
//! One phase of the host: its state, composition, compound list and sub-list, the values a
//! package writes into it, and its derivative requests with their answers.

#include <map>
#include <optional>
#include <vector>

#include "comlite/com_ptr.h"
#include "comlite/object.h"
#include "outside/ravelin_arrays.h"
#include "outside/ravelin_compounds.h"
#include "outside/ravelin_derivatives.h"
#include "outside/ravelin_phase.h"

namespace ravelin::detail {

class CompoundListObject;
class RealArrayObject;

class PhaseObject final
    : public comlite::ComObject<PhaseObject, IBasicPhase, IRvlSubCompList, IRvlDerivativeRequests> {
 public:
  using Primary = IBasicPhase;
  static constexpr IID kOwnIID = comlite::makeGuid("D47E97A0-6771-4E20-9F0E-5C160B55A730");

  struct DerivativeRequest {
    LONG propertyId = 0;
    LONG variableId = 0;
    bool wanted = true;
    LONG status = kDerivativePending;
    std::vector<double> values;  //!< one value, or one per compound of the phase's list
    bool written = false;
  };

  //! A new phase with an empty compound list, or nullptr when out of memory. (A phase made
  //! otherwise has no compound list nor composition array until setCompounds.)
  static comlite::ComPtr<IBasicPhase> make();
  //! Class-object creation (no aggregation).
  static HRESULT createInstance(IUnknown* outer, REFIID riid, void** ppv);

  HRESULT QueryInterface(REFIID riid, void** ppv) override;

  // IBasicPhase
  HRESULT get_Temperature(double* T) override;
  HRESULT put_Temperature(double T) override;
  HRESULT get_Pressure(double* P) override;
  HRESULT put_Pressure(double P) override;
  HRESULT get_PhaseType(LONG* type) override;
  HRESULT put_PhaseType(LONG type) override;
  HRESULT get_NominalType(LONG* type) override;
  HRESULT get_PhaseFraction(double* fraction) override;
  HRESULT put_PhaseFraction(double fraction) override;
  HRESULT get_Status(LONG* status) override;
  HRESULT put_Status(LONG status) override;
  HRESULT get_NumbOfComps(LONG* count) override;
  HRESULT get_Compounds(IDispatch** compounds) override;
  HRESULT get_Composition(IDispatch** composition) override;
  HRESULT put_Composition(IDispatch* composition) override;
  HRESULT get_LastValue(double* value) override;
  HRESULT put_Enthalpy(double H) override;
  HRESULT put_MolarVolume(double V) override;
  HRESULT put_HeatCapacity(double Cp) override;
  HRESULT SetPropertyValue(LONG propertyId, double value) override;
  HRESULT SetPropertyVector(LONG propertyId, LONG count, const double* values) override;
  HRESULT GetPropertyValue(LONG propertyId, double* value) override;
  HRESULT GetPropertyVector(LONG propertyId, LONG count, double* values) override;
  // IRvlSubCompList
  HRESULT GetSubCompList(LONG* count, IIntegerArrayDisp** mapping) override;
  // IRvlDerivativeRequests
  HRESULT get_Count(LONG* count) override;
  HRESULT GetRequest(LONG index, LONG* propertyId, LONG* variableId) override;
  HRESULT get_Wanted(LONG index, VARIANT_BOOL* wanted) override;
  HRESULT SetValue(LONG index, double value) override;
  HRESULT SetVector(LONG index, LONG count, const double* values) override;
  HRESULT put_RequestStatus(LONG index, LONG status) override;
  HRESULT get_RequestStatus(LONG index, LONG* status) override;

  void* queryExtra(REFIID riid) { return riid == kOwnIID ? static_cast<Primary*>(this) : nullptr; }

  // Builder side: no checks on state values, so that a host can hand over bad input.
  const comlite::ComPtr<IRvlCompoundList>& compounds() const { return m_compounds; }
  //! Takes a compound list; the composition becomes one zero per compound, any sub-list goes.
  void setCompounds(comlite::ComPtr<IRvlCompoundList> compounds);
  std::size_t fluidCount() const;
  std::size_t listCount() const;
  double temperature() const { return m_T; }
  void setTemperature(double T) { m_T = T; }
  double pressure() const { return m_P; }
  void setPressure(double P) { m_P = P; }
  LONG type() const { return m_type; }
  void setType(LONG type) { m_type = type; }
  LONG nominalType() const { return m_nominalType; }
  void setNominalType(LONG type) { m_nominalType = type; }
  double fraction() const { return m_fraction; }
  void setFraction(double fraction) { m_fraction = fraction; }
  LONG status() const { return m_status; }
  void setStatus(LONG status) { m_status = status; }
  std::vector<double> composition() const;
  //! Throws std::invalid_argument unless one value per fluid-package compound.
  void setComposition(const std::vector<double>& x);
  const std::optional<std::vector<LONG>>& subList() const { return m_subList; }
  //! Throws std::invalid_argument for an index outside the fluid package or a repeated one.
  void setSubList(std::optional<std::vector<LONG>> mapping);
  void offerSubList(bool offered) { m_offerSubList = offered; }
  void misreportCompoundCount(LONG count) { m_reportedCount = count; }
  void offerDerivatives(bool offered) { m_offerDerivatives = offered; }
  std::size_t addDerivativeRequest(LONG propertyId, LONG variableId, bool wanted);
  const std::vector<DerivativeRequest>& derivativeRequests() const { return m_requests; }
  void clearDerivativeRequests() { m_requests.clear(); }
  const std::map<LONG, double>& scalars() const { return m_scalars; }
  const std::map<LONG, std::vector<double>>& vectors() const { return m_vectors; }
  std::optional<double> lastValue() const { return m_lastValue; }
  //! Stores a scalar as a calculation would (no state mapping, no checks).
  void putScalar(LONG propertyId, double value) { m_scalars[propertyId] = value; }
  //! Forgets every written value and derivative answer.
  void clearResults();

 private:
  HRESULT writeScalar(LONG propertyId, double value);
  DerivativeRequest* request(LONG index);

  comlite::ComPtr<IRvlCompoundList> m_compounds;
  comlite::ComPtr<IRealArrayDisp> m_composition;
  double m_T = 298.15;
  double m_P = 101.325;
  LONG m_type = 0;
  LONG m_nominalType = 0;
  double m_fraction = 0;
  LONG m_status = kPhaseStatusUnknown;
  std::optional<std::vector<LONG>> m_subList;
  bool m_offerSubList = true;
  std::optional<LONG> m_reportedCount;
  bool m_offerDerivatives = true;
  std::map<LONG, double> m_scalars;
  std::map<LONG, std::vector<double>> m_vectors;
  std::optional<double> m_lastValue;
  std::vector<DerivativeRequest> m_requests;
  //! The compound mapping last handed out, handed out again once its taker let it go.
  comlite::ComPtr<IIntegerArrayDisp> m_mapping;
  //! Storage for a composition being read, exchanged with the composition's.
  std::vector<double> m_compositionScratch;
};

}  // namespace ravelin::detail
