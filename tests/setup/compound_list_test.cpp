//! CompoundList: identification, the position map, removals and exchanges, supported compounds,
//! the compound gate and constants of hypothetical compounds, with recording fakes (the
//! constants in host units are checked through the component, tests/frame).

#include "setup/compound_list.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "comlite/bstr.h"
#include "comlite/com_ptr.h"
#include "comlite/error_info.h"
#include "comlite/object.h"
#include "outside/adapter.h"
#include "outside/mat_obj.h"
#include "outside/ravelin_arrays.h"
#include "outside/ravelin_compounds.h"
#include "outside/ravelin_registry.h"
#include "ravelin/flash_control.h"
#include "reporter/ravl_error.h"
#include "setup/qo_utils.h"
#include "setup/setup_fakes.h"
#include "support/module_fixture.h"
#include "vocabulary/property_factory.h"

using comlite::Bstr;
using comlite::ComPtr;
using comlite::Variant;
using coravl_test::listOf;
using coravl_test::nums;
using coravl_test::strs;

namespace {

using Names = std::vector<std::string>;
template <class T, class... Args>
ComPtr<T> make(Args... args) {
  return ComPtr<T>::attach(comlite::makeObject<T>(args...));
}

//! Answers SetState with `status`; nothing else is expected.
class StateMaterial : public comlite::ComObject<StateMaterial, IMatObj> {
 public:
  HRESULT status = S_OK;

  HRESULT SetState(double, double, const double*, LONG) override { return status; }
  HRESULT PutproxyPtr(ICapeDiagnostics*) override { return E_UNEXPECTED; }
  HRESULT SetPackage(IDispatch*) override { return E_UNEXPECTED; }
  HRESULT GetPackage(IDispatch**) override { return E_UNEXPECTED; }
  HRESULT GetPhaseLabel(LONG, BSTR*) override { return E_UNEXPECTED; }
  HRESULT GetPhaseIndex(BSTR, LONG*) override { return E_UNEXPECTED; }
  HRESULT GetNumValues(LONG, LONG*) override { return E_UNEXPECTED; }
  HRESULT ClearState() override { return E_UNEXPECTED; }
  HRESULT GetPropertyName(LONG, BSTR*) override { return E_UNEXPECTED; }
  HRESULT GetProxyPtr(ICapeDiagnostics**) override { return E_UNEXPECTED; }
  HRESULT GetValue(LONG, LONG, double*) override { return E_UNEXPECTED; }
  HRESULT GetValues(LONG, LONG, VARIANT*) override { return E_UNEXPECTED; }
  HRESULT SetValues(LONG, LONG, VARIANT) override { return E_UNEXPECTED; }
  HRESULT CalcSinglePhaseProps(VARIANT, BSTR, BSTR) override { return E_UNEXPECTED; }
  HRESULT GetState(double*, double*, double*, LONG) override { return E_UNEXPECTED; }
  HRESULT GetPhaseStatus(LONG, LONG*) override { return E_UNEXPECTED; }
  HRESULT SetPhaseStatus(LONG, LONG) override { return E_UNEXPECTED; }
  HRESULT SetValue(LONG, LONG, const double*) override { return E_UNEXPECTED; }
  HRESULT GetCompoundCount(LONG*) override { return E_UNEXPECTED; }
  HRESULT Flash(LONG) override { return E_UNEXPECTED; }
  HRESULT CalcTwoPhaseProps(VARIANT, VARIANT) override { return E_UNEXPECTED; }
  HRESULT GetFlashSpecification(LONG, VARIANT*, VARIANT*, BSTR*) override { return E_UNEXPECTED; }
};

//! A host array whose SetSize answers `status`.
class SizedArray : public comlite::ComObject<SizedArray, IRealArrayDisp, IIntegerArrayDisp> {
 public:
  HRESULT status = S_OK;
  HRESULT SetSize(LONG) override { return status; }
  HRESULT get_Count(LONG*) override { return E_UNEXPECTED; }
  HRESULT get_IthValue(LONG, double*) override { return E_UNEXPECTED; }
  HRESULT put_IthValue(LONG, double) override { return E_UNEXPECTED; }
  HRESULT get_IthValue(LONG, LONG*) override { return E_UNEXPECTED; }
  HRESULT put_IthValue(LONG, LONG) override { return E_UNEXPECTED; }
};

//! A host compound: identity, constants set through the setting interface, committed edits.
class FakeCompound : public comlite::ComObject<FakeCompound, IRvlCompound, IRvlComponent,
                                               IRvlCompoundConstants, IRvlCompoundModification> {
 public:
  FakeCompound(const char* name, const char* cas, LONG id) : name(name), cas(cas), id(id) {}
  const char* name;  //!< nullptr: absent
  const char* cas;
  LONG id;
  HRESULT idStatus = S_OK, setStatus = S_OK, queryStatus = S_OK;
  std::vector<std::pair<std::string, double>> set;
  std::vector<LONG> endEdits;

  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (FAILED(queryStatus)) return *ppv = nullptr, queryStatus;
    return ComObject::QueryInterface(riid, ppv);
  }
  HRESULT get_Name(BSTR* s) override { return *s = name ? Bstr(name).detach() : nullptr, S_OK; }
  HRESULT get_CASNumber(BSTR* s) override { return *s = Bstr(cas).detach(), S_OK; }
  HRESULT get_IDNumber(LONG* n) override { return *n = id, idStatus; }
  HRESULT GetPropertyValue(BSTR, double, double, double* v) override { return *v = 30.0, S_OK; }
  HRESULT SetConstant(BSTR code, LONG, double v) override {
    set.emplace_back(comlite::bstrToUtf8(code), v);
    return setStatus;
  }
  HRESULT EndEdit(LONG cancel) override { return endEdits.push_back(cancel), S_OK; }
  HRESULT GetNormalBoilingPoint(double, double, double*) override { return E_UNEXPECTED; }
  HRESULT GetMolecularWeight(double, double, double*) override { return E_UNEXPECTED; }
  HRESULT get_Formula(BSTR*) override { return E_UNEXPECTED; }
  HRESULT get_IsHypothetical(VARIANT_BOOL*) override { return E_UNEXPECTED; }
  HRESULT ClearConstant(BSTR) override { return E_UNEXPECTED; }
  HRESULT get_Modified(VARIANT_BOOL*) override { return E_UNEXPECTED; }
  HRESULT BeginEdit() override { return E_UNEXPECTED; }
};

