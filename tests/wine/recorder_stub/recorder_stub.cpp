// A stand-in for the IMAPI2 recorder service, for tests under Wine only: an in-process COM
// server registered in the throwaway prefix as "IMAPI2.MsftDiscMaster2",
// "IMAPI2.MsftDiscRecorder2", "IMAPI2.MsftDiscFormat2Data" and "IMAPI2.MsftDiscFormat2Erase".
// It plays one recorder; the process environment picks its disc and behaviour, read at
// every call:
//   TARVO_RECORDER_DISC    blank (DVD+R, the default), full (an appendable CD-R with 16
//                          sectors left), rewritable (a blank DVD-RW) or none
//   TARVO_RECORDER_FAIL    when set, a write fails halfway and an erase fails
//   TARVO_RECORDER_OUTPUT  when set, the file that receives the written image
// A write ended by CancelWrite sets TARVO_RECORDER_CANCELLED to 1.
#include <string>

#include <olectl.h>

#include "stub_com.h"

namespace {

using stub::Automation;

const IID kDataEvents = {0x2735413C, 0x7F64, 0x5B0F, {0x8F, 0x00, 0x5D, 0x77, 0xAF, 0xBE, 0x26, 0x1E}};
const IID kEraseEvents = {0x2735413A, 0x7F64, 0x5B0F, {0x8F, 0x00, 0x5D, 0x77, 0xAF, 0xBE, 0x26, 0x1E}};
const wchar_t kRecorderId[] = L"{TARVO-STAND-IN-RECORDER}";
constexpr HRESULT kCancelled = static_cast<HRESULT>(0xC0AA0002);  // E_IMAPI_REQUEST_CANCELLED
constexpr HRESULT kNoMedia = static_cast<HRESULT>(0xC0AA0202);    // E_IMAPI_RECORDER_MEDIA_NO_MEDIA
constexpr HRESULT kWriteFailed = static_cast<HRESULT>(0xC0AA0205);

std::wstring Env(const wchar_t* name) {
  wchar_t buf[1024];
  const DWORD n = GetEnvironmentVariableW(name, buf, 1024);
  return n > 0 && n < 1024 ? std::wstring(buf, n) : L"";
}
std::wstring Disc() {
  const std::wstring d = Env(L"TARVO_RECORDER_DISC");
  return d.empty() ? L"blank" : d;
}
bool Failing() { return !Env(L"TARVO_RECORDER_FAIL").empty(); }
bool Is(const std::wstring& a, const wchar_t* b) { return lstrcmpiW(a.c_str(), b) == 0; }

class Master : public Automation {
 public:
  Master() : Automation({L"Count", L"Item", L"IsSupportedEnvironment"}, nullptr) {}
  HRESULT Call(const std::wstring& m, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*) override {
    if (Is(m, L"Count")) return stub::Long(result, 1);
    if (Is(m, L"IsSupportedEnvironment")) return stub::Bool(result, true);
    return stub::ArgLong(params, 0) == 0 ? stub::Text(result, kRecorderId) : E_INVALIDARG;
  }
};

class Recorder : public Automation {
 public:
  Recorder()
      : Automation({L"InitializeDiscRecorder", L"VendorId", L"ProductId", L"VolumePathNames", L"SupportedProfiles",
                    L"SupportedFeaturePages", L"EjectMedia", L"CloseTray", L"ActiveDiscRecorder"},
                   nullptr) {}
  HRESULT Call(const std::wstring& m, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO* error) override {
    if (Is(m, L"InitializeDiscRecorder")) {
      VARIANT* id = stub::Arg(params, 0);
      ready_ = id && id->vt == VT_BSTR && lstrcmpW(id->bstrVal, kRecorderId) == 0;
      return ready_ ? S_OK : stub::Raise(error, E_INVALIDARG, L"No such recorder.");
    }
    if (!ready_) return stub::Raise(error, E_UNEXPECTED, L"The recorder is not initialised.");
    if (Is(m, L"VendorId")) return stub::Text(result, L"TARVO   ");
    if (Is(m, L"ProductId")) return stub::Text(result, L"Stand-in Burner ");
    if (Is(m, L"VolumePathNames")) return stub::Texts(result, {});
    if (Is(m, L"SupportedProfiles")) return stub::Longs(result, {0x08, 0x09, 0x0A, 0x10, 0x11, 0x13, 0x14, 0x1B});
    if (Is(m, L"SupportedFeaturePages")) return stub::Longs(result, {0x00, 0x01, 0x2D, 0x2F});
    if (Is(m, L"ActiveDiscRecorder")) return stub::Text(result, kRecorderId);
    return S_OK;  // EjectMedia, CloseTray
  }

