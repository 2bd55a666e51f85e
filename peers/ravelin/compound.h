#pragma once
//! Builder handles of the host's compounds and of the fluid package's compound list.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "comlite/com_ptr.h"
#include "outside/ravelin_compounds.h"
#include "ravelin/api.h"

namespace ravelin {

//! What the host knows of a compound when it adds it to a fluid package.
struct CompoundSpec {
  std::string name;
  std::string casNumber;
  std::string formula;
  LONG idNumber = 0;                        //!< 1 to 19999 library, 20000 and above hypothetical
  std::map<std::string, double> constants;  //!< by host code ("MW", "TC", ...), host units
};

class RAVELIN_API Compound {
 public:
  //! Throws std::invalid_argument for a constant code the registry does not know.
  static Compound create(const CompoundSpec& spec);
  static std::optional<Compound> from(IUnknown* object);

  std::string name() const;
  std::string casNumber() const;
  std::string formula() const;
  LONG idNumber() const;
  //! Replaces name, CAS number, formula and id number (the constants stay).
  void setIdentity(const CompoundSpec& spec);

  std::optional<double> constant(std::string_view code) const;
  //! Every constant by the registry's spelling of its code.
  std::map<std::string, double> constants() const;
  //! Sets a constant as committed data. Throws std::invalid_argument for an unknown code.
  void setConstant(std::string_view code, double value);
  //! Number of committed edits (IRvlCompoundModification::EndEdit with 0).
  int commitCount() const;

  IDispatch* dispatch() const;

 private:
  friend class CompoundList;
  explicit Compound(comlite::ComPtr<IRvlCompound> object);
  comlite::ComPtr<IRvlCompound> m_object;
};

class RAVELIN_API CompoundList {
 public:
  static CompoundList create(const std::vector<Compound>& compounds);
  static std::optional<CompoundList> from(IUnknown* object);

  std::size_t size() const;
  //! Throws std::out_of_range.
  Compound at(std::size_t index) const;
  IDispatch* dispatch() const;

 private:
  explicit CompoundList(comlite::ComPtr<IRvlCompoundList> object);
  comlite::ComPtr<IRvlCompoundList> m_object;
};

}  // namespace ravelin
