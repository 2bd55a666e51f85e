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

TEST_F(Collection, phases_are_found_by_kind_and_index_and_follow_type_changes) {
  const auto overall = ofKind(ravelin::kPhaseOverall, 0);
  EXPECT_TRUE(same(overall, m_collection->overall()));
  EXPECT_TRUE(overall.as<IBasicPhase>());
  EXPECT_TRUE(same(ofKind(ravelin::kPhaseLiquid, 1), *m_liquid2));
  EXPECT_TRUE(same(ofKind(ravelin::kPhaseVapour, 0), *m_vapour));
  EXPECT_TRUE(same(ofKind(0, 2), *m_liquid2));
  // Absent phases are an answer, not an error.
  EXPECT_FALSE(ofKind(ravelin::kPhaseOverall, 1, S_FALSE));
  ofKind(ravelin::kPhaseVapour, 1, S_FALSE);
  ofKind(ravelin::kPhaseAqueous, 0, S_FALSE);
  ofKind(0, 3, S_FALSE);
  ComPtr<IDispatch> phase;
  VARIANT_BOOL found = VARIANT_FALSE;
  EXPECT_EQ((std::vector<HRESULT>{
                m_iface->GetPhaseOfKind(11, 0, phase.put(), &found),
                m_iface->GetPhaseOfKind(-1, 0, phase.put(), &found),
                m_iface->GetPhaseOfKind(ravelin::kPhaseLiquid, -1, phase.put(), &found),
                m_iface->GetPhaseOfKind(ravelin::kPhaseLiquid, 0, nullptr, &found),
                m_iface->GetPhaseOfKind(ravelin::kPhaseLiquid, 0, phase.put(), nullptr)}),
            (std::vector<HRESULT>{E_INVALIDARG, E_INVALIDARG, E_INVALIDARG, E_POINTER, E_POINTER}));

  // The kind lookup follows a type change; the nominal type stays.
  auto vapour = ComPtr<IDispatch>(m_vapour->dispatch()).as<IBasicPhase>();
  ASSERT_EQ(vapour->put_PhaseType(ravelin::kPhaseLiquid), S_OK);
  EXPECT_TRUE(same(ofKind(ravelin::kPhaseLiquid, 0), *m_vapour));
  ofKind(ravelin::kPhaseVapour, 0, S_FALSE);
  EXPECT_EQ(got(vapour, &IBasicPhase::get_NominalType), ravelin::kPhaseVapour);
}

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
  ASSERT_EQ(m_iface->put_NumbOfPhases(2), S_OK);
  EXPECT_EQ(m_collection->numberOfPhases(), 2);
  ASSERT_EQ(m_iface->put_NumbOfPhases(0), S_OK);
  EXPECT_EQ(m_iface->put_NumbOfPhases(4), E_INVALIDARG);
  EXPECT_EQ(m_iface->put_NumbOfPhases(-1), E_INVALIDARG);
  EXPECT_EQ(m_collection->numberOfPhases(), 0);
  EXPECT_EQ(m_iface->GetPhase(2, phase.put()), S_OK);  // fewer present keeps the objects
  EXPECT_EQ(m_iface->get_NumbOfPhases(nullptr), E_POINTER);
}

TEST_F(Collection, move_takes_a_phase_out_and_puts_it_back_at_the_target) {
  auto move = m_iface.as<IRvlPhaseMove>();
  ASSERT_TRUE(move);
  ASSERT_EQ(move->MovePhase(0, 2), S_OK);  // the third goes first, the others one place up
  EXPECT_TRUE(at(0, *m_liquid2) && at(1, *m_vapour) && at(2, *m_liquid));
  ASSERT_EQ(move->MovePhase(2, 0), S_OK);
  EXPECT_TRUE(at(0, *m_vapour) && at(2, *m_liquid2));
  ASSERT_EQ(move->MovePhase(1, 1), S_OK);
  EXPECT_TRUE(at(1, *m_liquid));
  EXPECT_EQ(move->MovePhase(3, 0), DISP_E_BADINDEX);
  EXPECT_EQ(move->MovePhase(0, -1), DISP_E_BADINDEX);
  using Move = std::pair<LONG, LONG>;
  EXPECT_EQ(m_collection->moves(), (std::vector<Move>{{0, 2}, {2, 0}, {1, 1}}));
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
