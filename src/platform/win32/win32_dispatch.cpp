#include "platform/win32/win32_dispatch.h"

#include <algorithm>

namespace tarvo {

Variant::Variant(IUnknown* object, VARTYPE type) : Variant() {
  v_.vt = type;
  v_.punkVal = object;
  if (object) object->AddRef();
}

long Variant::AsLong() const {
  VARIANT copy;
  VariantInit(&copy);
  if (FAILED(VariantChangeType(&copy, const_cast<VARIANT*>(&v_), 0, VT_I4))) return 0;
  return copy.lVal;
}

std::wstring Variant::AsText() const {
  if (v_.vt == VT_BSTR) return v_.bstrVal ? v_.bstrVal : L"";
  VARIANT copy;
  VariantInit(&copy);
  if (FAILED(VariantChangeType(&copy, const_cast<VARIANT*>(&v_), 0, VT_BSTR))) return L"";
  std::wstring text = copy.bstrVal ? copy.bstrVal : L"";
  VariantClear(&copy);
  return text;
}

namespace {

template <typename Each>
void ForEachElement(const VARIANT& v, Each each) {
  if (!(v.vt & VT_ARRAY) || !v.parray || SafeArrayGetDim(v.parray) != 1) return;
  LONG low = 0, high = -1;
  SafeArrayGetLBound(v.parray, 1, &low);
  SafeArrayGetUBound(v.parray, 1, &high);
  const VARTYPE type = v.vt & VT_TYPEMASK;
  for (LONG i = low; i <= high; ++i) {
    VARIANT element;
    VariantInit(&element);
    if (type == VT_VARIANT) {
      SafeArrayGetElement(v.parray, &i, &element);
    } else if (type == VT_I4 || type == VT_UI4) {
      element.vt = VT_I4;
      SafeArrayGetElement(v.parray, &i, &element.lVal);
    } else if (type == VT_BSTR) {
      element.vt = VT_BSTR;
      SafeArrayGetElement(v.parray, &i, &element.bstrVal);
    }
    each(element);
    VariantClear(&element);
  }
}

}  // namespace

std::vector<long> Variant::Longs() const {
  std::vector<long> values;
  ForEachElement(v_, [&](VARIANT& e) {
    VARIANT n;
    VariantInit(&n);
    if (SUCCEEDED(VariantChangeType(&n, &e, 0, VT_I4))) values.push_back(n.lVal);
  });
  return values;
}

std::vector<std::wstring> Variant::Texts() const {
  std::vector<std::wstring> values;
  ForEachElement(v_, [&](VARIANT& e) {
    if (e.vt == VT_BSTR) values.emplace_back(e.bstrVal ? e.bstrVal : L"");
  });
  return values;
}

CallResult CallByName(IDispatch* object, const wchar_t* name, WORD kind, std::vector<VARIANT*> args,
                      VARIANT* result) {
  if (!object) return {E_POINTER, L""};
  DISPID id = 0;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) return {hr, std::wstring(L"No member ") + name};
  std::vector<VARIANT> values;
  for (auto it = args.rbegin(); it != args.rend(); ++it) values.push_back(**it);  // shallow: the caller owns them
  DISPPARAMS params{values.data(), nullptr, static_cast<UINT>(values.size()), 0};
  DISPID named = DISPID_PROPERTYPUT;
  if (kind == DISPATCH_PROPERTYPUT) params.rgdispidNamedArgs = &named, params.cNamedArgs = 1;
  EXCEPINFO error{};
  hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params, result, &error, nullptr);
  CallResult outcome{hr, L""};
  if (hr == DISP_E_EXCEPTION) {
    outcome.hr = error.scode ? error.scode : E_FAIL;
    if (error.bstrDescription) outcome.description = error.bstrDescription;
  }
  SysFreeString(error.bstrDescription);
  SysFreeString(error.bstrSource);
  SysFreeString(error.bstrHelpFile);
  return outcome;
}

CallResult GetProperty(IDispatch* object, const wchar_t* name, Variant& result) {
  VariantClear(result.get());
  return CallByName(object, name, DISPATCH_PROPERTYGET, {}, result.get());
}

CallResult PutProperty(IDispatch* object, const wchar_t* name, Variant& value) {
  return CallByName(object, name, DISPATCH_PROPERTYPUT, {value.get()}, nullptr);
}

CallResult CallMethod(IDispatch* object, const wchar_t* name, std::vector<VARIANT*> args) {
  Variant ignored;
  return CallByName(object, name, DISPATCH_METHOD, std::move(args), ignored.get());
}

IDispatch* CreateByProgId(const wchar_t* progId) {
  HRESULT hr = S_OK;
  return CreateByProgId(progId, hr);
}

IDispatch* CreateByProgId(const wchar_t* progId, HRESULT& hr) {
  CLSID clsid;
  hr = CLSIDFromProgID(progId, &clsid);
  if (FAILED(hr)) return nullptr;
  IDispatch* object = nullptr;
  hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                        reinterpret_cast<void**>(&object));
  return SUCCEEDED(hr) ? object : nullptr;
}

}  // namespace tarvo
