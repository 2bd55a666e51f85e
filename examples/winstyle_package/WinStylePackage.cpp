// WinStylePackage.cpp : Implementation of CWinStylePackage
//
// Model: ideal gas, ideal solution; vapour pressures by Clausius-Clapeyron from the normal
// boiling point and a constant heat of vaporisation; constant ideal-gas heat capacities.
#include "WinStylePackage.h"
#include "stdafx.h"

#include <math.h>

EXTERN_C const CLSID CLSID_WinStylePackage = {
    0x5b8d3c21, 0x7e4f, 0x4a9b, {0x8c, 0x61, 0x2f, 0x0d, 0x9e, 0x7a, 0x4b, 0x13}};

namespace {

struct CompoundData {
  const wchar_t* id;
  const wchar_t* formula;
  const wchar_t* cas;
  double mw;    // g/mol
  double tb;    // K
  double hvap;  // J/mol
  double cp;    // J/mol/K
};

const CompoundData g_compounds[] = {
    {L"water", L"H2O", L"7732-18-5", 18.015, 373.15, 40650.0, 33.6},
    {L"methanol", L"CH4O", L"67-56-1", 32.042, 337.69, 35210.0, 44.1},
    {L"ethanol", L"C2H6O", L"64-17-5", 46.068, 351.80, 38560.0, 65.6},
};
const int g_nCompounds = sizeof(g_compounds) / sizeof(g_compounds[0]);
const double R = 8.314462618;
const double P0 = 101325.0;

HRESULT ReturnStrings(VARIANT* out, const wchar_t* const* items, int n) {
  if (!out) return E_POINTER;
  CComSafeArray<BSTR> sa(n);
  for (int i = 0; i < n; i++) sa.SetAt(i, CComBSTR(items[i]));
  VariantClear(out);
  out->vt = VT_ARRAY | VT_BSTR;
  out->parray = sa.Detach();
  return S_OK;
}

HRESULT ReturnDoubles(VARIANT* out, const std::vector<double>& values) {
  if (!out) return E_POINTER;
  CComSafeArray<double> sa((ULONG)values.size());
  for (size_t i = 0; i < values.size(); i++) sa[(LONG)i] = values[i];
  VariantClear(out);
  out->vt = VT_ARRAY | VT_R8;
  out->parray = sa.Detach();
  return S_OK;
}

// The strings of a VARIANT holding a string array or one string.
bool ReadStrings(const VARIANT& v, std::vector<CComBSTR>& out) {
  out.clear();
  if (v.vt == VT_BSTR) {
    out.push_back(CComBSTR(v.bstrVal));
    return true;
  }
  if (v.vt == (VT_ARRAY | VT_BSTR)) {
    CComSafeArray<BSTR> sa;
    sa.CopyFrom(v.parray);
    for (LONG i = sa.GetLowerBound(); i <= sa.GetUpperBound(); i++) out.push_back(CComBSTR(sa[i]));
    return true;
  }
  if (v.vt == (VT_ARRAY | VT_VARIANT)) {
    CComSafeArray<VARIANT> sa;
    sa.CopyFrom(v.parray);
    for (LONG i = sa.GetLowerBound(); i <= sa.GetUpperBound(); i++) {
      _variant_t item(sa[i]);
      if (item.vt != VT_BSTR) return false;
      out.push_back(CComBSTR(item.bstrVal));
    }
    return true;
  }
  return false;
}

double Psat(int i, double T) {
  return P0 * exp(g_compounds[i].hvap / R * (1.0 / g_compounds[i].tb - 1.0 / T));
}

bool IsTPSpec(const VARIANT& s1, const VARIANT& s2) {
  std::vector<CComBSTR> a, b;
  if (!ReadStrings(s1, a) || !ReadStrings(s2, b) || a.size() < 3 || b.size() < 3) return false;
  if (_wcsicmp(a[2], L"Overall") != 0 || _wcsicmp(b[2], L"Overall") != 0) return false;
  return (_wcsicmp(a[0], L"temperature") == 0 && _wcsicmp(b[0], L"pressure") == 0) ||
         (_wcsicmp(a[0], L"pressure") == 0 && _wcsicmp(b[0], L"temperature") == 0);
}

}  // namespace