 private:
  bool ready_ = false;
};

// The progress object of a data write (IDiscFormat2DataEventArgs).
class WriteArgs : public Automation {
 public:
  WriteArgs(long action, long sectors, long written)
      : Automation({L"CurrentAction", L"StartLba", L"SectorCount", L"LastWrittenLba", L"ElapsedTime",
                    L"EstimatedRemainingTime", L"EstimatedTotalTime"},
                   nullptr),
        action_(action), sectors_(sectors), written_(written) {}
  HRESULT Call(const std::wstring& m, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*) override {
    if (Is(m, L"CurrentAction")) return stub::Long(result, action_);
    if (Is(m, L"SectorCount")) return stub::Long(result, sectors_);
    if (Is(m, L"LastWrittenLba")) return stub::Long(result, written_);
    return stub::Long(result, 0);
  }

 private:
  long action_, sectors_, written_;
};

// What both format objects share: the recorder they are bound to and the client name,
// which IMAPI insists on before it writes or erases.
class Format : public Automation {
 public:
  Format(std::vector<std::wstring> members, const IID* events) : Automation(Members(std::move(members)), events) {}

 protected:
  static std::vector<std::wstring> Members(std::vector<std::wstring> own) {
    own.insert(own.end(), {L"Recorder", L"ClientName"});
    return own;
  }
  // Answers Recorder and ClientName; true when `m` was one of them.
  bool Common(const std::wstring& m, WORD flags, DISPPARAMS* params, HRESULT& hr) {
    if (!(flags & DISPATCH_PROPERTYPUT) || !(Is(m, L"Recorder") || Is(m, L"ClientName"))) return false;
    VARIANT* value = stub::Arg(params, 0);
    if (Is(m, L"Recorder")) bound_ = value && value->vt == VT_DISPATCH && value->pdispVal;
    if (Is(m, L"ClientName")) named_ = value && value->vt == VT_BSTR && SysStringLen(value->bstrVal) > 0;
    hr = S_OK;
    return true;
  }
  bool ready() const { return bound_ && named_; }
  void Update(std::vector<VARIANT> args) {
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_DISPATCH;
    self.pdispVal = static_cast<IDispatch*>(this);
    args.insert(args.begin(), self);
    RaiseUpdate(std::move(args));
  }

 private:
  bool bound_ = false;
  bool named_ = false;
};

class DataFormat : public Format {
 public:
  DataFormat()
      : Format({L"IsRecorderSupported", L"IsCurrentMediaSupported", L"CurrentPhysicalMediaType",
                L"CurrentMediaStatus", L"FreeSectorsOnMedia", L"SupportedWriteSpeeds", L"SetWriteSpeed",
                L"BufferUnderrunFreeDisabled", L"Write", L"CancelWrite"},
               &kDataEvents) {}

  HRESULT Call(const std::wstring& m, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* error) override {
    HRESULT hr;
    if (Common(m, flags, params, hr)) return hr;
    const std::wstring disc = Disc();
    if (Is(m, L"IsRecorderSupported") || Is(m, L"IsCurrentMediaSupported")) return stub::Bool(result, true);
    if (Is(m, L"SetWriteSpeed") || Is(m, L"BufferUnderrunFreeDisabled")) return S_OK;
    if (Is(m, L"CancelWrite")) return cancel_ = true, S_OK;
    if (!ready()) return stub::Raise(error, E_UNEXPECTED, L"No recorder or client name.");
    if (Is(disc, L"none")) return stub::Raise(error, kNoMedia, L"There is no media in the device.");
    if (Is(m, L"CurrentPhysicalMediaType"))
      return stub::Long(result, Is(disc, L"full") ? 2 : Is(disc, L"rewritable") ? 10 : 6);
    if (Is(m, L"CurrentMediaStatus")) return stub::Long(result, Is(disc, L"full") ? 0x4 : 0x2);
    if (Is(m, L"FreeSectorsOnMedia"))
      return stub::Long(result, Is(disc, L"full") ? 16 : Is(disc, L"rewritable") ? 2236704 : 2295104);
    if (Is(m, L"SupportedWriteSpeeds"))
      return stub::Longs(result, Is(disc, L"full") ? std::vector<long>{1800, 3600} : std::vector<long>{2720, 5440});
    VARIANT* stream = stub::Arg(params, 0);
    if (!stream || (stream->vt != VT_UNKNOWN && stream->vt != VT_DISPATCH) || !stream->punkVal) return E_INVALIDARG;
    return Write(stream->punkVal, error);
  }

