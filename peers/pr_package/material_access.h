#pragma once
//! The package's side of a material object: reads states and specification values through
//! ICapeThermoMaterial and writes results back, translating between the material's compound
//! list and the package's compound order.
//!
//! The material may hold any subset of the package's compounds in any order: compositions read
//! from it get zeros for the compounds it lacks, and per-compound results (n values, or n x n
//! for composition derivatives of per-compound properties) are cut down to its compounds in
//! its order. Failures of the material pass on unchanged (a forwarded CapeError).

#include <span>
#include <string>
#include <vector>

#include "comlite/com_ptr.h"
#include "comlite/variant.h"
#include "outside/capeopen_thermo.h"
#include "pr_package/model/property_package.h"

namespace prcape {

class MaterialAccess {
 public:
  //! Binds to `material` (nullptr unbinds): it must answer ICapeThermoMaterial; when it also
  //! answers ICapeThermoCompounds, each of its compounds must be one of `package`'s (by id or
  //! CAS number), else ECapeInvalidArgument at argument 1. Without it the material is taken to
  //! hold the package's compounds in the package's order.
  void bind(IDispatch* material, const pr::PropertyPackage& package, const char* scope);
  void reset();
  bool bound() const { return static_cast<bool>(m_material); }
  //! The material; ECapeBadInvOrder (requested "SetMaterial") when none is bound.
  ICapeThermoMaterial& material(const char* scope) const;
  //! Number of compounds of the material.
  std::size_t compoundCount() const { return m_map.size(); }

  //! Temperature [K], pressure [Pa] and mole fractions (package order) of a phase.
  void phaseState(const std::string& label, double& T_K, double& P_Pa, std::vector<double>& x,
                  const char* scope) const;
  //! phaseState for a label as a BSTR (`text` its UTF-8, for messages).
  void phaseState(BSTR label, const std::string& text, double& T_K, double& P_Pa,
                  std::vector<double>& x, const char* scope) const;
  //! Overall mole fractions in package order, into `z`.
  void overallFractions(std::vector<double>& z, const char* scope) const;
  //! A scalar overall property (`basis` nullptr where the basis does not apply; `text` the
  //! property's name, for messages).
  double overallValue(BSTR property, BSTR basis, const std::string& text, const char* scope) const;
  //! A scalar property of a phase.
  double phaseValue(const std::string& property, const std::string& label, const std::string& basis,
                    const char* scope) const;
  //! The labels (as given) and statuses of the present phases (empty when none is present),
  //! the vectors' storage reused.
  void presentPhases(std::vector<std::u16string>& labels, std::vector<LONG>& status,
                     const char* scope) const;

  //! Per-compound values of the package (n, or n x n row-major) in the material's compounds
  //! and order; other sizes unchanged.
  void toMaterialOrder(const std::vector<double>& values, std::vector<double>& out) const;
  //! Values of the material's compounds (one each) in package order, zeros for the others;
  //! ECapeBadArgument at `position` for a wrong count.
  void toPackageOrder(const std::vector<double>& values, std::vector<double>& out, const char* what,
                      SHORT position, const char* scope) const;

  //! Writes a phase property; `basis` "mole" or "" (UNDEFINED, where the basis does not apply).
  void setPhaseProp(const std::string& property, const std::string& label, const std::string& basis,
                    const std::vector<double>& values, const char* scope) const;
  //! setPhaseProp of BSTR arguments (`basis` nullptr where the basis does not apply); the
  //! values go in `array`, reused when it already holds as many.
  void setPhaseProp(BSTR property, BSTR label, BSTR basis, const std::vector<double>& values,
                    comlite::Variant& array, const char* scope) const;
  void setTwoPhaseProp(const std::string& property, const VARIANT& labels,
                       const std::vector<double>& values, const char* scope) const;
  void setOverallProp(const std::string& property, const std::vector<double>& values,
                      const char* scope) const;
  void setPresentPhases(std::span<const std::u16string> labels, std::span<const LONG> status,
                        const char* scope) const;

 private:
  comlite::ComPtr<ICapeThermoMaterial> m_material;
  comlite::ComPtr<ICapeThermoCompounds> m_compounds;  //!< the material's, when it has them
  IDispatch* m_given = nullptr;                       //!< as the material handed itself over
  std::vector<std::size_t> m_map;                     //!< material compound k -> package index
  std::size_t m_packageCount = 0;
  bool m_identity = true;              //!< the material holds the package's compounds in its order
  mutable std::vector<double> m_read;  //!< values read from the material, reused
  //! The material's answers ([in, out]) and the lists handed to it, kept between calls: a
  //! material refills them in place.
  mutable comlite::Variant m_gotList, m_gotValue, m_gotLabels, m_gotStatus, m_putLabels,
      m_putStatus;
};

}  // namespace prcape
