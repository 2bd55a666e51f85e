#pragma once
//! CORavlPP: the component object the simulator creates as its extended property package and
//! extended flash. It owns every piece of per-package state and serves the CAPE-OPEN side as
//! its diagnostic sink and simulation context.
//!
//! Reference counting is plain (the object lives in one apartment). The object can be
//! aggregated: its inner IUnknown keeps the count, its interfaces delegate to the outer object.

#include <array>
#include <mutex>
#include <string>
#include <vector>

#include "calc/material_client.h"
#include "calc/property_registration.h"
#include "calc/registered_property.h"
#include "calc/single_phase_request.h"
#include "comlite/automation.h"
#include "comlite/bstr.h"
#include "comlite/com_ptr.h"
#include "comlite/variant.h"
#include "flash/flash_catalogue.h"
#include "flash/flash_execution.h"
#include "flash/flash_support.h"
#include "frame/diagnostics_relay.h"
#include "frame/global_interface_holder.h"
#include "frame/host_interfaces.h"
#include "frame/type_library.h"
#include "outside/adapter.h"
#include "outside/adapter_diagnostics.h"
#include "outside/cape_gui.h"
#include "outside/capeopen_common.h"
#include "outside/ravelin_arrays.h"
#include "outside/ravelin_derivatives.h"
#include "outside/ravelin_phase.h"
#include "outside/ravelin_phase_collection.h"
#include "reporter/method_guard.h"
#include "reporter/ravl_error.h"
#include "setup/compound_list.h"
#include "setup/flash_spec_names.h"
#include "setup/package_options.h"

