#pragma once
// Plumbing of the stand-in recorder: automation objects answering members by name, and
// the one connection point each format object offers for its Update events.
#include <windows.h>
// after windows.h
#include <oleauto.h>
#include <ocidl.h>
#include <olectl.h>

#include <string>
#include <vector>

namespace stub {

extern LONG g_objects;

// The i-th argument as written (DISPPARAMS holds them last first).
VARIANT* Arg(DISPPARAMS* params, UINT i);
long ArgLong(DISPPARAMS* params, UINT i);
HRESULT Long(VARIANT* result, long value);
HRESULT Text(VARIANT* result, const wchar_t* text);
HRESULT Bool(VARIANT* result, bool value);
HRESULT Longs(VARIANT* result, const std::vector<long>& values);  // SAFEARRAY of VARIANTs
HRESULT Texts(VARIANT* result, const std::vector<std::wstring>& values);
// Raises an automation error with its text, as IMAPI does.
HRESULT Raise(EXCEPINFO* error, HRESULT code, const wchar_t* text);

class Automation : public IDispatch, public IConnectionPointContainer {
 public:
  // `events`: the interface id of the Update events this object raises, or null.
  Automation(std::vector<std::wstring> members, const IID* events);
  virtual ~Automation();

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* error, UINT*) override;
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** out) override;
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** out) override;

  // Calls Update on the connected sink with `args` as written.
  void RaiseUpdate(std::vector<VARIANT> args);

 protected:
  virtual HRESULT Call(const std::wstring& member, WORD flags, DISPPARAMS* params, VARIANT* result,
                       EXCEPINFO* error) = 0;

 private:
  friend class Point;
  LONG refs_ = 1;
  std::vector<std::wstring> members_;
  const IID* events_;
  IDispatch* sink_ = nullptr;
};

}  // namespace stub
