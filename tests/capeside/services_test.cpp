//! The GUI stand-in, the simulation context component and capeErrorUtils, created by class id
//! from the registered module; capeErrorUtils describes real errors of the ideal package.

#include <gmock/gmock.h>

#include "capeside_fixture.h"
#include "comlite/object.h"
#include "outside/cape_error_utils.h"
#include "outside/capeopen_common.h"
#include "outside/sim_context.h"

using namespace capetest;
using ::testing::AllOf;
using ::testing::HasSubstr;

namespace {

template <class I>
ComPtr<I> createByClass(const CLSID& clsid) {
  ComPtr<I> out;
  EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, I::kIID, out.putVoid()), S_OK);
  return out;
}

//! An ICapeDiagnostic sink that keeps what it receives.
class SinkRecorder : public comlite::ComObject<SinkRecorder, ICapeDiagnostic> {
 public:
  HRESULT PopUpMessage(BSTR m) override {
    popUps.push_back(comlite::bstrToUtf8(m));
    return failWith;
  }
  HRESULT LogMessage(BSTR m) override {
    logs.push_back(comlite::bstrToUtf8(m));
    return S_OK;
  }
  std::vector<std::string> popUps, logs;
  HRESULT failWith = S_OK;
};

class Services : public CapeSide {
 protected:
  //! The notice shown `i`-th, as "title|text|style".
  std::string shown(std::size_t i) const {
    const auto& n = env.notices.at(i);
    return n.title + "|" + n.text + "|" + std::to_string(n.style);
  }
};

bool vb(VARIANT_BOOL b) {
  return b != VARIANT_FALSE;
}

//! The flags a getter of the GUI answers, as "T"/"F" letters.
template <class... Flags>
std::string flags(ICCAPEGUI* gui, HRESULT (ICCAPEGUI::*get)(Flags...)) {
  VARIANT_BOOL v[sizeof...(Flags)] = {};
  HRESULT hr = E_FAIL;
  if constexpr (sizeof...(Flags) == 1)
    hr = (gui->*get)(&v[0]);
  else
    hr = (gui->*get)(&v[0], &v[1], &v[2]);
  EXPECT_EQ(hr, S_OK);
  std::string out;
  for (VARIANT_BOOL b : v) out += vb(b) ? 'T' : 'F';
  return out;
}

}  // namespace