namespace coravl::frame {

using calc::kMaxRegisteredProperties;
using calc::kNotRegistered;
using calc::RegisteredProperty;

using comlite::automation::DualImpl;
using comlite::automation::noInterfaceDesc;
using comlite::automation::noLibraryDesc;

class CORavlPP final
    : public DualImpl<IExtendedPropPackage, &propPackageDescPtr, &libraryDescPtr>,
      public DualImpl<IExtendedFlash, &flashDescPtr, &libraryDescPtr>,
      public DualImpl<ICapeDiagnostics, &capeDiagnosticsDescPtr, &libraryDescPtr>,
      public DualImpl<ICapeSimulationContext, &noInterfaceDesc, &noLibraryDesc>,
      public DualImpl<ICapeDiagnostic, &capeDiagnosticDescPtr, &libraryDescPtr>,
      public DualImpl<IDerivativeCalculation, &derivativeCalculationDescPtr, &libraryDescPtr> {
 public:
  //! The class object's instance creator: a plain object, or an aggregated one inside `outer`
  //! (then `riid` must be IID_IUnknown and the inner unknown is returned).
  static HRESULT create(IUnknown* outer, REFIID riid, void** ppv);

  // IUnknown: delegates to the outer object when aggregated.
  HRESULT QueryInterface(REFIID riid, void** ppv) override;
  ULONG AddRef() override;
  ULONG Release() override;

  // IExtendedPropPackage
  HRESULT GetPackageName(BSTR* pkgname, BSTR* description) override;
  HRESULT PkgFileNeeded(INT* nfiles, BSTR* description) override;
  HRESULT SetupPkg(INT nfiles, VARIANT filenames, BSTR setupinfo, INT* status) override;
  HRESULT IsPkgSetup(INT* status) override;
  HRESULT InitializePropertyID(IDispatch* lpPropertyRegistry) override;
  HRESULT CanCalculate(INT propertyID, INT* status) override;
  HRESULT CalculateProperty(INT propertyID, IDispatch* pPhase, IDispatch** ppcontext,
                            IDispatch* pPropertyCallback, IDispatch* errorLog,
                            IDispatch* progressMonitor) override;
  HRESULT CalculateTwoPhaseProperty(INT propertyID, IDispatch* pPhaseCollection, INT iphase,
                                    INT jphase, IDispatch** ppcontext, IDispatch* pPropertyCallback,
                                    IDispatch* errorLog, IDispatch* progressMonitor) override;
  HRESULT GetEnthalpyBase(INT* EnthBase) override;
  HRESULT GetGibbsBase(INT* GibbsBase) override;
  HRESULT CanNumbCompChange(INT* status) override;
  HRESULT GetSupportedComps(INT* nComp, VARIANT* DaltrixIDs, VARIANT* names, BSTR* identifiername,
                            VARIANT* identifiers) override;
  HRESULT GetNumbCompounds(INT* nComp) override;
  HRESULT GetCompoundInfo(INT iComp, IDispatch* pCompoundi, INT* nProps,
                          VARIANT* propnames) override;
  HRESULT AddLastCompound(IDispatch* pCompoundi) override;
  HRESULT RemoveCompoundi(INT iComp) override;
  HRESULT ExchangeCompounds(INT iComp, INT jComp) override;
  HRESULT PhaseOrder(IDispatch* pPhaseCollection, IDispatch* pThermoProperty) override;
  HRESULT OnView(BSTR* ViewName, VARIANT_BOOL* OpenView) override;
  HRESULT PkgSave(BSTR* saveinfo) override;
  HRESULT PkgRecall(BSTR saveinfo, VARIANT_BOOL* BaseChanged) override;
  HRESULT GetThermoPropertyRoutine(IDispatch** pThermoPropertyRoutine) override;

  // IExtendedFlash (InitializePropertyID is shared with the package interface)
  HRESULT GetFlashName(BSTR* flashname, BSTR* description) override;
  HRESULT FlashFileNeeded(INT* nfiles, BSTR* description) override;
  HRESULT SetupFlash(INT nfiles, VARIANT filenames, INT* status) override;
  HRESULT IsFlashSetup(INT* status) override;
  HRESULT SupportedFlashTypes(INT* nFlashes, VARIANT* types) override;
  HRESULT CanHandleFlashType(tagFlashTypeEnum type, INT* status) override;
  HRESULT IsFlashControlUsed(VARIANT_BOOL* IsUsed) override;
  HRESULT Execute(tagFlashTypeEnum type, IDispatch* pFlashControl, IDispatch* pPhaseCollection,
                  IDispatch* pThermoProperty, IDispatch* errorLog,
                  IDispatch* progressMonitor) override;
  HRESULT FlashSave(BSTR* saveinfo) override;
  HRESULT FlashRecall(BSTR saveinfo) override;

  // ICapeDiagnostics (the material object's route into the simulator's channels)
  HRESULT ReportError(LONG code, BSTR message) override;
  HRESULT PopUpError(LONG code, BSTR message) override;
  HRESULT ReportCapeError(BSTR operation, LONG code, BSTR description, VARIANT_BOOL inCalculation,
                          BSTR interfaceName) override;

  // ICapeDiagnostic
  HRESULT PopUpMessage(BSTR message) override;
  HRESULT LogMessage(BSTR message) override;

  // IDerivativeCalculation (CanCalculate is shared with the package interface)
  HRESULT EnableDerivatives(BYTE enable) override;
  HRESULT CanCalculateDerivative(LONG reserved, INT propertyID, INT variableID,
                                 BYTE* canCalculate) override;

  //! The record of a host property id (first match), or nullptr.
  const RegisteredProperty* findRegistered(LONG hostId) const;
  bool derivativesEnabled() const { return m_derivativesEnabled; }
  bool packageSetUp() const { return m_packageSetUp != 0; }
  CCORavlError& reporter() { return m_reporter; }

 private:
  explicit CORavlPP(IUnknown* outer);
  ~CORavlPP();
  HRESULT finalConstruct();
  //! Runs before destruction; reports failures and never throws.
  HRESULT finalRelease();
  HRESULT internalQueryInterface(REFIID riid, void** ppv);
  //! The package initialisation check that most host calls run first.
  HRESULT entryCheck(BSTR saveInfo = nullptr, VARIANT_BOOL* baseChanged = nullptr);
  //! Package initialisation: builds the CAPE-OPEN side through the adapter, once per object.
  HRESULT initCO(BSTR saveInfo, VARIANT_BOOL* baseChanged);
  //! The steps of initCO that may raise; the caller applies the failure convention.
  //! `completed` is set when every step ran: only then is the object initialised.
  HRESULT initCOSteps(BSTR saveInfo, VARIANT_BOOL* baseChanged, std::string& message,
                      bool& completed);
  //! After a failed initialisation: revokes the holders so that a retry can register again.
  void releaseCapeOpenSide();
  //! Reads one of the adapter's values (position 12); a failure is reported.
  HRESULT readAdapterValue(const char* name, comlite::Variant& value);
  //! The objects a compound-list operation talks to.
  CompoundLinks compoundLinks();
  //! What the flash support check reads of the component.
  flash::FlashCheckInputs flashCheckInputs();
  flash::FlashState flashState();
  calc::RegistrationState registrationState();

  // ---- Calculation (single-phase and two-phase requests): members of calculation.cpp ----
  //! Sets the host's saturation flash options (flash/sat_flash_control.h).
  HRESULT changeSatFlashControl(IDispatch* propertyCallback);
  //! CalculateProperty and CalculateTwoPhaseProperty without the host-version rule.
  HRESULT calculatePropertyMain(INT propertyID, IDispatch* pPhase, IDispatch* errorLog,
                                IDispatch* progressMonitor);
  HRESULT calculateTwoPhaseMain(INT propertyID, IDispatch* pPhaseCollection, INT iphase, INT jphase,
                                IDispatch* errorLog, IDispatch* progressMonitor);
  //! The component's calculation state and what a request talks to, by reference.
  calc::CalculationState calculationState();
  calc::CalculationLinks calculationLinks();
  //! Runs body(state, links) with the call's error log, under the failure convention.
  template <class Body>
  HRESULT runCalculation(IDispatch* errorLog, IDispatch* progressMonitor, const char* context,
                         Body&& body);
  //! The host's saturation flash control (its IRvlFlashControl interface), once obtained.
  comlite::ComPtr<IDispatch> m_satFlashControl;
  //! Whether the host publishes its compound sub-list interface: -1 until first read.
  signed char m_subListsSupported = -1;
  // ---- end of calculation ----

  // ---- Flash execution: members of flash_execution.cpp ----
  //! The host's number of compounds while a flash runs; -32767 otherwise.
  LONG m_flashCompoundCount = -32767;
  //! Compositions of the last flash, one per host phase slot (the overall slot holds the
  //! feed), in the package's compound order.
  std::vector<std::vector<double>> m_flashCompositions;
  //! The package label of each result phase of the last flash, in the collection's order.
  std::vector<CQoBSTR> m_flashPhaseLabels;
  flash::FlashScratch m_flashScratch;
  // ---- end of flash execution ----

  // ---- Phase ordering: members of phase_order.cpp ----
  // ---- end of phase ordering ----

  // ---- Setup view: members of setup_view.cpp ----
  // ---- end of setup view ----

  //! The non-delegating IUnknown of an aggregated object.
  struct InnerUnknown : IUnknown {
    CORavlPP* self = nullptr;
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
      return self->internalQueryInterface(riid, ppv);
    }
    ULONG AddRef() override { return ++self->m_refs; }
    ULONG Release() override;
  };

