#pragma once
//! One compound of the host: identity, constants in host units, and edits of those constants.

#include <map>
#include <string>

#include "comlite/object.h"
#include "outside/ravelin_compounds.h"

namespace ravelin::detail {

class CompoundObject final
    : public comlite::ComObject<CompoundObject, IRvlCompound, IRvlComponent, IRvlCompoundData,
                                IRvlCompoundConstants, IRvlCompoundModification> {
 public:
  using Primary = IRvlCompound;
  static constexpr IID kOwnIID = comlite::makeGuid("80918E78-40DC-4793-BD65-584E051ACC69");

  struct Identity {
    std::string name;
    std::string casNumber;
    std::string formula;
    LONG idNumber = 0;
  };
  //! Constants by their code as the registry spells it.
  using Constants = std::map<std::string, double>;

  // IRvlCompound
  HRESULT get_Name(BSTR* name) override;
  HRESULT GetNormalBoilingPoint(double T, double P, double* value) override;
  HRESULT GetMolecularWeight(double T, double P, double* value) override;
  HRESULT get_Formula(BSTR* formula) override;
  HRESULT get_CASNumber(BSTR* casNumber) override;
  HRESULT get_IsHypothetical(VARIANT_BOOL* hypothetical) override;
  HRESULT get_IDNumber(LONG* idNumber) override;
  // IRvlComponent
  HRESULT GetPropertyValue(BSTR name, double T, double P, double* value) override;
  // IRvlCompoundData
  HRESULT get_ConstantCount(LONG* count) override;
  HRESULT GetConstantName(LONG index, BSTR* name) override;
  HRESULT GetConstant(BSTR name, double* value) override;
  // IRvlCompoundConstants
  HRESULT SetConstant(BSTR name, LONG unitSet, double value) override;
  HRESULT ClearConstant(BSTR name) override;
  // IRvlCompoundModification
  HRESULT get_Modified(VARIANT_BOOL* modified) override;
  HRESULT BeginEdit() override;
  HRESULT EndEdit(LONG cancel) override;

  void* queryExtra(REFIID riid) { return riid == kOwnIID ? static_cast<Primary*>(this) : nullptr; }

  const Identity& identity() const { return m_identity; }
  void setIdentity(Identity identity) { m_identity = std::move(identity); }
  const Constants& constants() const { return m_constants; }
  //! Sets a constant as committed data (no edit is recorded). Throws for an unknown code.
  void putConstant(const std::string& code, double value);
  int commits() const { return m_commits; }

 private:
  //! The registry's spelling of a code, or "" when the registry does not know it.
  static std::string canonicalCode(BSTR name);
  HRESULT constantAtState(const char* code, double T, double P, double* value) const;

  Identity m_identity;
  Constants m_constants;
  Constants m_committed;  //!< the constants as of the last commit or BeginEdit
  int m_commits = 0;
};

}  // namespace ravelin::detail
