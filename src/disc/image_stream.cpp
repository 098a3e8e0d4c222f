#include "disc/image_stream.h"

#include <algorithm>
#include <vector>

namespace tarvo {

namespace {

constexpr std::size_t kChunk = 1 << 20;
// Pieces copied file to file between progress reports and checks for a cancel.
constexpr std::uint64_t kDirectPiece = 32u << 20;

class Stream {
 public:
  Stream(FileWriter& out, const StreamProgress& progress) : out_(out), progress_(progress) {}

  bool Put(const char* data, std::size_t size) {
    if (!out_.Write(data, size)) return false;
    written_ += size;
    return true;
  }
  bool Zeros(std::size_t size) {
    static const std::vector<char> zeros(kSector, '\0');
    for (std::size_t left = size; left > 0;) {
      const std::size_t n = std::min(left, zeros.size());
      if (!Put(zeros.data(), n)) return false;
      left -= n;
    }
    return true;
  }
  // Bytes copied by the output itself; 0 when it cannot.
  std::uint64_t Copy(FileReader& in, std::uint64_t size) {
    const std::uint64_t n = out_.CopyFrom(in, size);
    written_ += n;
    return n;
  }
  bool Report() { return !progress_ || progress_(written_); }
  // Zeros up to where the plan puts the next piece.
  bool PadTo(std::uint64_t offset) { return offset >= written_ && Zeros(static_cast<std::size_t>(offset - written_)); }

 private:
  FileWriter& out_;
  const StreamProgress& progress_;
  std::uint64_t written_ = 0;
};

StreamOutcome CopySource(const LayoutNode& file, FileSystem& files, Stream& stream, std::vector<char>& buffer) {
  auto in = files.OpenRead(file.sourcePath);
  if (!in) return {StreamResult::SourceError, file.sourcePath};
  std::uint64_t left = file.size;
  while (left > 0) {
    const std::uint64_t n = stream.Copy(*in, std::min(left, kDirectPiece));
    if (n == 0) break;
    left -= n;
    if (!stream.Report()) return {StreamResult::Cancelled, {}};
  }
  // What could not be copied directly (or a short source, told apart from a full disk
  // by reading it ourselves).
  while (left > 0) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left, buffer.size()));
    const auto got = in->Read(buffer.data(), want);
    // A source that shrank since it was added cannot fill its planned extent.
    if (!got || *got == 0) return {StreamResult::SourceError, file.sourcePath};
    if (!stream.Put(buffer.data(), *got)) return {StreamResult::OutputError, {}};
    left -= *got;
    if (!stream.Report()) return {StreamResult::Cancelled, {}};
  }
  const std::size_t pad = static_cast<std::size_t>((kSector - file.size % kSector) % kSector);
  if (!stream.Zeros(pad)) return {StreamResult::OutputError, {}};
  return {};
}

}  // namespace

StreamOutcome StreamImage(const ImageLayout& layout, FileSystem& files, FileWriter& out,
                          const StreamProgress& progress) {
  Stream stream(out, progress);
  {
    const std::string head = ComposeHead(layout);
    if (!stream.Put(head.data(), head.size())) return {StreamResult::OutputError, {}};
  }
  if (layout.Has(kVolumeUdf)) {
    for (int f : layout.fileOrder) {
      const std::string entry = UdfFileEntry(layout, f);
      if (!stream.Put(entry.data(), entry.size())) return {StreamResult::OutputError, {}};
    }
  }
  if (!stream.Report()) return {StreamResult::Cancelled, {}};
  std::vector<char> buffer(kChunk);
  for (int f : layout.fileOrder) {
    if (!stream.PadTo(std::uint64_t{layout.nodes[f].data} * kSector)) return {StreamResult::OutputError, {}};
    const StreamOutcome copied = CopySource(layout.nodes[f], files, stream, buffer);
    if (copied.result != StreamResult::Done) return copied;
  }
  const std::string tail = ComposeTail(layout);
  if (!stream.Put(tail.data(), tail.size())) return {StreamResult::OutputError, {}};
  stream.Report();
  return {};
}

StreamOutcome WriteImageFile(const ImageLayout& layout, FileSystem& files, const std::string& target,
                             const StreamProgress& progress) {
  const std::string work = files.CreateTempFile(ParentFolder(target), "tvd");
  auto out = files.OpenWrite(work);
  if (!out) {
    files.DeleteFile(work);
    return {StreamResult::OutputError, target};
  }
  StreamOutcome outcome = StreamImage(layout, files, *out, progress);
  const bool closed = out->Close();
  out.reset();
  if (outcome.result == StreamResult::Done && !closed) outcome = {StreamResult::OutputError, target};
  if (outcome.result == StreamResult::OutputError) outcome.file = target;
  if (outcome.result == StreamResult::Done && !files.ReplaceFile(work, target)) outcome = {StreamResult::OutputError, target};
  if (outcome.result != StreamResult::Done) files.DeleteFile(work);
  return outcome;
}

}  // namespace tarvo
