// The disc recorders through IMAPI2 (Windows 7 and later). No headers or import library
// ship with our compilers, so every object is reached late-bound by ProgID and member
// name, and progress arrives through a connection-point sink of our own.
#include <windows.h>
// after windows.h
#include <objbase.h>

#include <mutex>
#include <string>

#include "platform/recorder_api.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_dispatch.h"
#include "platform/win32/win32_error.h"
#include "platform/win32/win32_recorder_com.h"

namespace tarvo {

namespace {

const wchar_t kClientName[] = L"Tarvo Outlook Backup";
constexpr HRESULT kRequestCancelled = static_cast<HRESULT>(0xC0AA0002);  // E_IMAPI_REQUEST_CANCELLED

// IMAPI_FORMAT2_DATA_MEDIA_STATE bits.
constexpr long kOverwriteOnly = 0x1, kBlank = 0x2, kAppendable = 0x4;
constexpr long kUnusable = 0xFC00;  // damaged, erase required, open session, protected, finalized, unsupported

// COM on the calling thread for one call; a thread already in an apartment keeps it.
struct ComThread {
  HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  ~ComThread() {
    if (SUCCEEDED(hr)) CoUninitialize();
  }
};

// The service's own words when it gave some, else the system's for the code.
std::string ListFailure(HRESULT hr, const std::wstring& description) {
  if (!description.empty()) return FromWide(description);
  return Win32ErrorText(static_cast<DWORD>(hr));
}

RecorderResult Failure(const CallResult& call, const wchar_t* what) {
  RecorderResult result;
  result.cancelled = call.hr == kRequestCancelled;
  result.code = static_cast<std::uint32_t>(call.hr);
  result.description = FromWide(call.description.empty() ? std::wstring(what) : call.description);
  return result;
}

class ImapiRecorders : public RecorderApi {
 public:
  int Count() override {
    ComThread com;
    SetListError({});
    HRESULT hr = S_OK;
    ComRef<IDispatch> master(CreateByProgId(L"IMAPI2.MsftDiscMaster2", hr));
    if (!master) {
      // No burning service installed is no recorders; one that will not start is a fault.
      if (hr != REGDB_E_CLASSNOTREG && hr != CO_E_CLASSSTRING) SetListError(ListFailure(hr, L""));
      return 0;
    }
    Variant count;
    const CallResult call = GetProperty(master.get(), L"Count", count);
    if (!call.ok()) {
      SetListError(ListFailure(call.hr, call.description));
      return 0;
    }
    return static_cast<int>(count.AsLong());
  }

  std::string ListError() override {
    std::lock_guard lock(listMutex_);
    return listError_;
  }

  std::optional<RecorderInfo> Info(int index) override {
    ComThread com;
    ComRef<IDispatch> recorder(Open(index));
    if (!recorder) {
      SetListError("recorder " + std::to_string(index + 1) + " could not be opened");
      return std::nullopt;
    }
    RecorderInfo info;
    Variant value;
    if (GetProperty(recorder.get(), L"VendorId", value).ok()) info.vendor = FromWide(value.AsText());
    if (GetProperty(recorder.get(), L"ProductId", value).ok()) info.product = FromWide(value.AsText());
    if (GetProperty(recorder.get(), L"VolumePathNames", value).ok() && !value.Texts().empty())
      info.volumePath = FromWide(value.Texts().front());
    if (GetProperty(recorder.get(), L"SupportedProfiles", value).ok())
      for (long p : value.Longs()) info.profiles.push_back(static_cast<int>(p));
    if (GetProperty(recorder.get(), L"SupportedFeaturePages", value).ok())
      for (long f : value.Longs()) info.featurePages.push_back(static_cast<int>(f));
    ComRef<IDispatch> data(CreateByProgId(L"IMAPI2.MsftDiscFormat2Data"));
    Variant arg(recorder.get(), VT_DISPATCH), supported;
    info.writer = data && CallByName(data.get(), L"IsRecorderSupported", DISPATCH_METHOD, {arg.get()},
                                     supported.get()).ok() && supported.AsLong() != 0;
    return info;
  }

