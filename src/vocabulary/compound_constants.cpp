#include "vocabulary/compound_constants.h"

#include "vocabulary/co_ids.h"

namespace {

// Host units: kPa, m3/kmol, kg/m3, debye, Angstrom, kJ/kmol (= J/mol).
const CompoundConstantRow kRows[] = {
    {COIds::ConstMolecularWeight, "MW", 1, 1, 0},
    {COIds::ConstCriticalTemperature, "TC", 1, 1, 0},
    {COIds::ConstCriticalPressure, "PC", 1000, 1, 0},
    {COIds::ConstCriticalVolume, "VC", 0.001, 1, 0},
    // The reciprocal of the molar density in kmol/m3 is the critical volume in m3/kmol.
    {COIds::ConstCriticalDensity, "VC", 1000, -1, 0},
    {COIds::ConstCriticalCompressibilityFactor, "ZC", 1, 1, 0},
    {COIds::ConstAcentricFactor, "ACEN", 1, 1, 0},
    {COIds::ConstNormalBoilingPoint, "NBP", 1, 1, 0},
    {COIds::ConstLiquidDensityAt25C, "SLDN", 1000, 1, 1},
    {COIds::ConstDipoleMoment, "DM", 3.335641e-30, 1, 0},
    {COIds::ConstGyrationRadius, "RG", 1e-10, 1, 0},
    {COIds::ConstHeatOfFusionAtNormalFreezingPoint, "HFUS", 1, 1, 0},
    {COIds::ConstHeatOfVaporizationAtNormalBoilingPoint, "HVP", 1, 1, 0},
    {COIds::TDepVaporPressure, "VP", 1000, 1, 0},
    {COIds::ConstIdealGasEnthalpyOfFormationAt25C, "IGHF25", 1, 1, 0},
    {COIds::ConstIdealGasGibbsFreeEnergyOfFormationAt25C, "IGGF25", 1, 1, 0},
    {COIds::TDepSublimationPressure, "SP", 1000, 1, 0},
    {COIds::ConstCasRegistryNumber, "CASN", 1, 1, 0},
    {COIds::ConstIupacName, nullptr, 1, 1, 0},
    {COIds::ConstChemicalFormula, nullptr, 1, 1, 0},
};

}  // namespace

std::span<const CompoundConstantRow> compoundConstantRows() {
  return kRows;
}
