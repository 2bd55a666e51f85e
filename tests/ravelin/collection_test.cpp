#include <gtest/gtest.h>

#include <vector>

#include "fluid_package.h"
#include "host_fixture.h"
#include "outside/ravelin_ids.h"
#include "outside/ravelin_phase.h"
#include "outside/ravelin_phase_collection.h"
#include "ravelin/phase_collection.h"

using comlite::ComPtr;
using ravelintest::got;
using ravelintest::HostFramework;

namespace {

class Collection : public HostFramework {
 protected:
  Collection() {
    auto compounds = ravelintest::threeCompounds();
    m_vapour = ravelin::Phase::create(compounds, ravelin::kPhaseVapour);
    m_liquid = ravelin::Phase::create(compounds, ravelin::kPhaseLiquid);
    m_liquid2 = ravelin::Phase::create(compounds, ravelin::kPhaseLiquid);
    m_collection =
        ravelin::PhaseCollection::create(ravelin::Phase::create(compounds, ravelin::kPhaseOverall),
                                         {*m_vapour, *m_liquid, *m_liquid2});
    EXPECT_EQ(m_collection->dispatch()->QueryInterface(IPhaseCollection::kIID, m_iface.putVoid()),
              S_OK);
  }

  //! The phase GetPhaseOfKind answers, null when absent; `status` gets its status.
  ComPtr<IDispatch> ofKind(LONG kind, LONG index, HRESULT expect = S_OK) {
    ComPtr<IDispatch> phase;
    VARIANT_BOOL found = VARIANT_TRUE;
    EXPECT_EQ(m_iface->GetPhaseOfKind(kind, index, phase.put(), &found), expect)
        << kind << "," << index;
    EXPECT_EQ(found != VARIANT_FALSE, expect == S_OK);
    return phase;
  }
  static bool same(const ComPtr<IDispatch>& got, const ravelin::Phase& phase) {
    return comlite::sameObject(got.get(), phase.dispatch());
  }
  bool at(int i, const ravelin::Phase& phase) {
    return comlite::sameObject(m_collection->phase(i).dispatch(), phase.dispatch());
  }

  std::optional<ravelin::Phase> m_vapour, m_liquid, m_liquid2;
  std::optional<ravelin::PhaseCollection> m_collection;
  ComPtr<IPhaseCollection> m_iface;
};

}  // namespace

TEST_F(Collection, phases_by_position_and_number_of_phases_are_checked) {
  EXPECT_EQ(got(m_iface, &IPhaseCollection::get_NumbOfPhases), 3);
  EXPECT_EQ(got(m_iface, &IPhaseCollection::get_NumbOfComps), 3);
  ComPtr<IDispatch> phase;
  ASSERT_EQ(m_iface->GetPhase(1, phase.put()), S_OK);
  EXPECT_TRUE(same(phase, *m_liquid));
  EXPECT_EQ(m_iface->GetPhase(3, phase.put()), DISP_E_BADINDEX);
  EXPECT_FALSE(phase);
  EXPECT_EQ(m_iface->GetPhase(-1, phase.put()), DISP_E_BADINDEX);
  EXPECT_EQ(m_iface->GetPhase(0, nullptr), E_POINTER);
  // Kind 0 is any phase by position; absent phases are an answer, not an error.
  EXPECT_TRUE(same(ofKind(0, 2), *m_liquid2));
  EXPECT_TRUE(same(ofKind(ravelin::kPhaseLiquid, 1), *m_liquid2));
  ofKind(ravelin::kPhaseVapour, 1, S_FALSE);
  // A moved phase is taken out and put back at the target.
  ASSERT_EQ(m_iface.as<IRvlPhaseMove>()->MovePhase(2, 0), S_OK);
  EXPECT_TRUE(at(0, *m_liquid) && at(2, *m_vapour));
  ASSERT_EQ(m_iface->put_NumbOfPhases(2), S_OK);
  EXPECT_EQ(m_collection->numberOfPhases(), 2);
  ASSERT_EQ(m_iface->put_NumbOfPhases(0), S_OK);
  EXPECT_EQ(m_iface->put_NumbOfPhases(4), E_INVALIDARG);
  EXPECT_EQ(m_iface->put_NumbOfPhases(-1), E_INVALIDARG);
  EXPECT_EQ(m_collection->numberOfPhases(), 0);
  EXPECT_EQ(m_iface->GetPhase(2, phase.put()), S_OK);  // fewer present keeps the objects
  EXPECT_EQ(m_iface->get_NumbOfPhases(nullptr), E_POINTER);
}

TEST_F(HostFramework, collection_created_by_class_id_has_an_overall_phase_and_no_phases) {
  auto iface = create<IPhaseCollection>(ravelin::kClsidPhaseCollection);
  ASSERT_TRUE(iface);
  ComPtr<IDispatch> overall;
  VARIANT_BOOL found = VARIANT_FALSE;
  ASSERT_EQ(iface->GetPhaseOfKind(ravelin::kPhaseOverall, 0, overall.put(), &found), S_OK);
  auto phase = overall.as<IBasicPhase>();
  ASSERT_TRUE(phase);
  EXPECT_EQ(got(phase, &IBasicPhase::get_PhaseType), ravelin::kPhaseOverall);
  EXPECT_EQ(got(iface, &IPhaseCollection::get_NumbOfPhases), 0);
  EXPECT_EQ(iface->put_NumbOfPhases(1), E_INVALIDARG);
  auto collection = ravelin::PhaseCollection::from(iface.get());
  ASSERT_TRUE(collection);
  collection->addPhase(
      ravelin::Phase::create(ravelintest::threeCompounds(), ravelin::kPhaseVapour));
  EXPECT_EQ(iface->put_NumbOfPhases(1), S_OK);
  EXPECT_THROW(collection->setNumberOfPhases(2), std::invalid_argument);
  EXPECT_THROW(collection->phase(1), std::out_of_range);
}
