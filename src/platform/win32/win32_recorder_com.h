#pragma once
// The COM objects we hand the recorder service: the image as an IStream it pulls from,
// and the sink for its progress events (DDiscFormat2DataEvents, DDiscFormat2EraseEvents).
#include <windows.h>
// after windows.h
#include <objidl.h>
#include <ocidl.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/recorder_api.h"

namespace tarvo {

// Holds one COM reference.
template <typename T>
class ComRef {
 public:
  ComRef() = default;
  explicit ComRef(T* p) : p_(p) {}
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  ~ComRef() { if (p_) p_->Release(); }
  T* get() const { return p_; }
  T** out() { return &p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

// The update events' interface ids and their one member.
extern const IID kDataEventsIid;   // DDiscFormat2DataEvents
extern const IID kEraseEventsIid;  // DDiscFormat2EraseEvents
inline constexpr DISPID kUpdateDispId = 0x200;

// An IStream of `sectors` × 2048 bytes read from `source`; a failed read fails the stream.
IStream* MakeImageStream(const RecorderSource& source, std::uint64_t bytes);

// Receives Update(object, progress) for a write, or Update(object, elapsed, total) for an
// erase, and passes what it read to `progress`.
using UpdateHandler = std::function<void(DISPPARAMS& params)>;
IDispatch* MakeUpdateSink(const IID& events, UpdateHandler handler);

// Connects a sink to an object's events for as long as it lives.
class Advise {
 public:
  Advise(IDispatch* source, const IID& events, IDispatch* sink);
  ~Advise();
  bool connected() const { return cookie_ != 0; }

 private:
  ComRef<IConnectionPoint> point_;
  DWORD cookie_ = 0;
};

// The disc in the drive of `volumePath` ("E:\\"), read raw; null when it cannot be opened.
std::unique_ptr<FileReader> OpenVolume(const std::wstring& volumePath);

}  // namespace tarvo