HRESULT CWinStylePackage::FinalConstruct() {
  m_name = L"Windows-style example";
  m_description = L"Clausius-Clapeyron vapour pressures and Raoult's law";
  return S_OK;
}

void CWinStylePackage::FinalRelease() {
  m_material = NULL;
}

int CWinStylePackage::PhaseIndex(BSTR phaseLabel) {
  if (_wcsicmp(phaseLabel, L"Vapor") == 0) return 0;
  if (_wcsicmp(phaseLabel, L"Liquid") == 0) return 1;
  return -1;
}

void CWinStylePackage::LnPhi(int phase, double T, double P, std::vector<double>& lnphi) {
  lnphi.clear();
  for (size_t k = 0; k < m_map.size(); k++)
    lnphi.push_back(phase == 0 ? 0.0 : log(Psat(m_map[k], T) / P));
}

HRESULT CWinStylePackage::ReadComposition(const VARIANT& v, std::vector<double>& x) {
  if (v.vt != (VT_ARRAY | VT_R8))
    return Error(L"composition is not an array of doubles", ECapeInvalidArgumentHR);
  CComSafeArray<double> sa;
  sa.CopyFrom(v.parray);
  x.clear();
  for (LONG i = sa.GetLowerBound(); i <= sa.GetUpperBound(); i++) x.push_back(sa[i]);
  if (x.size() != m_map.size())
    return Error(L"composition does not match the material", ECapeInvalidArgumentHR);
  return S_OK;
}

// ICapeIdentification

STDMETHODIMP CWinStylePackage::get_ComponentName(BSTR* name) {
  if (!name) return E_POINTER;
  return m_name.CopyTo(name);
}
STDMETHODIMP CWinStylePackage::put_ComponentName(BSTR name) {
  m_name = name;
  return S_OK;
}
STDMETHODIMP CWinStylePackage::get_ComponentDescription(BSTR* desc) {
  if (!desc) return E_POINTER;
  return m_description.CopyTo(desc);
}
STDMETHODIMP CWinStylePackage::put_ComponentDescription(BSTR desc) {
  m_description = desc;
  return S_OK;
}

// ICapeUtilities

STDMETHODIMP CWinStylePackage::get_parameters(LPDISPATCH* parameters) {
  if (!parameters) return E_POINTER;
  *parameters = NULL;
  return Error(L"this package has no parameters", IID_ICapeUtilities, ECapeNoImplHR);
}
STDMETHODIMP CWinStylePackage::put_simulationContext(LPDISPATCH) {
  return S_OK;
}
STDMETHODIMP CWinStylePackage::Initialize() {
  return S_OK;
}
STDMETHODIMP CWinStylePackage::Terminate() {
  m_material = NULL;
  return S_OK;
}
STDMETHODIMP CWinStylePackage::Edit() {
  return Error(L"nothing to edit", IID_ICapeUtilities, ECapeNoImplHR);
}

// ICapeThermoCompounds