TEST_F(Services, gui_keeps_the_options_it_is_given_and_applies_view_edits) {
  auto gui = createByClass<ICCAPEGUI>(capegui::kClsidCapeGui);
  VARIANT_BOOL open = VARIANT_TRUE;
  ASSERT_EQ(gui->SetLiquid2FlashRequest(1, &open), S_OK);
  ASSERT_EQ(gui->SetOrderPhases(0), S_OK);
  ASSERT_EQ(gui->SetCompoundOptions(1, 0, 1), S_OK);
  ASSERT_EQ(gui->SetRecovErrorRouting(0, 1, 0), S_OK);
  ASSERT_EQ(gui->SetCritErrorRouting(1, 0, 1), S_OK);
  ASSERT_EQ(gui->put_ViewNotice(1), S_OK);  // no edits file: nothing changes
  EXPECT_EQ(flags(gui.get(), &ICCAPEGUI::GetCompoundOptions), "TFT");
  EXPECT_EQ(flags(gui.get(), &ICCAPEGUI::GetRecovErrorRouting), "FTF");
  EXPECT_EQ(flags(gui.get(), &ICCAPEGUI::GetCritErrorRouting), "TFT");
  EXPECT_EQ(flags(gui.get(), &ICCAPEGUI::GetLiquid2FlashRequest), "T");
  EXPECT_EQ(flags(gui.get(), &ICCAPEGUI::get_OpenView), "T");
  EXPECT_EQ(flags(gui.get(), &ICCAPEGUI::get_Edited), "F");

  // A person unticks "allow subsets" and asks for ordered phases.
  const std::string edits = env.dir().file("edits.txt");
  writeFile(edits, "# changed in the dialog\nallowSubsets = no\ndoOrderPhases = true\n");
  {
    testsupport::ScopedEnv viewEdits(capegui::kViewEditsVariable, edits);
    ASSERT_EQ(gui->SetCompoundOptions(1, 0, 1), S_OK);
    ASSERT_EQ(gui->put_ViewNotice(0), S_OK);
  }
  EXPECT_EQ(flags(gui.get(), &ICCAPEGUI::GetCompoundOptions), "FFT");
  EXPECT_EQ(flags(gui.get(), &ICCAPEGUI::GetOrderPhases), "T");
  EXPECT_EQ(flags(gui.get(), &ICCAPEGUI::get_Edited), "T");
  EXPECT_EQ(got(gui, &ICCAPEGUI::get_ViewCount), 2);
  const std::string options = got(gui, &ICCAPEGUI::GetOptions);
  EXPECT_NE(options.find("allowSubsets = false\n"), std::string::npos);
  EXPECT_NE(options.find("doOrderPhases = true\n"), std::string::npos);

  // A bad edits file fails the view and names the line; the options stay as they were.
  writeFile(edits, "allowSubsets = yes\nsparkles = on\n");
  {
    testsupport::ScopedEnv viewEdits(capegui::kViewEditsVariable, edits);
    EXPECT_EQ(gui->put_ViewNotice(0), ECapeInvalidArgumentHR);
    EXPECT_NE(capeErrorOf(gui.get()).description.find(edits + ", line 2"), std::string::npos);
  }
  EXPECT_EQ(flags(gui.get(), &ICCAPEGUI::GetCompoundOptions), "FFT");
  EXPECT_EQ(gui->SetOptions(Bstr("treatAsHypos = maybe").get()), ECapeInvalidArgumentHR);
  ASSERT_EQ(gui->SetOptions(Bstr("treatAsHypos = 0").get()), S_OK);
  EXPECT_EQ(flags(gui.get(), &ICCAPEGUI::GetCompoundOptions), "FFF");
}

TEST_F(Services, gui_shows_messages_through_the_notice_sink_and_keeps_flash_names) {
  auto gui = createByClass<ICCAPEGUI>(capegui::kClsidCapeGui);
  ASSERT_EQ(gui->SetPackageInfo(Bstr("Light").get(), Bstr("C1-C4").get(), Bstr("X.Y.1").get(),
                                Bstr("desc").get()),
            S_OK);
  ASSERT_EQ(gui->ShowMessage(Bstr("too many phases").get(), 1), S_OK);
  ASSERT_EQ(env.notices.size(), 1u);
  EXPECT_EQ(shown(0), "CAPE-OPEN property package 'C1-C4'|too many phases|64");
  Bstr last;
  LONG flag = 0;
  ASSERT_EQ(gui->GetLastMessage(last.out(), &flag), S_OK);
  EXPECT_EQ(last.utf8(), "too many phases");
  EXPECT_EQ(flag, 1);
  EXPECT_EQ(got(gui, &ICCAPEGUI::GetSupportedFlashes).vt, VT_EMPTY);
  ASSERT_EQ(gui->SetSupportedFlashes(makeStringArray({"TP", "PH"})), S_OK);
  EXPECT_EQ(stringList(got(gui, &ICCAPEGUI::GetSupportedFlashes)).value(),
            (std::vector<std::string>{"TP", "PH"}));
  EXPECT_EQ(gui->SetSupportedFlashes(Variant::fromLong(3)), E_INVALIDARG);
  // Compound lists: 33 hands back what the adapter gave and keeps the simulator's names.
  ASSERT_EQ(gui->SetCompoundData(makeStringArray({"benzene", "toluene"}),
                                 makeStringArray({"71-43-2", "108-88-3"})),
            S_OK);
  Variant ids, cas;
  ASSERT_EQ(gui->ConfigureCompounds(makeStringArray({"Benzene", "Toluene"}), &ids, &cas), S_OK);
  EXPECT_EQ(stringList(cas).value()[1], "108-88-3");
  EXPECT_EQ(gui->ConfigureCompounds(makeStringArray({"Benzene"}), &ids, &cas), E_INVALIDARG);
  EXPECT_EQ(stringList(got(gui, &ICCAPEGUI::GetCompoundNames)).value(),
            (std::vector<std::string>{"Benzene", "Toluene"}));
}

