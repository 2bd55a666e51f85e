#include <gtest/gtest.h>

#include <vector>

#include "fluid_package.h"
#include "host_fixture.h"
#include "outside/ravelin_ids.h"
#include "outside/ravelin_phase.h"
#include "outside/ravelin_phase_collection.h"
#include "ravelin/phase_collection.h"

using comlite::ComPtr;
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

  //! Whether `got` is the object behind `phase`.
  static bool same(const ComPtr<IDispatch>& got, const ravelin::Phase& phase) {
    return comlite::sameObject(got.get(), phase.dispatch());
  }

  std::optional<ravelin::Phase> m_vapour, m_liquid, m_liquid2;
  std::optional<ravelin::PhaseCollection> m_collection;
  ComPtr<IPhaseCollection> m_iface;
};

}  // namespace

TEST_F(Collection, phases_are_found_by_kind_and_index) {
  ComPtr<IDispatch> phase;
  VARIANT_BOOL found = VARIANT_FALSE;
  ASSERT_EQ(m_iface->GetPhaseOfKind(ravelin::kPhaseOverall, 0, phase.put(), &found), S_OK);
  EXPECT_EQ(found, VARIANT_TRUE);
  EXPECT_TRUE(same(phase, m_collection->overall()));
  EXPECT_TRUE(phase.as<IBasicPhase>());

  ASSERT_EQ(m_iface->GetPhaseOfKind(ravelin::kPhaseLiquid, 1, phase.put(), &found), S_OK);
  EXPECT_TRUE(same(phase, *m_liquid2));
  ASSERT_EQ(m_iface->GetPhaseOfKind(ravelin::kPhaseVapour, 0, phase.put(), &found), S_OK);
  EXPECT_TRUE(same(phase, *m_vapour));
  ASSERT_EQ(m_iface->GetPhaseOfKind(0, 2, phase.put(), &found), S_OK);
  EXPECT_TRUE(same(phase, *m_liquid2));

  // Absent phases are an answer, not an error.
  EXPECT_EQ(m_iface->GetPhaseOfKind(ravelin::kPhaseOverall, 1, phase.put(), &found), S_FALSE);
  EXPECT_EQ(found, VARIANT_FALSE);
  EXPECT_FALSE(phase);
  EXPECT_EQ(m_iface->GetPhaseOfKind(ravelin::kPhaseVapour, 1, phase.put(), &found), S_FALSE);
  EXPECT_EQ(m_iface->GetPhaseOfKind(ravelin::kPhaseAqueous, 0, phase.put(), &found), S_FALSE);
  EXPECT_EQ(m_iface->GetPhaseOfKind(0, 3, phase.put(), &found), S_FALSE);

  EXPECT_EQ(m_iface->GetPhaseOfKind(11, 0, phase.put(), &found), E_INVALIDARG);
  EXPECT_EQ(m_iface->GetPhaseOfKind(-1, 0, phase.put(), &found), E_INVALIDARG);
  EXPECT_EQ(m_iface->GetPhaseOfKind(ravelin::kPhaseLiquid, -1, phase.put(), &found), E_INVALIDARG);
  EXPECT_EQ(m_iface->GetPhaseOfKind(ravelin::kPhaseLiquid, 0, nullptr, &found), E_POINTER);
  EXPECT_EQ(m_iface->GetPhaseOfKind(ravelin::kPhaseLiquid, 0, phase.put(), nullptr), E_POINTER);
}

TEST_F(Collection, kind_lookup_follows_type_changes_while_the_nominal_type_stays) {
  ComPtr<IBasicPhase> vapour;
  ASSERT_EQ(m_vapour->dispatch()->QueryInterface(IBasicPhase::kIID, vapour.putVoid()), S_OK);
  ASSERT_EQ(vapour->put_PhaseType(ravelin::kPhaseLiquid), S_OK);
  ComPtr<IDispatch> phase;
  VARIANT_BOOL found = VARIANT_FALSE;
  ASSERT_EQ(m_iface->GetPhaseOfKind(ravelin::kPhaseLiquid, 0, phase.put(), &found), S_OK);
  EXPECT_TRUE(same(phase, *m_vapour));
  EXPECT_EQ(m_iface->GetPhaseOfKind(ravelin::kPhaseVapour, 0, phase.put(), &found), S_FALSE);
  LONG nominal = 0;
  ASSERT_EQ(vapour->get_NominalType(&nominal), S_OK);
  EXPECT_EQ(nominal, ravelin::kPhaseVapour);
}

TEST_F(Collection, phases_by_position_and_number_of_phases_are_checked) {
  LONG n = 0;
  ASSERT_EQ(m_iface->get_NumbOfPhases(&n), S_OK);
  EXPECT_EQ(n, 3);
  ASSERT_EQ(m_iface->get_NumbOfComps(&n), S_OK);
  EXPECT_EQ(n, 3);
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
  // Fewer phases present does not remove the phase objects.
  EXPECT_EQ(m_iface->GetPhase(2, phase.put()), S_OK);
  EXPECT_EQ(m_iface->get_NumbOfPhases(nullptr), E_POINTER);
}

TEST_F(Collection, move_takes_a_phase_out_and_puts_it_back_at_the_target) {
  auto move = m_iface.as<IRvlPhaseMove>();
  ASSERT_TRUE(move);
  // The third phase goes first; the others move one place up.
  ASSERT_EQ(move->MovePhase(0, 2), S_OK);
  EXPECT_TRUE(comlite::sameObject(m_collection->phase(0).dispatch(), m_liquid2->dispatch()));
  EXPECT_TRUE(comlite::sameObject(m_collection->phase(1).dispatch(), m_vapour->dispatch()));
  EXPECT_TRUE(comlite::sameObject(m_collection->phase(2).dispatch(), m_liquid->dispatch()));
  // And back.
  ASSERT_EQ(move->MovePhase(2, 0), S_OK);
  EXPECT_TRUE(comlite::sameObject(m_collection->phase(0).dispatch(), m_vapour->dispatch()));
  EXPECT_TRUE(comlite::sameObject(m_collection->phase(2).dispatch(), m_liquid2->dispatch()));
  ASSERT_EQ(move->MovePhase(1, 1), S_OK);
  EXPECT_TRUE(comlite::sameObject(m_collection->phase(1).dispatch(), m_liquid->dispatch()));

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
  LONG type = 0;
  ASSERT_EQ(phase->get_PhaseType(&type), S_OK);
  EXPECT_EQ(type, ravelin::kPhaseOverall);
  LONG n = -1;
  ASSERT_EQ(iface->get_NumbOfPhases(&n), S_OK);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(iface->put_NumbOfPhases(1), E_INVALIDARG);

  auto collection = ravelin::PhaseCollection::from(iface.get());
  ASSERT_TRUE(collection);
  auto compounds = ravelintest::threeCompounds();
  collection->addPhase(ravelin::Phase::create(compounds, ravelin::kPhaseVapour));
  EXPECT_EQ(iface->put_NumbOfPhases(1), S_OK);
  EXPECT_THROW(collection->setNumberOfPhases(2), std::invalid_argument);
  EXPECT_THROW(collection->phase(1), std::out_of_range);
}
