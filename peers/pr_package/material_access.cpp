#include "pr_package/material_access.h"

#include <algorithm>

#include "capeside/support/cape_error.h"
#include "capeside/support/error_object.h"
#include "capeside/support/variant_lists.h"
#include "comlite/bstr.h"
#include "comlite/safearray.h"
#include "pr_package/model/error.h"

namespace prcape {

using capeside::CapeError;
using capeside::cat;

namespace {

constexpr const char* kMaterialInterface = "ICapeThermoMaterial";

//! A BSTR argument: nullptr for an empty text (UNDEFINED).
comlite::Bstr optionalText(const std::string& s) {
  return s.empty() ? comlite::Bstr() : comlite::Bstr(s);
}

//! The one value of `v`: the overall `property`, or that of phase `label` when one is given
//! (named in the message, which is made only on failure).
double scalarOf(const comlite::Variant& v, const std::string& property, const std::string* label,
                const char* scope) {
  // The usual answers, a number or a list of one, read without a copy.
  if (v.vt == VT_R8) return v.dblVal;
  if (v.vt == (VT_ARRAY | VT_R8) && v.parray && comlite::safeArrayCount(v.parray) == 1)
    return *static_cast<const double*>(v.parray->pvData);
  auto values = capeside::doubleList(v);
  if (!values || values->size() != 1)
    throw CapeError(ECapeBadArgumentHR, scope,
                    cat("the material gave ", values ? values->size() : 0, " values of ",
                        label ? property : "overall " + property,
                        label ? cat(" of phase \"", *label, "\"") : "", " instead of one"));
  return values->front();
}

}  // namespace

void MaterialAccess::bind(IDispatch* materialObject, const pr::PropertyPackage& package,
                          const char* scope) {
  if (!materialObject) {
    reset();
    return;
  }
  // A material hands itself over before every calculation: the one held keeps its compound
  // mapping unless its number of compounds changed. Handed over at the same address it is the
  // same object (it is held, so alive), known without a query.
  const auto sameCount = [this](ICapeThermoCompounds& compounds) {
    LONG count = 0;
    return SUCCEEDED(compounds.GetNumCompounds(&count)) && count >= 0 &&
           static_cast<std::size_t>(count) == m_map.size();
  };
  if (materialObject == m_given && m_material && m_compounds && sameCount(*m_compounds)) return;
  comlite::ComPtr<IDispatch> disp(materialObject);
  auto mo = disp.as<ICapeThermoMaterial>();
  if (!mo)
    throw CapeError(ECapeInvalidArgumentHR, scope, "the material has no ICapeThermoMaterial").at(1);
  auto compounds = disp.as<ICapeThermoCompounds>();
  if (mo.get() == m_material.get() && compounds && sameCount(*compounds)) {
    m_compounds = std::move(compounds);
    m_given = materialObject;
    return;
  }
  std::vector<std::size_t> map;
  if (compounds) {
    comlite::Variant ids, formulae, names, tb, mw, cas;
    capeside::check(compounds->GetCompoundList(&ids, &formulae, &names, &tb, &mw, &cas),
                    compounds.get(), "ICapeThermoCompounds", "GetCompoundList");
    const std::vector<std::string> idList =
        capeside::stringList(ids).value_or(std::vector<std::string>{});
    const std::vector<std::string> casList =
        capeside::stringList(cas).value_or(std::vector<std::string>{});
    for (std::size_t k = 0; k < idList.size(); ++k) {
      try {
        map.push_back(package.compound_index(idList[k]));
      } catch (const pr::Error&) {
        // Clients should match compounds by CAS number when the ids differ.
        if (k >= casList.size() || casList[k].empty())
          throw CapeError(ECapeInvalidArgumentHR, scope,
                          cat("compound \"", idList[k], "\" of the material is not in the package"))
              .at(1);
        try {
          map.push_back(package.compound_index(casList[k]));
        } catch (const pr::Error&) {
          throw CapeError(ECapeInvalidArgumentHR, scope,
                          cat("compound \"", idList[k], "\" (CAS ", casList[k],
                              ") of the material is not in the package"))
              .at(1);
        }
      }
    }
  } else {
    for (std::size_t i = 0; i < package.compound_count(); ++i) map.push_back(i);
  }
  m_packageCount = package.compound_count();
  m_identity = map.size() == m_packageCount;
  for (std::size_t k = 0; k < map.size() && m_identity; ++k) m_identity = map[k] == k;
  m_material = std::move(mo);
  m_compounds = std::move(compounds);
  m_given = materialObject;
  m_map = std::move(map);
}

void MaterialAccess::reset() {
  m_material.reset();
  m_compounds.reset();
  m_given = nullptr;
  m_map.clear();
  m_identity = true;
}

ICapeThermoMaterial& MaterialAccess::material(const char* scope) const {
  if (!m_material)
    throw CapeError(ECapeBadInvOrderHR, scope, "no material object is set")
        .requested("SetMaterial");
  return *m_material;
}

void MaterialAccess::phaseState(const std::string& label, double& T_K, double& P_Pa,
                                std::vector<double>& x, const char* scope) const {
  phaseState(comlite::Bstr(label).get(), label, T_K, P_Pa, x, scope);
}

void MaterialAccess::phaseState(BSTR label, const std::string& text, double& T_K, double& P_Pa,
                                std::vector<double>& x, const char* scope) const {
  ICapeThermoMaterial& mo = material(scope);
  capeside::check(mo.GetTPFraction(label, &T_K, &P_Pa, &m_gotList), &mo, kMaterialInterface,
                  "GetTPFraction");
  if (!capeside::readDoubleList(m_gotList, m_read))
    throw CapeError(ECapeBadArgumentHR, scope,
                    cat("the composition of phase \"", text, "\" is not a list of numbers"));
  // The message is made only when it is needed.
  const std::string what =
      m_read.size() == m_map.size() ? std::string() : cat("mole fractions of phase \"", text, "\"");
  toPackageOrder(m_read, x, what.c_str(), 0, scope);
}

void MaterialAccess::overallFractions(std::vector<double>& z, const char* scope) const {
  ICapeThermoMaterial& mo = material(scope);
  static const comlite::Bstr name("fraction"), mole("mole");
  capeside::check(mo.GetOverallProp(name.get(), mole.get(), &m_gotList), &mo, kMaterialInterface,
                  "GetOverallProp");
  if (!capeside::readDoubleList(m_gotList, m_read))
    throw CapeError(ECapeBadArgumentHR, scope, "the overall composition is not a list of numbers");
  toPackageOrder(m_read, z, "overall mole fractions", 0, scope);
}

double MaterialAccess::overallValue(BSTR property, BSTR basis, const std::string& text,
                                    const char* scope) const {
  ICapeThermoMaterial& mo = material(scope);
  capeside::check(mo.GetOverallProp(property, basis, &m_gotValue), &mo, kMaterialInterface,
                  "GetOverallProp");
  return scalarOf(m_gotValue, text, nullptr, scope);
}

double MaterialAccess::phaseValue(const std::string& property, const std::string& label,
                                  const std::string& basis, const char* scope) const {
  ICapeThermoMaterial& mo = material(scope);
  comlite::Bstr name(property), l(label), b = optionalText(basis);
  comlite::Variant v;
  capeside::check(mo.GetSinglePhaseProp(name.get(), l.get(), b.get(), &v), &mo, kMaterialInterface,
                  "GetSinglePhaseProp");
  return scalarOf(v, property, &label, scope);
}

void MaterialAccess::presentPhases(std::vector<std::u16string>& labels, std::vector<LONG>& status,
                                   const char* scope) const {
  ICapeThermoMaterial& mo = material(scope);
  capeside::check(mo.GetPresentPhases(&m_gotLabels, &m_gotStatus), &mo, kMaterialInterface,
                  "GetPresentPhases");
  if (!capeside::readWideStringList(m_gotLabels, labels)) labels.clear();
  if (!capeside::readLongList(m_gotStatus, status)) status.clear();
  status.resize(labels.size(), CAPE_UNKNOWNPHASESTATUS);
}

void MaterialAccess::toMaterialOrder(const std::vector<double>& values,
                                     std::vector<double>& out) const {
  const std::size_t n = m_packageCount;
  if (m_identity || (values.size() != n && values.size() != n * n)) {
    out = values;
    return;
  }
  out.clear();
  if (values.size() == n) {
    for (std::size_t i : m_map) out.push_back(values[i]);
  } else {
    for (std::size_t i : m_map)
      for (std::size_t j : m_map) out.push_back(values[i * n + j]);
  }
}

void MaterialAccess::toPackageOrder(const std::vector<double>& values, std::vector<double>& out,
                                    const char* what, SHORT position, const char* scope) const {
  if (values.size() != m_map.size())
    throw CapeError(
        ECapeBadArgumentHR, scope,
        cat(what, ": ", values.size(), " values for ", m_map.size(), " compounds of the material"))
        .at(position);
  if (m_identity) {
    out = values;
    return;
  }
  out.assign(m_packageCount, 0.0);
  for (std::size_t k = 0; k < m_map.size(); ++k) out[m_map[k]] = values[k];
}

void MaterialAccess::setPhaseProp(const std::string& property, const std::string& label,
                                  const std::string& basis, const std::vector<double>& values,
                                  const char* scope) const {
  ICapeThermoMaterial& mo = material(scope);
  comlite::Bstr name(property), l(label), b = optionalText(basis);
  capeside::check(
      mo.SetSinglePhaseProp(name.get(), l.get(), b.get(), capeside::makeDoubleArray(values)), &mo,
      kMaterialInterface, "SetSinglePhaseProp");
}

void MaterialAccess::setPhaseProp(BSTR property, BSTR label, BSTR basis,
                                  const std::vector<double>& values, comlite::Variant& array,
                                  const char* scope) const {
  ICapeThermoMaterial& mo = material(scope);
  SAFEARRAY* psa = array.vt == (VT_ARRAY | VT_R8) ? array.parray : nullptr;
  if (psa && psa->cDims == 1 && psa->cLocks == 0 && comlite::safeArrayCount(psa) == values.size())
    std::copy(values.begin(), values.end(), static_cast<double*>(psa->pvData));
  else
    array = capeside::makeDoubleArray(values);
  capeside::check(mo.SetSinglePhaseProp(property, label, basis, array), &mo, kMaterialInterface,
                  "SetSinglePhaseProp");
}

void MaterialAccess::setTwoPhaseProp(const std::string& property, const VARIANT& labels,
                                     const std::vector<double>& values, const char* scope) const {
  ICapeThermoMaterial& mo = material(scope);
  comlite::Bstr name(property);
  capeside::check(
      mo.SetTwoPhaseProp(name.get(), labels, nullptr, capeside::makeDoubleArray(values)), &mo,
      kMaterialInterface, "SetTwoPhaseProp");
}

void MaterialAccess::setOverallProp(const std::string& property, const std::vector<double>& values,
                                    const char* scope) const {
  ICapeThermoMaterial& mo = material(scope);
  comlite::Bstr name(property);
  capeside::check(mo.SetOverallProp(name.get(), nullptr, capeside::makeDoubleArray(values)), &mo,
                  kMaterialInterface, "SetOverallProp");
}

void MaterialAccess::setPresentPhases(std::span<const std::u16string> labels,
                                      std::span<const LONG> status, const char* scope) const {
  ICapeThermoMaterial& mo = material(scope);
  capeside::fillStringArray(&m_putLabels, labels);
  capeside::fillLongArray(&m_putStatus, status);
  capeside::check(mo.SetPresentPhases(m_putLabels, m_putStatus), &mo, kMaterialInterface,
                  "SetPresentPhases");
}

}  // namespace prcape