TEST_F(Services, simulation_context_forwards_diagnostics_to_its_hooked_sink) {
  auto diag = createByClass<ICapeDiagnostic>(simcontext::kClsidSimulationContext);
  ComPtr<ICapeSimulationContext> context = diag.as<ICapeSimulationContext>();
  ComPtr<ICapeDiagnosticHook> hook = diag.as<ICapeDiagnosticHook>();
  ASSERT_TRUE(context && hook);
  // Unhooked: the pop-up still reaches the user.
  ASSERT_EQ(diag->PopUpMessage(Bstr("first").get()), S_OK);
  ASSERT_EQ(env.notices.size(), 1u);
  EXPECT_NE(env.notices[0].text.find("first"), std::string::npos);

  auto* sink = comlite::makeObject<SinkRecorder>();
  ComPtr<ICapeDiagnostic> sinkRef = ComPtr<ICapeDiagnostic>::attach(sink);
  ASSERT_EQ(hook->SetDiagnosticSink(sink), S_OK);
  ASSERT_EQ(diag->PopUpMessage(Bstr("second").get()), S_OK);
  ASSERT_EQ(diag->LogMessage(Bstr("logged").get()), S_OK);
  EXPECT_EQ(sink->popUps, (std::vector<std::string>{"second"}));
  EXPECT_EQ(sink->logs, (std::vector<std::string>{"logged"}));
  EXPECT_EQ(env.notices.size(), 1u);
  ComPtr<ICapeDiagnostic> current;
  ASSERT_EQ(hook->GetDiagnosticSink(current.put()), S_OK);
  EXPECT_EQ(current.get(), sink);
  sink->failWith = E_ACCESSDENIED;  // a failing sink's status comes back
  EXPECT_EQ(diag->PopUpMessage(Bstr("third").get()), E_ACCESSDENIED);

  // The package receives the context and may query it for the diagnostic.
  auto [a, package, gui] = open("package = CORavlIdeal.PropertyPackage.1\n");
  auto utilities = package.as<ICapeUtilities>();
  EXPECT_EQ(utilities->put_simulationContext(context.get()), S_OK);
  ASSERT_EQ(hook->SetDiagnosticSink(nullptr), S_OK);
  EXPECT_EQ(a->ReleaseResources(), S_OK);
}

