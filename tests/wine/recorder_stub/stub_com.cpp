#include "stub_com.h"

namespace stub {

LONG g_objects = 0;

VARIANT* Arg(DISPPARAMS* params, UINT i) {
  return params && i < params->cArgs ? &params->rgvarg[params->cArgs - 1 - i] : nullptr;
}

long ArgLong(DISPPARAMS* params, UINT i) {
  VARIANT* v = Arg(params, i);
  VARIANT n;
  VariantInit(&n);
  return v && SUCCEEDED(VariantChangeType(&n, v, 0, VT_I4)) ? n.lVal : 0;
}

HRESULT Long(VARIANT* result, long value) {
  if (!result) return E_POINTER;
  VariantInit(result);
  result->vt = VT_I4;
  result->lVal = value;
  return S_OK;
}

HRESULT Text(VARIANT* result, const wchar_t* text) {
  if (!result) return E_POINTER;
  VariantInit(result);
  result->vt = VT_BSTR;
  result->bstrVal = SysAllocString(text);
  return S_OK;
}

HRESULT Bool(VARIANT* result, bool value) {
  if (!result) return E_POINTER;
  VariantInit(result);
  result->vt = VT_BOOL;
  result->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

namespace {

template <typename Fill>
HRESULT Array(VARIANT* result, LONG count, Fill fill) {
  if (!result) return E_POINTER;
  VariantInit(result);
  SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(count));
  for (LONG i = 0; i < count; ++i) {
    VARIANT element;
    fill(i, element);
    SafeArrayPutElement(array, &i, &element);
    VariantClear(&element);
  }
  result->vt = VT_ARRAY | VT_VARIANT;
  result->parray = array;
  return S_OK;
}

}  // namespace

HRESULT Longs(VARIANT* result, const std::vector<long>& values) {
  return Array(result, static_cast<LONG>(values.size()), [&](LONG i, VARIANT& e) { Long(&e, values[i]); });
}

HRESULT Texts(VARIANT* result, const std::vector<std::wstring>& values) {
  return Array(result, static_cast<LONG>(values.size()), [&](LONG i, VARIANT& e) { Text(&e, values[i].c_str()); });
}

HRESULT Raise(EXCEPINFO* error, HRESULT code, const wchar_t* text) {
  if (!error) return code;
  *error = EXCEPINFO{};
  error->scode = code;
  error->bstrDescription = SysAllocString(text);
  error->bstrSource = SysAllocString(L"Tarvo stand-in recorder");
  return DISP_E_EXCEPTION;
}

// The one connection point of an object; it keeps one sink.
class Point : public IConnectionPoint {
 public:
  explicit Point(Automation* owner) : owner_(owner) { owner_->AddRef(); }
  virtual ~Point() { owner_->Release(); }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IConnectionPoint)) {
      *out = static_cast<IConnectionPoint*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }
  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override { return *iid = *owner_->events_, S_OK; }
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override {
    *out = owner_;
    owner_->AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override {
    if (owner_->sink_) return CONNECT_E_ADVISELIMIT;
    // IMAPI asks the sink for the events interface itself.
    if (FAILED(sink->QueryInterface(*owner_->events_, reinterpret_cast<void**>(&owner_->sink_))))
      return CONNECT_E_CANNOTCONNECT;
    *cookie = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
    if (cookie != 1 || !owner_->sink_) return CONNECT_E_NOCONNECTION;
    owner_->sink_->Release();
    owner_->sink_ = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

 private:
  Automation* owner_;
  LONG refs_ = 1;
};

Automation::Automation(std::vector<std::wstring> members, const IID* events)
    : members_(std::move(members)), events_(events) {
  InterlockedIncrement(&g_objects);
}

Automation::~Automation() {
  if (sink_) sink_->Release();
  InterlockedDecrement(&g_objects);
}

HRESULT Automation::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch))
    *out = static_cast<IDispatch*>(this);
  else if (events_ && IsEqualIID(riid, IID_IConnectionPointContainer))
    *out = static_cast<IConnectionPointContainer*>(this);
  else
    return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

ULONG Automation::Release() {
  const LONG left = InterlockedDecrement(&refs_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT Automation::GetTypeInfoCount(UINT* count) { return count ? (*count = 0, S_OK) : E_POINTER; }
HRESULT Automation::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return DISP_E_BADINDEX;
}

HRESULT Automation::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  HRESULT hr = S_OK;
  for (UINT i = 0; i < count; ++i) {
    ids[i] = DISPID_UNKNOWN;
    for (std::size_t m = 0; i == 0 && m < members_.size(); ++m)
      if (lstrcmpiW(names[i], members_[m].c_str()) == 0) ids[i] = static_cast<DISPID>(m + 1);
    if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
  }
  return hr;
}

HRESULT Automation::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                           EXCEPINFO* error, UINT*) {
  if (id < 1 || static_cast<std::size_t>(id) > members_.size()) return DISP_E_MEMBERNOTFOUND;
  VARIANT ignored;
  VariantInit(&ignored);
  const HRESULT hr = Call(members_[id - 1], flags, params, result ? result : &ignored, error);
  VariantClear(&ignored);
  return hr;
}

HRESULT Automation::EnumConnectionPoints(IEnumConnectionPoints**) { return E_NOTIMPL; }

HRESULT Automation::FindConnectionPoint(REFIID riid, IConnectionPoint** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!events_ || !IsEqualIID(riid, *events_)) return CONNECT_E_NOCONNECTION;
  *out = new Point(this);
  return S_OK;
}

void Automation::RaiseUpdate(std::vector<VARIANT> args) {
  if (!sink_) return;
  std::vector<VARIANT> reversed(args.rbegin(), args.rend());
  DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  sink_->Invoke(0x200, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
}

}  // namespace stub
