#pragma once
// Late-bound calls on automation objects: properties and methods by name, the way a
// script would call them. Used for the disc recorder service, whose headers we do not have.
#include <windows.h>
// after windows.h
#include <oleauto.h>

#include <string>
#include <vector>

namespace tarvo {

// Owns one VARIANT.
class Variant {
 public:
  Variant() { VariantInit(&v_); }
  explicit Variant(long value) : Variant() { v_.vt = VT_I4, v_.lVal = value; }
  explicit Variant(bool value) : Variant() { v_.vt = VT_BOOL, v_.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE; }
  explicit Variant(const std::wstring& text) : Variant() { v_.vt = VT_BSTR, v_.bstrVal = SysAllocString(text.c_str()); }
  explicit Variant(IUnknown* object, VARTYPE type);  // VT_DISPATCH or VT_UNKNOWN; takes a reference
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  ~Variant() { VariantClear(&v_); }

  VARIANT* get() { return &v_; }
  long AsLong() const;
  std::wstring AsText() const;
  IDispatch* AsDispatch() const { return v_.vt == VT_DISPATCH ? v_.pdispVal : nullptr; }
  // The elements of a SAFEARRAY of VARIANTs (or of 4-byte integers), as numbers or texts.
  std::vector<long> Longs() const;
  std::vector<std::wstring> Texts() const;

 private:
  VARIANT v_;
};

// An automation call's outcome: the HRESULT and, when the object gave one, its text.
struct CallResult {
  HRESULT hr = S_OK;
  std::wstring description;
  bool ok() const { return SUCCEEDED(hr); }
};

// Calls `name` on `object`; `args` in their written order (the call reverses them).
CallResult CallByName(IDispatch* object, const wchar_t* name, WORD kind, std::vector<VARIANT*> args,
                      VARIANT* result);
CallResult GetProperty(IDispatch* object, const wchar_t* name, Variant& result);
CallResult PutProperty(IDispatch* object, const wchar_t* name, Variant& value);
CallResult CallMethod(IDispatch* object, const wchar_t* name, std::vector<VARIANT*> args = {});

// Creates the object of a ProgID; null when it is not registered.
IDispatch* CreateByProgId(const wchar_t* progId);
// As above; hr tells why there is no object (REGDB_E_CLASSNOTREG and CO_E_CLASSSTRING:
// nothing of that name is installed).
IDispatch* CreateByProgId(const wchar_t* progId, HRESULT& hr);

}  // namespace tarvo