 private:
  // Pulls the whole stream, raising Update for each piece, as a burner would.
  HRESULT Write(IUnknown* unknown, EXCEPINFO* error) {
    IStream* stream = nullptr;
    if (FAILED(unknown->QueryInterface(IID_IStream, reinterpret_cast<void**>(&stream)))) return E_INVALIDARG;
    STATSTG stat{};
    stream->Stat(&stat, STATFLAG_NONAME);
    const long sectors = static_cast<long>(stat.cbSize.QuadPart / 2048);
    HANDLE out = INVALID_HANDLE_VALUE;
    const std::wstring output = Env(L"TARVO_RECORDER_OUTPUT");
    if (!output.empty())
      out = CreateFileW(output.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    cancel_ = false;
    HRESULT hr = S_OK;
    for (long action : {0L, 2L}) Progress(action, sectors, 0);
    std::string buffer(256 * 1024, '\0');
    long written = 0;
    while (!cancel_) {
      ULONG got = 0;
      if (FAILED(stream->Read(buffer.data(), static_cast<ULONG>(buffer.size()), &got))) {
        hr = stub::Raise(error, E_FAIL, L"The data stream could not be read.");
        break;
      }
      if (got == 0) break;
      DWORD put = 0;
      if (out != INVALID_HANDLE_VALUE) WriteFile(out, buffer.data(), got, &put, nullptr);
      written += static_cast<long>(got / 2048);
      if (Failing() && written * 2 >= sectors) {
        hr = stub::Raise(error, kWriteFailed, L"The stand-in burner failed to write.");
        break;
      }
      Progress(4, sectors, written);
    }
    if (cancel_ && hr == S_OK) {
      SetEnvironmentVariableW(L"TARVO_RECORDER_CANCELLED", L"1");  // for the test to see
      hr = stub::Raise(error, kCancelled, L"The request was cancelled.");
    }
    if (hr == S_OK) for (long action : {5L, 6L}) Progress(action, sectors, written);
    if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
    stream->Release();
    return hr;
  }
  void Progress(long action, long sectors, long written) {
    auto* args = new WriteArgs(action, sectors, written);
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_DISPATCH;
    v.pdispVal = args;
    Update({v});
    args->Release();
  }

  bool cancel_ = false;
};

class EraseFormat : public Format {
 public:
  EraseFormat() : Format({L"FullErase", L"EraseMedia", L"MediaType"}, &kEraseEvents) {}

  HRESULT Call(const std::wstring& m, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* error) override {
    HRESULT hr;
    if (Common(m, flags, params, hr)) return hr;
    if (Is(m, L"FullErase")) {
      if (flags & DISPATCH_PROPERTYPUT) return full_ = stub::ArgLong(params, 0) != 0, S_OK;
      return stub::Bool(result, full_);
    }
    if (Is(m, L"MediaType")) return stub::Long(result, Is(Disc(), L"rewritable") ? 10 : 6);
    if (!ready()) return stub::Raise(error, E_UNEXPECTED, L"No recorder or client name.");
    if (!Is(Disc(), L"rewritable")) return stub::Raise(error, kNoMedia, L"The media is not rewritable.");
    const long total = full_ ? 8 : 2;  // "seconds"
    for (long elapsed = 0; elapsed <= total; ++elapsed) {
      VARIANT a, b;
      stub::Long(&a, elapsed);
      stub::Long(&b, total);
      Update({a, b});
      if (Failing() && elapsed * 2 >= total) return stub::Raise(error, kWriteFailed, L"The stand-in burner failed to erase.");
    }
    return S_OK;
  }

