#pragma once
//! The fluid package's compound list, in fluid-package order.

#include <vector>

#include "comlite/com_ptr.h"
#include "comlite/object.h"
#include "outside/ravelin_compounds.h"

namespace ravelin::detail {

class CompoundListObject final : public comlite::ComObject<CompoundListObject, IRvlCompoundList> {
 public:
  using Primary = IRvlCompoundList;
  static constexpr IID kOwnIID = comlite::makeGuid("278B5335-B402-4F6F-ADA9-D9CACEAEBCB2");

  HRESULT get_Count(LONG* count) override;
  HRESULT get_Item(LONG index, IDispatch** compound) override;
  HRESULT IndexOf(BSTR name, LONG* index) override;

  void* queryExtra(REFIID riid) { return riid == kOwnIID ? static_cast<Primary*>(this) : nullptr; }

  const std::vector<comlite::ComPtr<IRvlCompound>>& compounds() const { return m_compounds; }
  void setCompounds(std::vector<comlite::ComPtr<IRvlCompound>> compounds) {
    m_compounds = std::move(compounds);
  }
  std::size_t size() const { return m_compounds.size(); }

 private:
  std::vector<comlite::ComPtr<IRvlCompound>> m_compounds;
};

}  // namespace ravelin::detail
