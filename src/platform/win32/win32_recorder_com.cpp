#include "platform/win32/win32_recorder_com.h"

#include <algorithm>

namespace tarvo {

const IID kDataEventsIid = {0x2735413C, 0x7F64, 0x5B0F, {0x8F, 0x00, 0x5D, 0x77, 0xAF, 0xBE, 0x26, 0x1E}};
const IID kEraseEventsIid = {0x2735413A, 0x7F64, 0x5B0F, {0x8F, 0x00, 0x5D, 0x77, 0xAF, 0xBE, 0x26, 0x1E}};

namespace {

// Reference counting and QueryInterface for a single-interface object.
template <typename Interface>
class Unknown : public Interface {
 public:
  virtual ~Unknown() = default;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || Accepts(riid)) {
      *out = static_cast<Interface*>(this);
      this->AddRef();
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

 protected:
  virtual bool Accepts(REFIID riid) const = 0;

 private:
  LONG refs_ = 1;
};

class ImageStream : public Unknown<IStream> {
 public:
  ImageStream(RecorderSource source, std::uint64_t bytes) : source_(std::move(source)), bytes_(bytes) {}

  HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG size, ULONG* read) override {
    ULONG got = 0;
    while (got < size) {
      const auto n = source_(static_cast<char*>(buffer) + got, size - got);
      if (!n) return STG_E_READFAULT;
      if (*n == 0) break;
      got += static_cast<ULONG>(*n);
    }
    position_ += got;
    if (read) *read = got;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG*) override { return STG_E_ACCESSDENIED; }
  // Only where the stream already is can be asked: it is read once, in order.
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* at) override {
    const bool here = (origin == STREAM_SEEK_CUR && move.QuadPart == 0) ||
                      (origin == STREAM_SEEK_SET && static_cast<std::uint64_t>(move.QuadPart) == position_);
    if (!here) return STG_E_INVALIDFUNCTION;
    if (at) at->QuadPart = position_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Revert() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD) override {
    if (!stat) return E_POINTER;
    *stat = STATSTG{};
    stat->type = STGTY_STREAM;
    stat->cbSize.QuadPart = bytes_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IStream**) override { return E_NOTIMPL; }

 protected:
  bool Accepts(REFIID riid) const override {
    return IsEqualIID(riid, IID_IStream) || IsEqualIID(riid, IID_ISequentialStream);
  }

 private:
  RecorderSource source_;
  std::uint64_t bytes_;
  std::uint64_t position_ = 0;
};

class UpdateSink : public Unknown<IDispatch> {
 public:
  UpdateSink(const IID& events, UpdateHandler handler) : events_(events), handler_(std::move(handler)) {}

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return count ? (*count = 0, S_OK) : E_POINTER; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return DISP_E_BADINDEX; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    for (UINT i = 0; i < count; ++i) ids[i] = lstrcmpiW(names[i], L"Update") == 0 ? kUpdateDispId : DISPID_UNKNOWN;
    return count == 1 && ids[0] == kUpdateDispId ? S_OK : DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    if (id != kUpdateDispId || !params) return DISP_E_MEMBERNOTFOUND;
    handler_(*params);
    return S_OK;
  }

 protected:
  bool Accepts(REFIID riid) const override { return IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, events_); }

 private:
  IID events_;
  UpdateHandler handler_;
};

}  // namespace

IStream* MakeImageStream(const RecorderSource& source, std::uint64_t bytes) { return new ImageStream(source, bytes); }

IDispatch* MakeUpdateSink(const IID& events, UpdateHandler handler) {
  return new UpdateSink(events, std::move(handler));
}

Advise::Advise(IDispatch* source, const IID& events, IDispatch* sink) {
  ComRef<IConnectionPointContainer> container;
  if (!source || FAILED(source->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(container.out()))))
    return;
  if (FAILED(container.get()->FindConnectionPoint(events, point_.out()))) return;
  if (FAILED(point_.get()->Advise(sink, &cookie_))) cookie_ = 0;
}

Advise::~Advise() {
  if (cookie_) point_.get()->Unadvise(cookie_);
}

}  // namespace tarvo