  InnerUnknown m_inner;
  IUnknown* m_outer;  //!< the controlling unknown: the outer object, or m_inner
  ULONG m_refs = 0;

  // 1. Host ids of the derivative variables "dT", "dP", "dN", "dX".
  std::array<LONG, 4> m_derivativeVariableIds{};
  // 2. Host ids of the registered host properties; the fugacity fallback search result.
  std::array<LONG, 24> m_hostPropertyIds{};
  LONG m_fugacityFallback = 0;
  // 3. Registered-property table.
  std::array<RegisteredProperty, kMaxRegisteredProperties> m_registered{};
  LONG m_registeredCount = 0;
  // 4. Host framework service objects.
  comlite::ComPtr<IIntegerArrayDisp> m_integerArray;
  comlite::ComPtr<IRealArrayDisp> m_realArray1;
  comlite::ComPtr<IRealArrayDisp> m_realArray2;
  comlite::ComPtr<IRealArrayDisp> m_realArray3;
  comlite::ComPtr<IPhaseCollection> m_phaseCollection;
  comlite::ComPtr<IBasicPhase> m_basicPhase;
  // 5. The material object client.
  CCOMOclient m_materialClient;
  // 6. The error reporter and the failure convention of every method.
  CCORavlError m_reporter{1e-30};
  MethodGuard m_guard{m_reporter};
  // 7. CAPE-OPEN references kept across calls, and the plain references of the CAPE-OPEN side.
  GlobalInterfaceHolder m_holdMatObj;
  GlobalInterfaceHolder m_holdPropertyRoutine;
  GlobalInterfaceHolder m_holdEquilibriumRoutine;
  GlobalInterfaceHolder m_holdPackageDispatch;
  GlobalInterfaceHolder m_holdMaterial;
  std::array<GlobalInterfaceHolder, 3> m_holdSpare{GlobalInterfaceHolder(IID_IUnknown),
                                                   GlobalInterfaceHolder(IID_IUnknown),
                                                   GlobalInterfaceHolder(IID_IUnknown)};
  //! The diagnostic sink handed to the material object and the simulation context.
  comlite::ComPtr<DiagnosticsRelay> m_relay;
  comlite::ComPtr<IPackageAdapter> m_adapter;
  comlite::ComPtr<ICCAPEGUI> m_setupView;
  comlite::ComPtr<ICapeSimulationContext> m_simulationContext;
  LONG m_capeOpenVersion = 0;
  // 8. Per-calculation state.
  const RegisteredProperty* m_current = nullptr;
  LONG m_phaseLabelIndex = 0;
  double m_temperature = 0.0;
  double m_pressure = 0.0;
  LONG m_hostPhaseType = 0;
  //! Storage of the property requests, reused from one to the next.
  calc::RequestBuffers m_requestBuffers;
  comlite::Variant m_propertyNames;  //!< five strings
  comlite::Variant m_phaseLabels;    //!< two strings
  comlite::Variant m_integerList;    //!< four longs
  std::array<LONG, 5> m_derivativeSlots{-1, -1, -1, -1, -1};
  LONG m_derivativeCount = 0;
  std::array<std::vector<double>, 13> m_compositions;
  LONG m_compoundCount = 0;
  // 10. Options, declared before the compound list that binds them (the reporter holds the six
  // routing flags).
  setup::ComponentOptions m_options;
  setup::FlashSpecNames m_flashSpecNames;
  BYTE m_viewNotice = 1;
  // 9. Package description and configuration lists.
  comlite::Bstr m_packageName;
  comlite::Bstr m_packageDescription;
  comlite::Bstr m_packageAlias;
  comlite::Variant m_selectedCompIds, m_selectedCompFormulas, m_selectedCompCASNos,
      m_selectedCompQoNames, m_selectedIDNumbers, m_selectedProperties, m_selectedPhases,
      m_selectedStateOfAggregation, m_selectedKeyCompoundID;
  comlite::Variant m_phaseZeroList;  //!< one 0 per element of "SelectedPhases"
  comlite::Variant m_guiCompoundList1, m_guiCompoundList2;  //!< handed to the setup view
  bool m_vaporAndLiquidStates = false;
  std::string m_compressibilityProperty;  //!< "volume.Dpressure", "compressibility" or ""
  //! The fluid-package compound list, its position map and the compound gate.
  CompoundList m_compoundList{
      m_reporter,
      PackageCompoundLists{m_selectedIDNumbers, m_selectedCompCASNos, m_selectedCompIds,
                           m_selectedCompQoNames, m_compoundCount},
      CompoundOptions{m_options.treatAsHypos, m_options.freeCompounds, m_options.allowSubsets}};
  // 11. Flags.
  SHORT m_packageSetUp = 0;
  BYTE m_packageInitialised = 0;
  BYTE m_recallPending = 0;
  bool m_derivativesEnabled = false;
  // 12. Flash state.
  std::recursive_mutex m_flashLock;
  CCORVLflashFactory m_flashFactory;
  std::vector<LONG> m_supportedFlashes;
  comlite::Variant m_flashSpecification1, m_flashSpecification2;
  comlite::Bstr m_flashSolutionType;
  CQoBSTR m_vaporLabel;  //!< the package's label of its vapour phase, for the flash check
  comlite::Variant m_enthalpyEntropyNames;  //!< two strings
  comlite::Variant m_overallLabel;          //!< one string
  comlite::Variant m_tenStrings;
  comlite::Variant m_fourStringsA;
  comlite::Variant m_fourStringsB;
};

}  // namespace coravl::frame
