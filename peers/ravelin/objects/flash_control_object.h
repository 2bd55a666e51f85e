#pragma once
//! The host's flash control: iteration settings and the options a package may set, keyed by
//! option id and flash type.

#include <cstddef>
#include <map>
#include <utility>

#include "comlite/object.h"
#include "outside/ravelin_flash.h"

namespace ravelin::detail {

class FlashControlObject final : public comlite::ComObject<FlashControlObject, IRvlFlashControl> {
 public:
  using Primary = IRvlFlashControl;
  static constexpr IID kOwnIID = comlite::makeGuid("ED7C34DD-2078-4F70-A40A-069C52CDBFF6");
  //! Highest flash type code the host knows (tagFlashTypeEnum's last real type).
  static constexpr LONG kLastFlashType = 12;

  HRESULT get_MaxIterations(LONG* count) override;
  HRESULT put_MaxIterations(LONG count) override;
  HRESULT get_Tolerance(double* tolerance) override;
  HRESULT put_Tolerance(double tolerance) override;
  HRESULT get_UseInitialGuess(VARIANT_BOOL* use) override;
  HRESULT put_UseInitialGuess(VARIANT_BOOL use) override;
  HRESULT get_OptionCount(LONG* count) override;
  HRESULT GetOptionAt(LONG index, LONG* optionId, LONG* flashType, double* value) override;
  HRESULT GetOption(LONG optionId, LONG flashType, double* value) override;
  HRESULT HasOption(LONG optionId, LONG flashType, VARIANT_BOOL* present) override;
  HRESULT ResetOptions() override;
  HRESULT SetOption(LONG optionId, double value, LONG flashType, LONG phase, LONG reserved1,
                    LONG reserved2) override;

  void* queryExtra(REFIID riid) { return riid == kOwnIID ? static_cast<Primary*>(this) : nullptr; }

  using Key = std::pair<LONG, LONG>;  //!< (option id, flash type)
  const std::map<Key, double>& options() const { return m_options; }
  std::size_t setOptionCalls() const { return m_setOptionCalls; }
  void setLocked(bool locked) { m_locked = locked; }

 private:
  const double* find(LONG optionId, LONG flashType) const;

  LONG m_maxIterations = 50;
  double m_tolerance = 1e-7;
  bool m_useInitialGuess = false;
  bool m_locked = false;
  std::size_t m_setOptionCalls = 0;
  std::map<Key, double> m_options;
};

}  // namespace ravelin::detail