  RecorderMediaState Media(int index) override {
    ComThread com;
    RecorderMediaState media;
    ComRef<IDispatch> recorder(Open(index));
    ComRef<IDispatch> data(recorder ? DataFormat(recorder.get()) : nullptr);
    Variant value;
    if (!data || !GetProperty(data.get(), L"CurrentPhysicalMediaType", value).ok()) return media;
    media.type = static_cast<PhysicalMedia>(value.AsLong());
    media.present = media.type != PhysicalMedia::Unknown;
    Variant arg(recorder.get(), VT_DISPATCH), supported;
    const bool usable = CallByName(data.get(), L"IsCurrentMediaSupported", DISPATCH_METHOD, {arg.get()},
                                   supported.get()).ok() && supported.AsLong() != 0;
    const long status = GetProperty(data.get(), L"CurrentMediaStatus", value).ok() ? value.AsLong() : 0;
    media.writable = usable && (status & (kOverwriteOnly | kBlank | kAppendable)) && !(status & kUnusable);
    if (GetProperty(data.get(), L"FreeSectorsOnMedia", value).ok())
      media.freeSectors = static_cast<std::uint32_t>(std::max(0L, value.AsLong()));
    if (GetProperty(data.get(), L"SupportedWriteSpeeds", value).ok())
      for (long s : value.Longs()) media.writeSpeeds.push_back(static_cast<std::uint32_t>(s));
    return media;
  }

  bool Eject(int index) override { return Simple(index, L"EjectMedia"); }
  bool CloseTray(int index) override { return Simple(index, L"CloseTray"); }

  RecorderResult Write(int index, std::uint64_t sectors, std::uint32_t speed, bool bufferProtect,
                       const RecorderSource& source, const RecorderProgressFn& progress) override;
  RecorderResult Erase(int index, bool full, const RecorderProgressFn& progress) override;
  std::unique_ptr<FileReader> OpenDisc(int index) override {
    const auto info = Info(index);
    return info ? OpenVolume(ToWide(info->volumePath)) : nullptr;
  }

 private:
  // Info also runs on a write's worker thread (reading the disc back).
  void SetListError(std::string text) {
    std::lock_guard lock(listMutex_);
    listError_ = std::move(text);
  }

  std::mutex listMutex_;
  std::string listError_;

  // The recorder at `index`, initialised; null when there is none.
  static IDispatch* Open(int index) {
    ComRef<IDispatch> master(CreateByProgId(L"IMAPI2.MsftDiscMaster2"));
    Variant position(static_cast<long>(index)), id;
    if (!master || !CallByName(master.get(), L"Item", DISPATCH_PROPERTYGET | DISPATCH_METHOD, {position.get()},
                               id.get()).ok())
      return nullptr;
    IDispatch* recorder = CreateByProgId(L"IMAPI2.MsftDiscRecorder2");
    Variant unique(id.AsText());
    if (recorder && !CallMethod(recorder, L"InitializeDiscRecorder", {unique.get()}).ok()) {
      recorder->Release();
      return nullptr;
    }
    return recorder;
  }

  // A format object (data or erase) bound to the recorder, with our client name.
  static IDispatch* Format(const wchar_t* progId, IDispatch* recorder) {
    IDispatch* format = CreateByProgId(progId);
    Variant bound(recorder, VT_DISPATCH), client(std::wstring{kClientName});
    if (format && PutProperty(format, L"Recorder", bound).ok() && PutProperty(format, L"ClientName", client).ok())
      return format;
    if (format) format->Release();
    return nullptr;
  }
  static IDispatch* DataFormat(IDispatch* recorder) { return Format(L"IMAPI2.MsftDiscFormat2Data", recorder); }