STDMETHODIMP CWinStylePackage::GetCompoundConstant(VARIANT props, VARIANT compIds,
                                                   VARIANT* propVals) {
  std::vector<CComBSTR> names, ids;
  if (!ReadStrings(props, names))
    return Error(L"props is not a string array", ECapeInvalidArgumentHR);
  if (compIds.vt == VT_EMPTY) {
    for (int i = 0; i < g_nCompounds; i++) ids.push_back(CComBSTR(g_compounds[i].id));
  } else if (!ReadStrings(compIds, ids)) {
    return Error(L"compIds is not a string array", ECapeInvalidArgumentHR);
  }
  CComSafeArray<VARIANT> sa;
  sa.Create();
  for (size_t p = 0; p < names.size(); p++) {
    for (size_t c = 0; c < ids.size(); c++) {
      int i = 0;
      while (i < g_nCompounds && _wcsicmp(ids[c], g_compounds[i].id) != 0) i++;
      if (i == g_nCompounds) return Error(L"unknown compound", ECapeInvalidArgumentHR);
      if (_wcsicmp(names[p], L"molecularWeight") == 0)
        sa.Add(CComVariant(g_compounds[i].mw));
      else if (_wcsicmp(names[p], L"normalBoilingPoint") == 0)
        sa.Add(CComVariant(g_compounds[i].tb));
      else
        return Error(L"constant not available", ECapeThrmPropertyNotAvailableHR);
    }
  }
  if (!propVals) return E_POINTER;
  VariantClear(propVals);
  propVals->vt = VT_ARRAY | VT_VARIANT;
  propVals->parray = sa.Detach();
  return S_OK;
}

STDMETHODIMP CWinStylePackage::GetCompoundList(VARIANT* compIds, VARIANT* formulae, VARIANT* names,
                                               VARIANT* boilTemps, VARIANT* molwts,
                                               VARIANT* casnos) {
  const wchar_t* id[g_nCompounds];
  const wchar_t* formula[g_nCompounds];
  const wchar_t* cas[g_nCompounds];
  std::vector<double> tb, mw;
  for (int i = 0; i < g_nCompounds; i++) {
    id[i] = g_compounds[i].id;
    formula[i] = g_compounds[i].formula;
    cas[i] = g_compounds[i].cas;
    tb.push_back(g_compounds[i].tb);
    mw.push_back(g_compounds[i].mw);
  }
  HRESULT hr = ReturnStrings(compIds, id, g_nCompounds);
  if (SUCCEEDED(hr)) hr = ReturnStrings(formulae, formula, g_nCompounds);
  if (SUCCEEDED(hr)) hr = ReturnStrings(names, id, g_nCompounds);
  if (SUCCEEDED(hr)) hr = ReturnDoubles(boilTemps, tb);
  if (SUCCEEDED(hr)) hr = ReturnDoubles(molwts, mw);
  if (SUCCEEDED(hr)) hr = ReturnStrings(casnos, cas, g_nCompounds);
  return hr;
}

STDMETHODIMP CWinStylePackage::GetConstPropList(VARIANT* props) {
  static const wchar_t* list[] = {L"molecularWeight", L"normalBoilingPoint"};
  return ReturnStrings(props, list, 2);
}

STDMETHODIMP CWinStylePackage::GetNumCompounds(LONG* num) {
  if (!num) return E_POINTER;
  *num = g_nCompounds;
  return S_OK;
}

STDMETHODIMP CWinStylePackage::GetPDependentProperty(VARIANT, double, VARIANT, VARIANT*) {
  return Error(L"no pressure-dependent properties", ECapeThrmPropertyNotAvailableHR);
}
STDMETHODIMP CWinStylePackage::GetPDependentPropList(VARIANT* props) {
  return ReturnStrings(props, NULL, 0);
}
STDMETHODIMP CWinStylePackage::GetTDependentProperty(VARIANT, double, VARIANT, VARIANT*) {
  return Error(L"no temperature-dependent properties", ECapeThrmPropertyNotAvailableHR);
}
STDMETHODIMP CWinStylePackage::GetTDependentPropList(VARIANT* props) {
  return ReturnStrings(props, NULL, 0);
}

// ICapeThermoPhases

STDMETHODIMP CWinStylePackage::GetNumPhases(LONG* num) {
  if (!num) return E_POINTER;
  *num = 2;
  return S_OK;
}

