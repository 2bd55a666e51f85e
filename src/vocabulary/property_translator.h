#pragma once
//! Property translators: one value of one property between the CAPE-OPEN side (SI, per mole,
//! plain fugacity coefficients) and the host side (kPa, per kmol, cP, dyne/cm, natural
//! logarithms of fugacities and activity coefficients).
//!
//! The map is CAPE-OPEN = (host ^ exponent) * multiplier + offset, with a basis step (times or
//! divided by the molecular weight) and a logarithm step between the host value and the power.
//! Translators belong to their factory (property_factory.h).

#include <string>

#include "comlite/types.h"

struct IUnknown;
class CRVLProperty;

class CCOPropertyTranslator {
 public:
  virtual ~CCOPropertyTranslator();
  //! This translator as one that knows the host's id, or nullptr (looked up per request).
  virtual CRVLProperty* hostAware() { return nullptr; }

  //! The molecular weight the basis conversion uses; the base class cannot ask a host
  //! component and reports it [kg/kmol].
  virtual double getMW(IUnknown* component);
  //! CAPE-OPEN value to host form. `derivVariable` is the derivative variable id (27
  //! temperature, 28 pressure, 25 and 26 the composition variables, or 0); a derivative is
  //! converted without the offset, and is NaN for a logarithmic row or a power, whose
  //! derivative needs the value itself (calc/value_conversion.h has the chain rule).
  //! RETURNS: NaN when the value has no finite host form: a value that is not finite, a
  //! basis step without a usable molecular weight, or a result that is not finite.
  virtual double CO2QO(double value, IUnknown* component, LONG derivVariable);
  //! Host value to CAPE-OPEN form: the exact inverse of CO2QO (its steps in reverse order),
  //! NaN in the same cases. A limit of the guarded exponential or logarithm of a logarithmic
  //! row is a marker and is returned as it is.
  virtual double QO2CO(double value, IUnknown* component, LONG derivVariable);

  //! -1 without a basis mode; 0 (reported) without a component; else getMW(component). The
  //! conversions use only a finite positive factor.
  double basisFactor(IUnknown* component);
  //! Stores the linear map; a zero multiplier is reported (and kept).
  void setConversion(double moleMultiplier, double offset, double massMultiplier);
  void setExponent(double exponent) { m_exponent = exponent; }
  //! 1: host = ln(CAPE-OPEN); -1: host = exp(CAPE-OPEN); 0: neither.
  void setLogMode(LONG mode) { m_logMode = mode; }
  //! 1: host = CAPE-OPEN times the molecular weight; -1: divided by it; 0: neither.
  void setBasisMode(LONG mode) { m_basisMode = mode; }

  LONG coId() const { return m_coId; }
  void setCOId(LONG id) { m_coId = id; }
  double moleMultiplier() const { return m_QO2COMoleMult; }
  double massMultiplier() const { return m_QO2COMassMult; }
  double offset() const { return m_offset; }
  double exponent() const { return m_exponent; }
  LONG logMode() const { return m_logMode; }
  LONG basisMode() const { return m_basisMode; }

 protected:
  double m_QO2COMoleMult = 1.0;
  double m_QO2COMassMult = 1.0;
  double m_exponent = 1.0;
  double m_offset = 0.0;
  LONG m_logMode = 0;
  LONG m_basisMode = 0;
  LONG m_coId = 0;
};

//! The concrete CAPE-OPEN translator.
class CCOProperty : public CCOPropertyTranslator {
 public:
  ~CCOProperty() override;
};

//! A translator that also knows the host framework's property id and name.
class CRVLProperty : public CCOProperty {
 public:
  //! Asks the host component for "MW" at 273.15 K and 101.325 kPa. A null component, or one
  //! without the host component interface, raises comlite::ComError(E_POINTER); a failing call
  //! is reported as "GetMW failed" and gives the host's no-value marker -32767.
  double getMW(IUnknown* component) override;
  CRVLProperty* hostAware() override { return this; }

  LONG rvlId() const { return m_rvlId; }
  void setRVLId(LONG id) { m_rvlId = id; }
  //! Where a registry lookup stores the id.
  LONG* rvlIdSlot() { return &m_rvlId; }
  const std::string& rvlName() const { return m_rvlName; }
  void setRVLName(std::string name) { m_rvlName = std::move(name); }

 private:
  LONG m_rvlId = 0;
  std::string m_rvlName;
};

//! Translator of a compound constant.
class CRVLCProp : public CRVLProperty {};
//! Translator of a derivative variable.
class CRVLDProp : public CRVLProperty {};