struct PackageCompound {
  std::string id, qoName, cas;
  double idNumber;
};

class CompoundListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QoUtils::setVersionsForTests(0, 0);
    m_reporter = std::make_unique<CCORavlError>(1e-30);
    package({{"methane", "Methane", "74-82-8", 2},
             {"ethane", "Ethane", "74-84-0", 0},
             {"water", "Water", "7732-18-5", 0}});
    m_env.notices.clear();  // the reporter's own creation notices
  }
  void TearDown() override { QoUtils::resetForTests(); }

  void package(const std::vector<PackageCompound>& compounds) {
    Names ids, qo, cas;
    std::vector<double> numbers;
    for (const auto& c : compounds) {
      ids.push_back(c.id), qo.push_back(c.qoName), cas.push_back(c.cas);
      numbers.push_back(c.idNumber);
    }
    m_ids = strs(ids), m_qo = strs(qo), m_cas = strs(cas), m_numbers = nums(numbers);
    m_count = static_cast<LONG>(compounds.size());
    m_x.assign(compounds.size(), 0.5);
    m_list = std::make_unique<CompoundList>(
        *m_reporter, PackageCompoundLists{m_numbers, m_cas, m_ids, m_qo, m_count},
        CompoundOptions{m_hypos, m_free, m_subsets});
  }
  CompoundLinks links() {
    return {
        m_adapter.get(), m_ints.get(), m_reals.get(), m_reals.get(), m_material.get(), m_x, m_x};
  }
  static IDispatch* disp(const ComPtr<FakeCompound>& c) {
    return static_cast<IRvlCompound*>(c.get());
  }
  HRESULT add(const ComPtr<FakeCompound>& c) { return m_list->addLastCompound(links(), disp(c)); }
  HRESULT add(const char* name, const char* cas, LONG id) {
    return add(make<FakeCompound>(name, cas, id));
  }
  std::string notices() const {
    std::string all;
    for (const auto& n : m_env.notices) all += n.text + "\n";
    return all;
  }
  ::testing::AssertionResult told(const std::string& part) const {
    if (notices().find(part) != std::string::npos) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << notices();
  }

  testsupport::ModuleEnvironment m_env;
  std::unique_ptr<CCORavlError> m_reporter;
  Variant m_ids, m_qo, m_cas, m_numbers;
  LONG m_count = 0;
  bool m_hypos = false, m_free = false, m_subsets = false;
  ComPtr<coravl_test::FakeAdapter> m_adapter = make<coravl_test::FakeAdapter>();
  ComPtr<StateMaterial> m_material = make<StateMaterial>();
  ComPtr<SizedArray> m_ints = make<SizedArray>(), m_reals = make<SizedArray>();
  std::vector<double> m_x;
  std::unique_ptr<CompoundList> m_list;
};

}  // namespace