STDMETHODIMP CWinStylePackage::GetPhaseInfo(BSTR phaseLabel, BSTR phaseAttribute, VARIANT* value) {
  if (!value) return E_POINTER;
  if (PhaseIndex(phaseLabel) < 0) return Error(L"unknown phase", ECapeInvalidArgumentHR);
  CComVariant result;
  if (_wcsicmp(phaseAttribute, L"StateOfAggregation") == 0) result = CComVariant(phaseLabel);
  return result.Detach(value);
}

STDMETHODIMP CWinStylePackage::GetPhaseList(VARIANT* phaseLabels, VARIANT* stateOfAggregation,
                                            VARIANT* keyCompoundId) {
  static const wchar_t* labels[] = {L"Vapor", L"Liquid"};
  static const wchar_t* keys[] = {L"", L""};
  HRESULT hr = ReturnStrings(phaseLabels, labels, 2);
  if (SUCCEEDED(hr)) hr = ReturnStrings(stateOfAggregation, labels, 2);
  if (SUCCEEDED(hr)) hr = ReturnStrings(keyCompoundId, keys, 2);
  return hr;
}

// ICapeThermoPropertyRoutine

STDMETHODIMP CWinStylePackage::CalcAndGetLnPhi(BSTR phaseLabel, double temperature, double pressure,
                                               VARIANT, LONG fFlags, VARIANT* lnPhi,
                                               VARIANT* lnPhiDT, VARIANT* lnPhiDP,
                                               VARIANT* lnPhiDn) {
  int phase = PhaseIndex(phaseLabel);
  if (phase < 0) return Error(L"unknown phase", ECapeInvalidArgumentHR);
  if (!m_material) return Error(L"no material is set", ECapeBadInvOrderHR);
  if (temperature <= 0 || pressure <= 0)
    return Error(L"temperature and pressure must be positive", ECapeBadArgumentHR);
  std::vector<double> v;
  LnPhi(phase, temperature, pressure, v);
  if (fFlags & CAPE_LOG_FUGACITY_COEFFICIENTS) ReturnDoubles(lnPhi, v);
  std::vector<double> dT, dP, dn(m_map.size() * m_map.size(), 0.0);
  for (size_t k = 0; k < m_map.size(); k++) {
    const CompoundData& c = g_compounds[m_map[k]];
    dT.push_back(phase == 0 ? 0.0 : c.hvap / (R * temperature * temperature));
    dP.push_back(phase == 0 ? 0.0 : -1.0 / pressure);
  }
  if (fFlags & CAPE_T_DERIVATIVE) ReturnDoubles(lnPhiDT, dT);
  if (fFlags & CAPE_P_DERIVATIVE) ReturnDoubles(lnPhiDP, dP);
  if (fFlags & CAPE_MOLE_NUMBERS_DERIVATIVES) ReturnDoubles(lnPhiDn, dn);
  return S_OK;
}

STDMETHODIMP CWinStylePackage::CalcSinglePhaseProp(VARIANT props, BSTR phaseLabel) {
  int phase = PhaseIndex(phaseLabel);
  if (phase < 0) return Error(L"unknown phase", ECapeInvalidArgumentHR);
  if (!m_material) return Error(L"no material is set", ECapeBadInvOrderHR);
  std::vector<CComBSTR> names;
  if (!ReadStrings(props, names))
    return Error(L"props is not a string array", ECapeInvalidArgumentHR);
  double T, P;
  _variant_t composition;
  HRESULT hr = m_material->GetTPFraction(phaseLabel, &T, &P, composition.GetAddress());
  if (FAILED(hr)) return hr;
  std::vector<double> x;
  hr = ReadComposition(composition, x);
  if (FAILED(hr)) return hr;
  try {
    for (size_t p = 0; p < names.size(); p++) {
      std::vector<double> values;
      _bstr_t basis;
      if (_wcsicmp(names[p], L"logFugacityCoefficient") == 0) {
        LnPhi(phase, T, P, values);
      } else if (_wcsicmp(names[p], L"enthalpy") == 0) {
        double h = 0;
        for (size_t k = 0; k < m_map.size(); k++) {
          const CompoundData& c = g_compounds[m_map[k]];
          h += x[k] * (c.cp * (T - 298.15) - (phase == 1 ? c.hvap : 0.0));
        }
        values.push_back(h);
        basis = L"mole";
      } else {
        return Error(L"property not available", ECapeThrmPropertyNotAvailableHR);
      }
      _variant_t v;
      ReturnDoubles(v.GetAddress(), values);
      hr = m_material->SetSinglePhaseProp(names[p], phaseLabel, basis, v);
      if (FAILED(hr)) _com_issue_errorex(hr, m_material, IID_ICapeThermoMaterial);
    }
  } catch (_com_error& e) {
    return Error((const wchar_t*)e.Description(), e.Error());
  }
  return S_OK;
}

