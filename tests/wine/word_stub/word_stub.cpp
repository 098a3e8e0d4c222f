// A stand-in for the word processor's automation object, for tests under Wine only: an
// in-process COM server registered as "Word.Application.8" that answers "Version" with
// the text a test chose and counts its "Quit" calls.
//   Version: TARVO_WORD_VERSION of the process environment, else the value WordVersion
//            of HKCU\Software\TarvoTest\WordStub, else "14.0".
//   Quit:    adds one to the DWORD QuitCount of that key.
#include <windows.h>
// after windows.h
#include <oleauto.h>
#include <olectl.h>

#include <string>

namespace {

// {C34FE3AE-89DA-45F4-9595-5E0ED4EFB596}
const CLSID kClsid = {0xc34fe3ae, 0x89da, 0x45f4, {0x95, 0x95, 0x5e, 0x0e, 0xd4, 0xef, 0xb5, 0x96}};
const wchar_t kClsidText[] = L"{C34FE3AE-89DA-45F4-9595-5E0ED4EFB596}";
const wchar_t kProgId[] = L"Word.Application.8";
const wchar_t kTestKey[] = L"Software\\TarvoTest\\WordStub";
constexpr DISPID kVersionId = 1;
constexpr DISPID kQuitId = 2;

HMODULE g_module = nullptr;
LONG g_objects = 0;
LONG g_locks = 0;

std::wstring ChosenVersion() {
  wchar_t buf[256];
  const DWORD n = GetEnvironmentVariableW(L"TARVO_WORD_VERSION", buf, 256);
  if (n > 0 && n < 256) return std::wstring(buf, n);
  DWORD size = sizeof buf;
  if (RegGetValueW(HKEY_CURRENT_USER, kTestKey, L"WordVersion", RRF_RT_REG_SZ, nullptr, buf, &size) ==
      ERROR_SUCCESS)
    return buf;
  return L"14.0";
}

void CountQuit() {
  HKEY key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return;
  DWORD count = 0;
  DWORD size = sizeof count;
  RegQueryValueExW(key, L"QuitCount", nullptr, nullptr, reinterpret_cast<BYTE*>(&count), &size);
  ++count;
  RegSetValueExW(key, L"QuitCount", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count), sizeof count);
  RegCloseKey(key);
}

class WordStub : public IDispatch {
 public:
  WordStub() { InterlockedIncrement(&g_objects); }
  virtual ~WordStub() { InterlockedDecrement(&g_objects); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
      *out = static_cast<IDispatch*>(this);
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

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    HRESULT result = S_OK;
    for (UINT i = 0; i < count; ++i) {
      if (lstrcmpiW(names[i], L"Version") == 0 && i == 0) {
        ids[i] = kVersionId;
      } else if (lstrcmpiW(names[i], L"Quit") == 0 && i == 0) {
        ids[i] = kQuitId;
      } else {
        ids[i] = DISPID_UNKNOWN;
        result = DISP_E_UNKNOWNNAME;
      }
    }
    return result;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                   UINT*) override {
    if (id == kVersionId && (flags & DISPATCH_PROPERTYGET)) {
      if (!result) return E_POINTER;
      VariantInit(result);
      result->vt = VT_BSTR;
      result->bstrVal = SysAllocString(ChosenVersion().c_str());
      return result->bstrVal ? S_OK : E_OUTOFMEMORY;
    }
    if (id == kQuitId && (flags & DISPATCH_METHOD)) {
      CountQuit();
      if (result) VariantInit(result);
      return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
  }

 private:
  LONG refs_ = 1;
};

class Factory : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
      *out = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  // One static factory lives as long as the module.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    auto* object = new (std::nothrow) WordStub();
    if (!object) return E_OUTOFMEMORY;
    const HRESULT hr = object->QueryInterface(riid, out);
    object->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock)
      InterlockedIncrement(&g_locks);
    else
      InterlockedDecrement(&g_locks);
    return S_OK;
  }
};

Factory g_factory;

bool SetText(HKEY root, const std::wstring& subkey, const wchar_t* name, const std::wstring& text) {
  HKEY key;
  if (RegCreateKeyExW(root, subkey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return false;
  const LONG rc = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                 static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  return rc == ERROR_SUCCESS;
}

bool Register(HKEY root, const std::wstring& dllPath) {
  const std::wstring clsidKey = std::wstring(L"Software\\Classes\\CLSID\\") + kClsidText;
  const std::wstring progKey = std::wstring(L"Software\\Classes\\") + kProgId;
  return SetText(root, clsidKey, nullptr, L"Tarvo test word processor") &&
         SetText(root, clsidKey + L"\\InprocServer32", nullptr, dllPath) &&
         SetText(root, clsidKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment") &&
         SetText(root, clsidKey + L"\\ProgID", nullptr, kProgId) && SetText(root, progKey, nullptr, kProgId) &&
         SetText(root, progKey + L"\\CLSID", nullptr, kClsidText);
}

void Unregister(HKEY root) {
  RegDeleteTreeW(root, (std::wstring(L"Software\\Classes\\CLSID\\") + kClsidText).c_str());
  RegDeleteTreeW(root, (std::wstring(L"Software\\Classes\\") + kProgId).c_str());
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
  if (!IsEqualCLSID(clsid, kClsid)) return CLASS_E_CLASSNOTAVAILABLE;
  return g_factory.QueryInterface(riid, out);
}

STDAPI DllCanUnloadNow() { return g_objects == 0 && g_locks == 0 ? S_OK : S_FALSE; }

// Per-user classes are what Windows reads first, but Wine's COM reads only the machine's
// classes; the test prefix lets us write both.
STDAPI DllRegisterServer() {
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(g_module, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return SELFREG_E_CLASS;
  if (!Register(HKEY_CURRENT_USER, path)) return SELFREG_E_CLASS;
  Register(HKEY_LOCAL_MACHINE, path);  // refused without administrator rights; fine on Windows
  return S_OK;
}

STDAPI DllUnregisterServer() {
  Unregister(HKEY_CURRENT_USER);
  Unregister(HKEY_LOCAL_MACHINE);
  return S_OK;
}