TEST_F(Services, error_utils_describe_bad_argument_and_solving_errors_of_a_real_package) {
  auto [a, package, gui] =
      open("manager = CORavlIdeal.PackageManager.1\npackage = Light hydrocarbons\n");
  ComPtr<IDispatch> material;
  ASSERT_EQ(a->GetMaterialObject(material.put()), S_OK);
  auto routine = package.as<ICapeThermoPropertyRoutine>();
  ASSERT_EQ(package.as<ICapeThermoMaterialContext>()->SetMaterial(material.get()), S_OK);
  auto utils = createByClass<ICapeErrorUtils>(errorutils::kClsidCapeErrorUtils);

  // ECapeBadArgument: three mole numbers for four compounds.
  Variant lnPhi, dT, dP, dn;
  const HRESULT bad =
      routine->CalcAndGetLnPhi(Bstr("Vapor").get(), 300, 1e5, makeDoubleArray({1, 1, 1}),
                               CAPE_LOG_FUGACITY_COEFFICIENTS, &lnPhi, &dT, &dP, &dn);
  ASSERT_EQ(bad, ECapeBadArgumentHR);
  Variant failing;
  failing.vt = VT_DISPATCH;
  failing.pdispVal = package.get();
  package->AddRef();
  Variant description;
  ASSERT_EQ(utils->DescribeError(Bstr("calculating ln phi").get(), failing, bad, &description),
            S_OK);
  ASSERT_EQ(description.vt, VT_BSTR);
  const std::string d1 = comlite::bstrToUtf8(description.bstrVal);
  EXPECT_THAT(d1,
              AllOf(HasSubstr("calculating ln phi\nECapeBadArgument (0x80040505)"),
                    HasSubstr("Description: moleNumbers has 3 values for 4 compounds"),
                    HasSubstr("Scope: IdealPackage::CalcAndGetLnPhi"),
                    HasSubstr("Interface: ICapeThermoPropertyRoutine"),
                    HasSubstr("Operation: CalcAndGetLnPhi"), HasSubstr("Argument position: 4")));

  // ECapeSolvingError: K-values overflow far above every critical temperature.
  auto mo = material.as<IMatObj>();
  const double z[4] = {0.25, 0.25, 0.25, 0.25};
  ASSERT_EQ(mo->SetState(6000, 1e5, z, 1), S_OK);
  ASSERT_EQ(material.as<ICapeThermoMaterial>()->SetPresentPhases(
                makeStringArray({"Vapor", "Liquid"}), makeLongArray({0, 0})),
            S_OK);
  Variant s1, s2;
  Bstr type;
  ASSERT_EQ(mo->GetFlashSpecification(15, &s1, &s2, type.out()), S_OK);
  auto equilibrium = package.as<ICapeThermoEquilibriumRoutine>();
  const HRESULT solving = equilibrium->CalcEquilibrium(s1, s2, type.get());
  ASSERT_EQ(solving, ECapeSolvingErrorHR);
  ASSERT_EQ(utils->DescribeError(Bstr("flashing").get(), failing, solving, &description), S_OK);
  const std::string d2 = comlite::bstrToUtf8(description.bstrVal);
  EXPECT_THAT(
      d2, AllOf(HasSubstr("ECapeSolvingError (0x80040510)"),
                HasSubstr("the K-value of \"methane\""), HasSubstr("Operation: CalcEquilibrium")));

  // The same through late binding, dispatch id 8, result in the out argument.
  Variant out;
  const Variant doing = Variant::fromString("late"), code = Variant::fromLong(solving);
  VARIANT args[4] = {{}, code, failing, doing};  // reversed: the out argument comes last
  args[0].vt = VT_VARIANT | VT_BYREF;
  args[0].pvarVal = &out;
  DISPPARAMS params{args, nullptr, 4, 0};
  ASSERT_EQ(utils->Invoke(errorutils::kDispidDescribeError, GUID_NULL, 0, DISPATCH_METHOD, &params,
                          nullptr, nullptr, nullptr),
            S_OK);
  EXPECT_NE(comlite::bstrToUtf8(out.bstrVal).find("late\nECapeSolvingError"), std::string::npos);

  auto f = stringList(got(utils, &ICapeErrorUtils::GetErrorFields, failing)).value();
  ASSERT_EQ(f.size(), 7u);
  EXPECT_EQ(f[0], "ECapeSolvingError");
  EXPECT_EQ(f[1], "0x80040510");
  // Bad input to the utilities themselves.
  EXPECT_EQ(utils->DescribeError(Bstr("x").get(), Variant::fromLong(5), solving, &description),
            ECapeInvalidArgumentHR);
  ASSERT_EQ(utils->DescribeError(Bstr("").get(), Variant(), E_FAIL, &description), S_OK);
  EXPECT_NE(comlite::bstrToUtf8(description.bstrVal).find("no object was given"),
            std::string::npos);
  EXPECT_EQ(got(utils, &ICapeErrorUtils::GetErrorName, ECapeThrmPropertyNotAvailableAltHR),
            "ECapeThrmPropertyNotAvailable");
  EXPECT_EQ(a->ReleaseResources(), S_OK);
}