 private:
  bool full_ = false;
};

struct Class {
  CLSID clsid;
  const wchar_t* clsidText;
  const wchar_t* progId;
  Automation* (*make)();
};
const Class kClasses[] = {
    {{0xcaa8eafb, 0xbf5e, 0x4f6e, {0x80, 0x6a, 0x3e, 0x3e, 0x69, 0x77, 0xff, 0x4c}},
     L"{CAA8EAFB-BF5E-4F6E-806A-3E3E6977FF4C}", L"IMAPI2.MsftDiscMaster2", [] { return static_cast<Automation*>(new Master); }},
    {{0xd1e1a195, 0x356a, 0x434f, {0xb2, 0x7f, 0x19, 0x43, 0xa3, 0xe9, 0x89, 0xa9}},
     L"{D1E1A195-356A-434F-B27F-1943A3E989A9}", L"IMAPI2.MsftDiscRecorder2",
     [] { return static_cast<Automation*>(new Recorder); }},
    {{0x1d9c3648, 0xfa5e, 0x4346, {0xa2, 0x9b, 0x79, 0x1c, 0x36, 0x54, 0x47, 0xcb}},
     L"{1D9C3648-FA5E-4346-A29B-791C365447CB}", L"IMAPI2.MsftDiscFormat2Data",
     [] { return static_cast<Automation*>(new DataFormat); }},
    {{0x4f585965, 0x58c6, 0x44e8, {0xb3, 0x76, 0x7c, 0x87, 0x34, 0x9a, 0xc9, 0x89}},
     L"{4F585965-58C6-44E8-B376-7C87349AC989}", L"IMAPI2.MsftDiscFormat2Erase",
     [] { return static_cast<Automation*>(new EraseFormat); }},
};

HMODULE g_module = nullptr;
LONG g_locks = 0;

class Factory : public IClassFactory {
 public:
  explicit Factory(const Class& c) : class_(c) {}
  virtual ~Factory() = default;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
      *out = static_cast<IClassFactory*>(this);
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
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    Automation* object = class_.make();
    const HRESULT hr = object->QueryInterface(riid, out);
    object->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    lock ? InterlockedIncrement(&g_locks) : InterlockedDecrement(&g_locks);
    return S_OK;
  }

 private:
  const Class& class_;
  LONG refs_ = 1;
};

bool SetText(HKEY root, const std::wstring& subkey, const wchar_t* name, const std::wstring& text) {
  HKEY key;
  if (RegCreateKeyExW(root, subkey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return false;
  const LONG rc = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                 static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  return rc == ERROR_SUCCESS;
}

bool Register(HKEY root, const Class& c, const std::wstring& dll) {
  const std::wstring clsidKey = std::wstring(L"Software\\Classes\\CLSID\\") + c.clsidText;
  const std::wstring progKey = std::wstring(L"Software\\Classes\\") + c.progId;
  return SetText(root, clsidKey, nullptr, L"Tarvo stand-in recorder") &&
         SetText(root, clsidKey + L"\\InprocServer32", nullptr, dll) &&
         SetText(root, clsidKey + L"\\InprocServer32", L"ThreadingModel", L"Both") &&
         SetText(root, clsidKey + L"\\ProgID", nullptr, c.progId) && SetText(root, progKey, nullptr, c.progId) &&
         SetText(root, progKey + L"\\CLSID", nullptr, c.clsidText);
}

void Unregister(HKEY root, const Class& c) {
  RegDeleteTreeW(root, (std::wstring(L"Software\\Classes\\CLSID\\") + c.clsidText).c_str());
  RegDeleteTreeW(root, (std::wstring(L"Software\\Classes\\") + c.progId).c_str());
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  for (const Class& c : kClasses) {
    if (!IsEqualCLSID(clsid, c.clsid)) continue;
    auto* factory = new Factory(c);
    const HRESULT hr = factory->QueryInterface(riid, out);
    factory->Release();
    return hr;
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() { return stub::g_objects == 0 && g_locks == 0 ? S_OK : S_FALSE; }

// Wine's COM reads the machine's classes; the throwaway prefix lets us write them.
STDAPI DllRegisterServer() {
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(g_module, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return SELFREG_E_CLASS;
  for (const Class& c : kClasses) {
    if (!Register(HKEY_CURRENT_USER, c, path)) return SELFREG_E_CLASS;
    Register(HKEY_LOCAL_MACHINE, c, path);
  }
  return S_OK;
}

STDAPI DllUnregisterServer() {
  for (const Class& c : kClasses) {
    Unregister(HKEY_CURRENT_USER, c);
    Unregister(HKEY_LOCAL_MACHINE, c);
  }
  return S_OK;
}
