#include "backup/zip_counting_source.h"

#include "backup/zip_component_impl.h"

namespace tarvo {

void WriteTally::Advance(std::uint64_t bytes) {
  done += bytes;
  if (total == 0 || events == nullptr) return;
  const std::uint64_t capped = done < total ? done : total;
  const int percent = static_cast<int>(capped * 100 / total);
  if (percent != lastPercent) {
    lastPercent = percent;
    events->WriteProgress(percent);
  }
}

void WriteTally::Finish() {
  if (events != nullptr && lastPercent != 100) {
    lastPercent = 100;
    events->WriteProgress(100);
  }
}

namespace {

struct CountingSource {
  std::string nativePath;
  std::string shownPath;
  WriteTally* tally = nullptr;
  zip_source_t* inner = nullptr;
  zip_error_t error;

  void Fail(zip_error_t* cause) {
    zip_error_set(&error, zip_error_code_zip(cause), zip_error_code_system(cause));
    if (tally->failedFile.empty()) {
      tally->failedFile = shownPath;
      tally->failedReason = ZipErrorText(cause);
    }
  }

  // The file is opened late: it only has to exist while the archive is written.
  bool EnsureInner() {
    if (inner != nullptr) return true;
    zip_error_t cause;
    zip_error_init(&cause);
    inner = zip_source_file_create(nativePath.c_str(), 0, 0, &cause);
    if (inner == nullptr) Fail(&cause);
    zip_error_fini(&cause);
    return inner != nullptr;
  }

  zip_int64_t FailFromInner() {
    Fail(zip_source_error(inner));
    return -1;
  }
};

zip_int64_t CountingCallback(void* userdata, void* data, zip_uint64_t len, zip_source_cmd_t cmd) {
  auto* source = static_cast<CountingSource*>(userdata);
  switch (cmd) {
    case ZIP_SOURCE_SUPPORTS:
      return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                            ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    case ZIP_SOURCE_STAT: {
      if (!source->EnsureInner()) return -1;
      auto* st = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, len, &source->error);
      if (st == nullptr) return -1;
      if (zip_source_stat(source->inner, st) < 0) return source->FailFromInner();
      return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_OPEN:
      if (!source->EnsureInner()) return -1;
      if (zip_source_open(source->inner) < 0) return source->FailFromInner();
      return 0;
    case ZIP_SOURCE_READ: {
      const zip_int64_t n = zip_source_read(source->inner, data, len);
      if (n < 0) return source->FailFromInner();
      source->tally->Advance(static_cast<std::uint64_t>(n));
      return n;
    }
    case ZIP_SOURCE_CLOSE:
      zip_source_close(source->inner);
      return 0;
    case ZIP_SOURCE_ERROR:
      return zip_error_to_data(&source->error, data, len);
    case ZIP_SOURCE_FREE:
      if (source->inner != nullptr) zip_source_free(source->inner);
      zip_error_fini(&source->error);
      delete source;
      return 0;
    default:
      zip_error_set(&source->error, ZIP_ER_OPNOTSUPP, 0);
      return -1;
  }
}

}  // namespace

zip_source_t* NewCountingFileSource(zip_t* archive, const std::string& nativePath,
                                    const std::string& shownPath, WriteTally& tally) {
  auto* source = new CountingSource{nativePath, shownPath, &tally, nullptr, {}};
  zip_error_init(&source->error);
  zip_source_t* result = zip_source_function(archive, CountingCallback, source);
  if (result == nullptr) {
    zip_error_fini(&source->error);
    delete source;
  }
  return result;
}

}  // namespace tarvo
