#pragma once
//! A package GUI component whose every method answers other(): fakes override the methods they
//! play and, if they want to see stray calls, other() itself.

#include "comlite/object.h"
#include "outside/cape_gui.h"

namespace testsupport {

template <class Derived>
class GuiStub : public comlite::ComObject<Derived, ICCAPEGUI> {
 public:
  using VB = VARIANT_BOOL*;
  virtual HRESULT other() { return E_NOTIMPL; }
  HRESULT SetPackageInfo(BSTR, BSTR, BSTR, BSTR) override { return other(); }
  HRESULT SetPackageClass(BSTR, BSTR) override { return other(); }
  HRESULT get_PackageName(BSTR*) override { return other(); }
  HRESULT get_PackageAlias(BSTR*) override { return other(); }
  HRESULT get_ManagerProgID(BSTR*) override { return other(); }
  HRESULT get_PackageProgID(BSTR*) override { return other(); }
  HRESULT get_PackageDescription(BSTR*) override { return other(); }
  HRESULT get_PackageClsid(BSTR*) override { return other(); }
  HRESULT put_CapeVersion(LONG) override { return other(); }
  HRESULT SetCompoundData(VARIANT, VARIANT) override { return other(); }
  HRESULT GetCompoundData(VARIANT*, VARIANT*) override { return other(); }
  HRESULT SetPhaseList(VARIANT) override { return other(); }
  HRESULT GetPhaseList(VARIANT*) override { return other(); }
  HRESULT GetSupportedFlashes(VARIANT*) override { return other(); }
  HRESULT get_ViewNotice(VB) override { return other(); }
  HRESULT get_ViewCount(LONG*) override { return other(); }
  HRESULT get_OpenView(VB) override { return other(); }
  HRESULT GetLastMessage(BSTR*, LONG*) override { return other(); }
  HRESULT get_MessageCount(LONG*) override { return other(); }
  HRESULT put_ParentWindow(LONGLONG) override { return other(); }
  HRESULT GetOptions(BSTR*) override { return other(); }
  HRESULT get_CapeVersion(LONG*) override { return other(); }
  HRESULT SetOptions(BSTR) override { return other(); }
  HRESULT put_ViewNotice(BYTE) override { return other(); }
  HRESULT get_Edited(VB) override { return other(); }
  HRESULT GetCompoundOptions(VB, VB, VB) override { return other(); }
  HRESULT ConfigureCompounds(VARIANT, VARIANT*, VARIANT*) override { return other(); }
  HRESULT GetCompoundNames(VARIANT*) override { return other(); }
  HRESULT ClearMessages() override { return other(); }
  HRESULT SetCompoundOptions(BYTE, BYTE, BYTE) override { return other(); }
  HRESULT ShowMessage(BSTR, LONG) override { return other(); }
  HRESULT get_ParentWindow(LONGLONG*) override { return other(); }
  HRESULT SetRecovErrorRouting(BYTE, BYTE, BYTE) override { return other(); }
  HRESULT GetRecovErrorRouting(VB, VB, VB) override { return other(); }
  HRESULT get_ComponentVersion(BSTR*) override { return other(); }
  HRESULT get_VendorURL(BSTR*) override { return other(); }
  HRESULT get_About(BSTR*) override { return other(); }
  HRESULT SetSupportedFlashes(VARIANT) override { return other(); }
  HRESULT GetLiquid2FlashRequest(VB) override { return other(); }
  HRESULT SetLiquid2FlashRequest(BYTE, VB) override { return other(); }
  HRESULT GetOrderPhases(VB) override { return other(); }
  HRESULT SetOrderPhases(BYTE) override { return other(); }
  HRESULT GetCritErrorRouting(VB, VB, VB) override { return other(); }
  HRESULT SetCritErrorRouting(BYTE, BYTE, BYTE) override { return other(); }
};

}  // namespace testsupport