// The ids offered, hypothetical renaming and free compounds are checked through the component
// (tests/frame); only a refusal by the adapter needs the fake.
TEST_F(CompoundListTest, a_refused_write_back_of_the_offered_ids_is_shown) {
  INT n = 0;
  Variant ids, names, cas;
  Bstr idName;
  m_adapter->setValueStatus = ECapeUnknownHR;
  EXPECT_EQ(m_list->getSupportedComps(links(), &n, &ids, &names, idName.out(), &cas),
            ECapeUnknownHR);
  EXPECT_EQ(listOf<std::string>(names), (Names{"methane", "ethane*", "water*"}));
  EXPECT_EQ(listOf<double>(m_adapter->values[0]), (std::vector<double>{2, -2, -2}));
  EXPECT_EQ(idName.get(), nullptr);  // the outs after the names are left alone
  EXPECT_EQ(cas.vt, VT_EMPTY);
  EXPECT_TRUE(told("Unexpected error"));
}

TEST_F(CompoundListTest, compounds_that_cannot_be_identified_or_do_not_fit_are_refused) {
  // Without a name, the package entry at the position stands in (with a warning).
  ASSERT_EQ(add(nullptr, "", 0), S_OK);
  EXPECT_TRUE(
      told("identifying compounds. Simulator didn't provide correct DaltrixID, "
           "Name or CASN values. Assuming user selected all compounds in package"));
  EXPECT_EQ(m_list->compounds(), (Names{"Methane"}));
  EXPECT_EQ(add("Argon", "7440-37-1", 7), E_FAIL);
  EXPECT_TRUE(
      told("Component 'Ethane' (position: 1) coud not be identified. Remove it "
           "and try again."));
  EXPECT_EQ(m_list->compounds().size(), 1u);
  m_env.notices.clear();
  QoUtils::setVersionsForTests(0, 250);  // the companion application: silent fallback
  ASSERT_EQ(add("Ethane", "", 40001), S_OK);
  EXPECT_TRUE(m_env.notices.empty()) << notices();
  EXPECT_EQ(listOf<double>(m_numbers)[1], -2);
  ASSERT_EQ(add("Water", "7732-18-5", 62), S_OK);
  EXPECT_EQ(add("x", "74-82-8", 1), E_FAIL);
  EXPECT_TRUE(
      told("adding a compound to the fluid package. The simulator is trying to add "
           "more compounds (4) than the list provided by the CAPE-OPEN package "
           "(3). If you were modifying a hypothetical compound properties, the "
           "workaround consists in  recreating the fluid package and modifying "
           "the property before saving and reloading the case."));
  EXPECT_EQ(m_list->compounds().size(), 3u);
}

TEST_F(CompoundListTest, the_300th_compound_blocks_calculations_until_the_list_changes) {
  std::vector<PackageCompound> many;
  for (int i = 0; i < 310; ++i)
    many.push_back({"c" + std::to_string(i), "C" + std::to_string(i), std::to_string(i), 1});
  package(many);
  for (int i = 0; i < 299; ++i) ASSERT_EQ(add("x", std::to_string(i).c_str(), 1), S_OK) << i;
  EXPECT_EQ(m_list->compoundGate(CompoundList::kCalculationOperation), S_OK);
  EXPECT_EQ(add("x", "299", 1), E_FAIL);
  EXPECT_FALSE(m_list->listValid());
  EXPECT_TRUE(told("You have reached the maximum limit of chemical compounds"));
  m_env.notices.clear();
  EXPECT_EQ(m_list->compoundGate(CompoundList::kCalculationOperation), E_FAIL);
  EXPECT_TRUE(
      told("Warning while calculating properties. . You have reached the "
           "maximum limit"));
  m_env.notices.clear();
  EXPECT_EQ(m_list->compoundGate(CompoundList::kFlashOperation), E_FAIL);
  EXPECT_TRUE(m_env.notices.empty());  // shown once only
  EXPECT_EQ(m_list->removeCompoundi(links(), 5), S_OK);
  EXPECT_EQ(m_list->compoundGate(CompoundList::kFlashOperation), S_OK);
}