  static bool Simple(int index, const wchar_t* method) {
    ComThread com;
    ComRef<IDispatch> recorder(Open(index));
    return recorder && CallMethod(recorder.get(), method).ok();
  }
};

// Reads the data write's progress object: the action, and sectors written of the track.
RecorderProgress DataProgress(IDispatch* args) {
  RecorderProgress p;
  Variant value;
  if (GetProperty(args, L"CurrentAction", value).ok()) p.phase = static_cast<int>(value.AsLong());
  long start = 0, last = 0, count = 0;
  if (GetProperty(args, L"StartLba", value).ok()) start = value.AsLong();
  if (GetProperty(args, L"LastWrittenLba", value).ok()) last = value.AsLong();
  if (GetProperty(args, L"SectorCount", value).ok()) count = value.AsLong();
  p.done = static_cast<std::uint64_t>(std::max(0L, last - start));
  p.total = static_cast<std::uint64_t>(std::max(0L, count));
  return p;
}

RecorderResult ImapiRecorders::Write(int index, std::uint64_t sectors, std::uint32_t speed, bool bufferProtect,
                                     const RecorderSource& source, const RecorderProgressFn& progress) {
  ComThread com;
  ComRef<IDispatch> recorder(Open(index));
  ComRef<IDispatch> data(recorder ? DataFormat(recorder.get()) : nullptr);
  if (!data) return Failure({E_FAIL, L""}, L"The recorder could not be opened.");
  Variant noBufferProtect(!bufferProtect);
  PutProperty(data.get(), L"BufferUnderrunFreeDisabled", noBufferProtect);  // some drives have no such switch
  if (speed) {
    Variant rate(static_cast<long>(speed)), pureCav(false);
    CallMethod(data.get(), L"SetWriteSpeed", {rate.get(), pureCav.get()});  // the drive rounds or ignores it
  }
  bool cancelled = false;
  IDispatch* format = data.get();
  ComRef<IDispatch> sink(MakeUpdateSink(kDataEventsIid, [&](DISPPARAMS& params) {
    // Update(object, progress): arguments arrive last first.
    if (params.cArgs < 2 || params.rgvarg[0].vt != VT_DISPATCH || cancelled) return;
    if (!progress(DataProgress(params.rgvarg[0].pdispVal))) {
      cancelled = true;
      CallMethod(format, L"CancelWrite");
    }
  }));
  Advise events(data.get(), kDataEventsIid, sink.get());
  ComRef<IStream> stream(MakeImageStream(source, sectors * 2048));
  Variant streamArg(stream.get(), VT_UNKNOWN);
  const CallResult call = CallMethod(data.get(), L"Write", {streamArg.get()});
  if (call.ok()) return {true, false, 0, ""};
  RecorderResult result = Failure(call, L"The disc could not be written.");
  result.cancelled = result.cancelled || cancelled;
  return result;
}

RecorderResult ImapiRecorders::Erase(int index, bool full, const RecorderProgressFn& progress) {
  ComThread com;
  ComRef<IDispatch> recorder(Open(index));
  ComRef<IDispatch> erase(recorder ? Format(L"IMAPI2.MsftDiscFormat2Erase", recorder.get()) : nullptr);
  if (!erase) return Failure({E_FAIL, L""}, L"The recorder could not be opened.");
  Variant fullErase(full);
  PutProperty(erase.get(), L"FullErase", fullErase);
  ComRef<IDispatch> sink(MakeUpdateSink(kEraseEventsIid, [&](DISPPARAMS& params) {
    // Update(object, elapsedSeconds, estimatedTotalSeconds), last first.
    if (params.cArgs < 3) return;
    Variant total, elapsed;
    VariantCopy(total.get(), &params.rgvarg[0]);
    VariantCopy(elapsed.get(), &params.rgvarg[1]);
    progress({0, static_cast<std::uint64_t>(std::max(0L, elapsed.AsLong())),
              static_cast<std::uint64_t>(std::max(0L, total.AsLong()))});
  }));
  Advise events(erase.get(), kEraseEventsIid, sink.get());
  const CallResult call = CallMethod(erase.get(), L"EraseMedia");
  if (call.ok()) return {true, false, 0, ""};
  return Failure(call, L"The disc could not be erased.");
}

}  // namespace

std::unique_ptr<RecorderApi> MakeRecorderApi() { return std::make_unique<ImapiRecorders>(); }

}  // namespace tarvo
