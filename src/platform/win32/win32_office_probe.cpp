#include "platform/win32/win32_office_probe.h"

#include <windows.h>
// after windows.h
#include <objbase.h>
#include <oleauto.h>

#include "platform/win32/wide.h"

namespace tarvo {
namespace {

// COM for this thread for one probe; leaves an apartment the program set up alone.
class ComScope {
 public:
  ComScope() : owned_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComScope() {
    if (owned_) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool owned_;
};

bool Invoke(IDispatch* object, const wchar_t* name, WORD kind, VARIANT* result) {
  DISPID id = 0;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return false;
  DISPPARAMS none{};
  return SUCCEEDED(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &none, result, nullptr, nullptr));
}

std::string ReadVersion(IDispatch* word) {
  VARIANT value;
  VariantInit(&value);
  std::string text;
  if (Invoke(word, L"Version", DISPATCH_PROPERTYGET, &value) &&
      SUCCEEDED(VariantChangeType(&value, &value, 0, VT_BSTR)) && value.bstrVal)
    text = FromWide(std::wstring(value.bstrVal, SysStringLen(value.bstrVal)));
  VariantClear(&value);
  return text;
}

}  // namespace

std::optional<std::string> Win32OfficeProbe::WordVersion() {
  ComScope com;
  CLSID clsid;
  if (FAILED(CLSIDFromProgID(L"Word.Application.8", &clsid))) return std::nullopt;
  IDispatch* word = nullptr;
  if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IDispatch, reinterpret_cast<void**>(&word))) ||
      !word)
    return std::nullopt;
  std::string version = ReadVersion(word);
  VARIANT ignored;
  VariantInit(&ignored);
  Invoke(word, L"Quit", DISPATCH_METHOD, &ignored);  // a word processor that will not quit still answered
  VariantClear(&ignored);
  word->Release();
  return version;
}

}  // namespace tarvo