// The map after removals and exchanges is checked through the component (saved cases).
TEST_F(CompoundListTest, removal_and_exchange_refuse_bad_positions_and_pass_on_refresh_failures) {
  for (const char* cas : {"7732-18-5", "74-82-8"}) ASSERT_EQ(add("x", cas, 1), S_OK);
  // By name when the CAS number is unknown, the simulator's blanks trimmed.
  ASSERT_EQ(add("ETHANE*  ", "", 25), S_OK);
  EXPECT_EQ(m_list->compounds(), (Names{"x", "x", "ETHANE*"}));
  EXPECT_EQ(listOf<double>(m_numbers), (std::vector<double>{2, 25, 1}));  // known ids stay
  EXPECT_EQ(m_list->exchangeCompounds(links(), 0, 5), CompoundList::kInvalidPosition);
  EXPECT_EQ(m_list->exchangeCompounds(links(), -1, 0), CompoundList::kInvalidPosition);
  EXPECT_FALSE(m_list->listEdited());
  ASSERT_EQ(m_list->removeCompoundi(links(), 0), S_OK);
  EXPECT_TRUE(m_list->listEdited());
  EXPECT_EQ(m_list->removeCompoundi(links(), 2), CompoundList::kInvalidPosition);
  EXPECT_TRUE(m_env.notices.empty()) << notices();

  // Failures of the calls of a refresh reach the caller.
  m_material->status = ECapeBadArgumentHR;
  EXPECT_EQ(m_list->exchangeCompounds(links(), 0, 1), ECapeBadArgumentHR);
  EXPECT_TRUE(told("exchanging compounds of the fluid package(_com_error)"));
  m_material->status = S_OK;
  m_ints->status = E_INVALIDARG;
  EXPECT_EQ(m_list->removeCompoundi(links(), 0), E_INVALIDARG);
  // A host compound object that fails an interface query is a host framework failure.
  auto broken = make<FakeCompound>("W", "", 1);
  broken->queryStatus = E_UNEXPECTED;
  EXPECT_EQ(add(broken), E_FAIL);
  EXPECT_TRUE(told("Ravelin Exceptionadding a compound to the fluid package"));
  auto noId = make<FakeCompound>("W", "", 1);
  noId->idStatus = E_ACCESSDENIED;
  EXPECT_EQ(add(noId), E_ACCESSDENIED);
}

TEST_F(CompoundListTest, hypothetical_compounds_receive_converted_constants) {
  const auto registry = ravelin::PropertyRegistry::create();
  constantFactory().initialise(
      ComPtr<IDispatch>(registry.dispatch()).as<IPropertyEnumerationRegistry>().get());
  m_adapter->constants = {{"molecularWeight", 30.07},      {"criticalTemperature", 305.32},
                          {"criticalPressure", 4872000.0}, {"criticalVolume", 1.455e-4},
                          {"criticalDensity", 6872.9},     {"vaporPressure", 1.0},
                          {"liquidDensityAt25C", 10545.0}};
  ASSERT_EQ(add("Ethane", "74-84-0", 0), S_OK);       // id number stays 0: not known
  ASSERT_EQ(add("Water", "7732-18-5", 25000), S_OK);  // a hypothetical host id
  const Names user = m_adapter->fluidLists.back();
  auto c = make<FakeCompound>("Water", "", 0);
  INT n = 0;
  Variant names;
  ASSERT_EQ(m_list->getCompoundInfo(links(), 1, disp(c), &n, &names), S_OK) << notices();
  EXPECT_EQ(listOf<std::string>(names), (Names{"MW", "TC", "PC", "VC", "SLDN"}));
  EXPECT_NEAR(c->set.back().second, 10545.0 / 1000 * 30, 1e-9);  // by the host's own weight
  EXPECT_EQ(c->endEdits, (std::vector<LONG>{0}));
  const auto& lists = m_adapter->fluidLists;
  EXPECT_EQ(lists[lists.size() - 2], (Names{"Methane", "Ethane", "Water"}));
  EXPECT_EQ(lists.back(), user);
  std::string description, source;
  EXPECT_FALSE(comlite::takeErrorInfo(description, source));  // refusals leave nothing pending

  // A refusal of the host compound stops the hand-over; the adapter gets its list back.
  c->set.clear();
  c->setStatus = E_INVALIDARG;
  EXPECT_EQ(m_list->getCompoundInfo(links(), 1, disp(c), &n, &names), E_INVALIDARG);
  EXPECT_EQ(c->set.size(), 1u);
  EXPECT_EQ(m_adapter->fluidLists.back(), user);
}