STDMETHODIMP CWinStylePackage::CalcTwoPhaseProp(VARIANT, VARIANT) {
  return Error(L"no two-phase properties", ECapeThrmPropertyNotAvailableHR);
}

STDMETHODIMP CWinStylePackage::CheckSinglePhasePropSpec(BSTR property, BSTR phaseLabel,
                                                        VARIANT_BOOL* valid) {
  if (!valid) return E_POINTER;
  bool ok = PhaseIndex(phaseLabel) >= 0 && (_wcsicmp(property, L"logFugacityCoefficient") == 0 ||
                                            _wcsicmp(property, L"enthalpy") == 0);
  *valid = ok ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

STDMETHODIMP CWinStylePackage::CheckTwoPhasePropSpec(BSTR, VARIANT, VARIANT_BOOL* valid) {
  if (!valid) return E_POINTER;
  *valid = VARIANT_FALSE;
  return S_OK;
}

STDMETHODIMP CWinStylePackage::GetSinglePhasePropList(VARIANT* props) {
  static const wchar_t* list[] = {L"logFugacityCoefficient", L"enthalpy"};
  return ReturnStrings(props, list, 2);
}

STDMETHODIMP CWinStylePackage::GetTwoPhasePropList(VARIANT* props) {
  return ReturnStrings(props, NULL, 0);
}

// ICapeThermoEquilibriumRoutine

STDMETHODIMP CWinStylePackage::CalcEquilibrium(VARIANT specification1, VARIANT specification2,
                                               BSTR) {
  if (!IsTPSpec(specification1, specification2))
    return Error(L"only TP flashes are supported", ECapeLimitedImplHR);
  if (!m_material) return Error(L"no material is set", ECapeBadInvOrderHR);
  double T, P;
  _variant_t composition;
  HRESULT hr = m_material->GetOverallTPFraction(&T, &P, composition.GetAddress());
  if (FAILED(hr)) return hr;
  std::vector<double> z;
  hr = ReadComposition(composition, z);
  if (FAILED(hr)) return hr;
  const size_t n = z.size();
  std::vector<double> K(n), x(n), y(n);
  for (size_t k = 0; k < n; k++) K[k] = Psat(m_map[k], T) / P;
  // Rachford-Rice by bisection on the vapour fraction.
  double g0 = 0, g1 = 0;
  for (size_t k = 0; k < n; k++) {
    g0 += z[k] * (K[k] - 1);
    g1 += z[k] * (K[k] - 1) / K[k];
  }
  double V;
  if (g0 <= 0)
    V = 0;
  else if (g1 >= 0)
    V = 1;
  else {
    double lo = 0, hi = 1;
    for (int it = 0; it < 100; it++) {
      V = 0.5 * (lo + hi);
      double g = 0;
      for (size_t k = 0; k < n; k++) g += z[k] * (K[k] - 1) / (1 + V * (K[k] - 1));
      if (g > 0)
        lo = V;
      else
        hi = V;
    }
  }
  for (size_t k = 0; k < n; k++) {
    x[k] = V == 1 ? z[k] / K[k] : z[k] / (1 + V * (K[k] - 1));
    y[k] = V == 0 ? K[k] * z[k] : K[k] * x[k];
  }
  if (V == 0) x = z;
  if (V == 1) y = z;

  std::vector<const wchar_t*> labels;
  if (V > 0) labels.push_back(L"Vapor");
  if (V < 1) labels.push_back(L"Liquid");
  CComSafeArray<LONG> status((ULONG)labels.size());
  for (size_t i = 0; i < labels.size(); i++) status[(LONG)i] = CAPE_ATEQUILIBRIUM;
  _variant_t labelsV, statusV;
  ReturnStrings(labelsV.GetAddress(), labels.data(), (int)labels.size());
  statusV.vt = VT_ARRAY | VT_I4;
  statusV.parray = status.Detach();
  hr = m_material->SetPresentPhases(labelsV, statusV);
  if (FAILED(hr)) return hr;
  for (size_t i = 0; i < labels.size(); i++) {
    _bstr_t label(labels[i]);
    const bool vapor = wcscmp(labels[i], L"Vapor") == 0;
    std::vector<double> one;
    _variant_t v;
    one.assign(1, T);
    ReturnDoubles(v.GetAddress(), one);
    hr = m_material->SetSinglePhaseProp(_bstr_t(L"temperature"), label, NULL, v);
    one.assign(1, P);
    ReturnDoubles(v.GetAddress(), one);
    if (SUCCEEDED(hr)) hr = m_material->SetSinglePhaseProp(_bstr_t(L"pressure"), label, NULL, v);
    one.assign(1, vapor ? V : 1 - V);
    ReturnDoubles(v.GetAddress(), one);
    if (SUCCEEDED(hr))
      hr = m_material->SetSinglePhaseProp(_bstr_t(L"phaseFraction"), label, _bstr_t(L"mole"), v);
    ReturnDoubles(v.GetAddress(), vapor ? y : x);
    if (SUCCEEDED(hr))
      hr = m_material->SetSinglePhaseProp(_bstr_t(L"fraction"), label, _bstr_t(L"mole"), v);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

STDMETHODIMP CWinStylePackage::CheckEquilibriumSpec(VARIANT specification1, VARIANT specification2,
                                                    BSTR, VARIANT_BOOL* isSupported) {
  if (!isSupported) return E_POINTER;
  *isSupported = IsTPSpec(specification1, specification2) ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

// ICapeThermoMaterialContext

STDMETHODIMP CWinStylePackage::SetMaterial(LPDISPATCH material) {
  m_material = NULL;
  m_map.clear();
  if (!material) return S_OK;
  ICapeThermoMaterialPtr mo(material);
  if (mo == NULL) return Error(L"the material has no ICapeThermoMaterial", ECapeInvalidArgumentHR);
  ICapeThermoCompoundsPtr compounds(material);
  if (compounds) {
    _variant_t ids, f, n, tb, mw, cas;
    HRESULT hr = compounds->GetCompoundList(ids.GetAddress(), f.GetAddress(), n.GetAddress(),
                                            tb.GetAddress(), mw.GetAddress(), cas.GetAddress());
    if (FAILED(hr)) return hr;
    std::vector<CComBSTR> list;
    if (!ReadStrings(ids, list)) return Error(L"bad compound list", ECapeInvalidArgumentHR);
    for (size_t k = 0; k < list.size(); k++) {
      int i = 0;
      while (i < g_nCompounds && _wcsicmp(list[k], g_compounds[i].id) != 0) i++;
      if (i == g_nCompounds)
        return Error(L"the material holds an unknown compound", ECapeInvalidArgumentHR);
      m_map.push_back(i);
    }
  } else {
    for (int i = 0; i < g_nCompounds; i++) m_map.push_back(i);
  }
  m_material = mo;
  return S_OK;
}

STDMETHODIMP CWinStylePackage::UnsetMaterial() {
  m_material = NULL;
  m_map.clear();
  return S_OK;
}
