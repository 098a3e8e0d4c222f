#include "backup/zip_component.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

#include "backup/zip_codec.h"
#include "backup/zip_parallel_deflate.h"
#include "backup/zip_test_support.h"
#include "support/test_files.h"

namespace tarvo {
namespace {

using namespace ziptest;

class ZipComponentTest : public ::testing::Test {
 protected:
  ZipComponentTest() { zip.SetEvents(&events); }

  bool Write(const std::vector<std::string>& paths, const std::string& target, const std::string& password = "") {
    zip.NewArchive(target);
    for (const auto& p : paths) zip.AddFile(p, 1);
    zip.EncryptArchive = password.empty() ? 0 : 1;
    zip.WritePassword = password;
    const bool ok = zip.WriteArchive();
    zip.CloseArchive();
    return ok;
  }

  bool Extract(const std::string& name, const std::string& folder) {
    const auto entry = zip.GetEntry(name);
    return entry && zip.ExtractTo(*entry, folder);
  }

  // Names of the files in a host folder, to see that no work file stays behind.
  std::vector<std::string> HostFiles(const std::string& winFolder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(drive.Host(winFolder)))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  void FlipByteAt(const std::string& winPath, std::uintmax_t offset) {
    std::fstream f(drive.Host(winPath), std::ios::in | std::ios::out | std::ios::binary);
    f.seekg(static_cast<std::streamoff>(offset));
    const char c = static_cast<char>(f.get());
    f.seekp(static_cast<std::streamoff>(offset));
    f.put(static_cast<char>(c ^ 0x5A));
  }

  // Offset of the first central directory header: the data of the last entry ends there,
  // with an AES entry's 10-byte authentication code last.
  std::uintmax_t CentralDirectoryAt(const std::string& winPath) {
    const std::string bytes = drive.Get(winPath);
    return bytes.rfind(std::string("PK\x01\x02", 4), bytes.size());
  }

  TempDrive drive;
  ZipComponent zip{drive.fs()};
  RecordingEvents events;
};

TEST_F(ZipComponentTest, PlainArchiveRoundTripsWithNotifications) {
  const std::string text = TextBytes(200000), binary = RandomBytes(300000, 1);
  drive.Put("C:\\data\\Outlook.pst", binary);
  drive.Put("C:\\data\\notes.txt", text);
  drive.Put("C:\\data\\empty.dat", "");
  drive.MakeFolder("C:\\out");
  ASSERT_TRUE(Write({"C:\\data\\Outlook.pst", "C:\\data\\notes.txt", "C:\\data\\empty.dat"}, "C:\\out\\b.tvo"))
      << zip.LastError();

  EXPECT_EQ(events.added, (std::vector<std::string>{"Outlook.pst", "notes.txt", "empty.dat"}));
  EXPECT_EQ(events.completes, 1);
  ASSERT_FALSE(events.progress.empty());
  EXPECT_TRUE(std::is_sorted(events.progress.begin(), events.progress.end()));
  EXPECT_EQ(events.progress.back(), 100);
  // Byte-based progress passes through many values, not only per entry.
  EXPECT_GT(std::set<int>(events.progress.begin(), events.progress.end()).size(), 5u);
  EXPECT_EQ(HostFiles("C:\\out"), std::vector<std::string>{"b.tvo"});

  EXPECT_EQ(zip.IsEncrypted("C:\\out\\b.tvo"), 0);
  ASSERT_TRUE(zip.OpenArchive("C:\\out\\b.tvo"));
  EXPECT_EQ(zip.CheckPassword(), 1);
  const auto entries = zip.Entries();
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[1].name, "notes.txt");
  EXPECT_EQ(entries[1].size, text.size());
  EXPECT_LT(entries[1].compressedSize, text.size() / 4);  // deflated

  ASSERT_TRUE(Extract("Outlook.pst", "C:\\restore")) << zip.LastError();
  ASSERT_TRUE(Extract("notes.txt", "C:\\restore"));
  ASSERT_TRUE(Extract("empty.dat", "C:\\restore"));
  EXPECT_EQ(drive.Get("C:\\restore\\Outlook.pst"), binary);
  EXPECT_EQ(drive.Get("C:\\restore\\notes.txt"), text);
  EXPECT_EQ(drive.Get("C:\\restore\\empty.dat"), "");
  EXPECT_EQ(events.unzipped, (std::vector<std::string>{"Outlook.pst", "notes.txt", "empty.dat"}));
  EXPECT_EQ(HostFiles("C:\\restore"), (std::vector<std::string>{"Outlook.pst", "empty.dat", "notes.txt"}));
}

TEST_F(ZipComponentTest, GetEntryReadsNameUpToNulAndIgnoresCase) {
  drive.Put("C:\\d\\mailvault.dat", "BackupItem=00001000000\r\n");
  ASSERT_TRUE(Write({"C:\\d\\mailvault.dat"}, "C:\\a.tvo"));
  ASSERT_TRUE(zip.OpenArchive("C:\\a.tvo"));
  EXPECT_TRUE(zip.GetEntry(std::string("mailvault.dat\0junk", 18)));
  EXPECT_TRUE(zip.GetEntry("MAILVAULT.DAT"));
  EXPECT_FALSE(zip.GetEntry("mailvault"));
  EXPECT_FALSE(zip.GetEntry(""));
}

TEST_F(ZipComponentTest, ProtectedArchiveNeedsItsPassword) {
  const std::string pst = RandomBytes(100000, 2) + TextBytes(100000);
  drive.Put("C:\\d\\Outlook.pst", pst);
  drive.Put("C:\\d\\mailvault.dat", "BackupItem=01000000000\r\n");
  ASSERT_TRUE(Write({"C:\\d\\Outlook.pst", "C:\\d\\mailvault.dat"}, "C:\\p.tvo", "s3cret")) << zip.LastError();
  EXPECT_EQ(zip.IsEncrypted("C:\\p.tvo"), 1);

  // Every entry is WinZip AES-256.
  zip_t* raw = zip_open(drive.Host("C:\\p.tvo").c_str(), ZIP_RDONLY, nullptr);
  ASSERT_NE(raw, nullptr);
  for (zip_uint64_t i = 0; i < 2; ++i) {
    zip_stat_t st;
    ASSERT_EQ(zip_stat_index(raw, i, 0, &st), 0);
    EXPECT_EQ(st.encryption_method, ZIP_EM_AES_256);
  }
  zip_discard(raw);

  ASSERT_TRUE(zip.OpenArchive("C:\\p.tvo"));
  zip.ReadPassword = "wrong";
  EXPECT_EQ(zip.CheckPassword(), 0);
  drive.Put("C:\\restore\\Outlook.pst", "the user's good file");
  EXPECT_FALSE(Extract("Outlook.pst", "C:\\restore"));
  EXPECT_EQ(drive.Get("C:\\restore\\Outlook.pst"), "the user's good file");
  EXPECT_EQ(HostFiles("C:\\restore"), std::vector<std::string>{"Outlook.pst"});

  zip.ReadPassword = "s3cret";
  EXPECT_EQ(zip.CheckPassword(), 1);
  ASSERT_TRUE(Extract("Outlook.pst", "C:\\restore")) << zip.LastError();
  EXPECT_EQ(drive.Get("C:\\restore\\Outlook.pst"), pst);
}

TEST_F(ZipComponentTest, ProtectedArchivePassesSevenZipTest) {
  if (!HaveSevenZip()) GTEST_SKIP() << "7z is not on PATH";
  drive.Put("C:\\d\\a.pst", RandomBytes(70000, 3) + TextBytes(70000));
  drive.Put("C:\\d\\b.txt", TextBytes(5000));
  ASSERT_TRUE(Write({"C:\\d\\a.pst", "C:\\d\\b.txt"}, "C:\\p.tvo", "PW"));
  ASSERT_TRUE(Write({"C:\\d\\a.pst", "C:\\d\\b.txt"}, "C:\\plain.tvo"));
  EXPECT_TRUE(RunQuiet("7z t -pPW " + Quote(drive.Host("C:\\p.tvo"))));
  EXPECT_FALSE(RunQuiet("7z t -pWRONG " + Quote(drive.Host("C:\\p.tvo"))));
  EXPECT_TRUE(RunQuiet("7z t " + Quote(drive.Host("C:\\plain.tvo"))));
}

TEST_F(ZipComponentTest, ReadsSevenZipArchivesPlainAesAndZipCrypto) {
  if (!HaveSevenZip()) GTEST_SKIP() << "7z is not on PATH";
  const std::string pst = RandomBytes(50000, 4) + TextBytes(80000);
  drive.Put("C:\\src\\Home.pst", pst);
  const std::string src = Quote(drive.Host("C:\\src\\Home.pst"));
  struct Case {
    const char* archive;
    const char* options;
    bool encrypted;
  };
  for (const Case& c : {Case{"plain.zip", "", false}, Case{"aes.zip", "-pPW -mem=AES256", true},
                        Case{"aes-stored.zip", "-pPW -mem=AES256 -mx=0", true},
                        Case{"aes128.zip", "-pPW -mem=AES128", true}, Case{"crypto.zip", "-pPW -mem=ZipCrypto", true}}) {
    SCOPED_TRACE(c.archive);
    const std::string winArchive = std::string("C:\\z\\") + c.archive;
    drive.MakeFolder("C:\\z");
    ASSERT_TRUE(RunQuiet("7z a -tzip " + std::string(c.options) + " " + Quote(drive.Host(winArchive)) + " " + src));
    EXPECT_EQ(zip.IsEncrypted(winArchive), c.encrypted ? 1 : 0);
    ASSERT_TRUE(zip.OpenArchive(winArchive));
    if (c.encrypted) {
      zip.ReadPassword = "nope";
      EXPECT_EQ(zip.CheckPassword(), 0);
      EXPECT_FALSE(Extract("Home.pst", "C:\\out"));
    }
    zip.ReadPassword = "PW";
    EXPECT_EQ(zip.CheckPassword(), 1);
    ASSERT_TRUE(Extract("Home.pst", "C:\\out")) << zip.LastError();
    EXPECT_EQ(drive.Get("C:\\out\\Home.pst"), pst);
    zip.CloseArchive();
  }
}

TEST_F(ZipComponentTest, FailedWriteKeepsOldArchiveAndCompletesOnce) {
  drive.Put("C:\\out\\b.tvo", "the last good backup");
  drive.Put("C:\\d\\one.txt", "one");
  drive.Put("C:\\d\\gone.pst", "two");
  zip.NewArchive("C:\\out\\b.tvo");
  EXPECT_EQ(zip.AddFile("C:\\d\\one.txt"), AddResult::Added);
  EXPECT_EQ(zip.AddFile("C:\\d\\gone.pst"), AddResult::Added);
  EXPECT_EQ(zip.AddFile("C:\\d\\never.pst"), AddResult::Missing);
  drive.fs().DeleteFile("C:\\d\\gone.pst");  // vanishes before the archive is written

  EXPECT_FALSE(zip.WriteArchive());
  EXPECT_EQ(events.completes, 1);
  EXPECT_NE(zip.LastError().find("C:\\d\\gone.pst"), std::string::npos) << zip.LastError();
  EXPECT_EQ(drive.Get("C:\\out\\b.tvo"), "the last good backup");
  EXPECT_EQ(HostFiles("C:\\out"), std::vector<std::string>{"b.tvo"});

  // A target folder that does not exist and an archive with no files fail the same way.
  zip.NewArchive("C:\\nowhere\\b.tvo");
  zip.AddFile("C:\\d\\one.txt");
  EXPECT_FALSE(zip.WriteArchive());
  zip.NewArchive("C:\\out\\empty.tvo");
  EXPECT_FALSE(zip.WriteArchive());
  EXPECT_EQ(events.completes, 3);
  EXPECT_FALSE(zip.LastError().empty());
}

TEST_F(ZipComponentTest, SuccessfulWriteReplacesOldArchive) {
  drive.Put("C:\\out\\b.tvo", "old");
  drive.Put("C:\\d\\one.txt", "one");
  ASSERT_TRUE(Write({"C:\\d\\one.txt"}, "C:\\out\\b.tvo"));
  EXPECT_TRUE(zip.LastError().empty());
  ASSERT_TRUE(zip.OpenArchive("C:\\out\\b.tvo"));
  ASSERT_EQ(zip.Entries().size(), 1u);
  EXPECT_EQ(HostFiles("C:\\out"), std::vector<std::string>{"b.tvo"});
}

TEST_F(ZipComponentTest, SecondFileOfSameNameKeepsTheFirst) {
  drive.Put("C:\\a\\Home.RWZ", "rules v1");
  drive.Put("C:\\b\\Home.RWZ", "rules v1");
  drive.Put("C:\\c\\home.rwz", "rules v2");
  zip.NewArchive("C:\\x.tvo");
  EXPECT_EQ(zip.AddFile("C:\\a\\Home.RWZ"), AddResult::Added);
  EXPECT_EQ(zip.AddFile("C:\\b\\Home.RWZ"), AddResult::SameNameSameContent);
  EXPECT_EQ(zip.AddFile("C:\\c\\home.rwz"), AddResult::SameNameOtherContent);
  ASSERT_TRUE(zip.WriteArchive()) << zip.LastError();
  EXPECT_EQ(events.added, std::vector<std::string>{"Home.RWZ"});
  zip.CloseArchive();

  ASSERT_TRUE(zip.OpenArchive("C:\\x.tvo"));
  ASSERT_EQ(zip.Entries().size(), 1u);
  ASSERT_TRUE(Extract("Home.RWZ", "C:\\r"));
  EXPECT_EQ(drive.Get("C:\\r\\Home.RWZ"), "rules v1");
}

TEST(ZipEntryName, OnlyPlainWindowsFileNamesAreSafe) {
  for (const char* good : {"Outlook.pst", "mailvault.dat", "OBC1A2.TMP", "Signatur (2).htm", "Ünïcode.txt",
                           "CONSOLE.txt", "COM10.pst", "LPT.txt", "\xEF\xBC\x8E\xEF\xBC\x8E\xEF\xBC\xBCx.txt"})
    EXPECT_TRUE(IsSafeEntryName(good)) << good;
  for (const char* bad : {"", ".", "..", "..\\evil.txt", "sub/x.txt", "sub\\x.txt", "/etc/passwd", "C:evil.txt",
                          "a..b", "a:stream", "trail.", "trail ", "CON", "nul.txt", "COM1.pst", "what?.txt",
                          "conin$", "CONOUT$.log", "aux .txt", "COM0", "lpt9.a.b", "COM\xC2\xB9.txt", "lpt\xC2\xB3"})
    EXPECT_FALSE(IsSafeEntryName(bad)) << bad;
}

TEST_F(ZipComponentTest, PathEntriesAreRefusedAndWriteNothing) {
  zip_t* raw = zip_open(drive.Host("C:\\evil.zip").c_str(), ZIP_CREATE | ZIP_TRUNCATE, nullptr);
  ASSERT_NE(raw, nullptr);
  for (const char* name : {"..\\evil.txt", "sub/x.txt", "ok.txt"}) {
    static const char payload[] = "payload";
    zip_source_t* s = zip_source_buffer(raw, payload, sizeof payload - 1, 0);
    ASSERT_GE(zip_file_add(raw, name, s, 0), 0);
  }
  ASSERT_EQ(zip_close(raw), 0);
  drive.MakeFolder("C:\\dest");

  ASSERT_TRUE(zip.OpenArchive("C:\\evil.zip"));
  EXPECT_FALSE(Extract("..\\evil.txt", "C:\\dest"));
  EXPECT_FALSE(Extract("sub/x.txt", "C:\\dest"));
  EXPECT_TRUE(HostFiles("C:\\dest").empty());
  EXPECT_EQ(HostFiles("C:\\"), (std::vector<std::string>{"dest", "evil.zip"}));
  EXPECT_TRUE(Extract("ok.txt", "C:\\dest"));
  EXPECT_EQ(drive.Get("C:\\dest\\ok.txt"), "payload");
}

TEST_F(ZipComponentTest, TamperedEntryLeavesExistingFileUntouched) {
  const std::string pst = TextBytes(400000) + RandomBytes(400000, 5);
  drive.Put("C:\\d\\Outlook.pst", pst);
  for (const std::string password : {"", "PW"}) {
    SCOPED_TRACE(password.empty() ? "plain" : "protected");
    ASSERT_TRUE(Write({"C:\\d\\Outlook.pst"}, "C:\\t.tvo", password));
    const auto size = std::filesystem::file_size(drive.Host("C:\\t.tvo"));
    FlipByteAt("C:\\t.tvo", size * 3 / 4);  // inside the entry's data
    drive.Put("C:\\r\\Outlook.pst", "good old data");

    ASSERT_TRUE(zip.OpenArchive("C:\\t.tvo"));
    zip.ReadPassword = password;
    const auto entry = zip.GetEntry("Outlook.pst");
    ASSERT_TRUE(entry);
    EXPECT_FALSE(zip.VerifyEntry(*entry));
    EXPECT_FALSE(zip.ExtractTo(*entry, "C:\\r"));
    EXPECT_FALSE(zip.LastError().empty());
    EXPECT_EQ(drive.Get("C:\\r\\Outlook.pst"), "good old data");
    EXPECT_EQ(HostFiles("C:\\r"), std::vector<std::string>{"Outlook.pst"});
    zip.CloseArchive();
  }
}

// A flipped authentication code leaves the data decodable; only the code tells. 7-Zip's AE-2
// entries carry no CRC, so there it is the only check, stored entries included.
TEST_F(ZipComponentTest, AesAuthenticationCodeIsChecked) {
  const std::string pst = TextBytes(300000);
  drive.Put("C:\\d\\Outlook.pst", pst);
  ASSERT_TRUE(Write({"C:\\d\\Outlook.pst"}, "C:\\ours.tvo", "PW"));
  std::vector<std::string> archives{"C:\\ours.tvo"};
  if (HaveSevenZip()) {
    for (const std::string level : {"-mx=5", "-mx=0"}) {
      const std::string archive = "C:\\7z" + level + ".zip";
      ASSERT_TRUE(RunQuiet("7z a -tzip -pPW -mem=AES256 " + level + " " + Quote(drive.Host(archive)) + " " +
                           Quote(drive.Host("C:\\d\\Outlook.pst"))));
      archives.push_back(archive);
    }
  }
  for (const auto& archive : archives) {
    SCOPED_TRACE(archive);
    FlipByteAt(archive, CentralDirectoryAt(archive) - 3);
    ASSERT_TRUE(zip.OpenArchive(archive));
    zip.ReadPassword = "PW";
    const auto entry = zip.GetEntry("Outlook.pst");
    ASSERT_TRUE(entry);
    EXPECT_FALSE(zip.VerifyEntry(*entry));
    EXPECT_FALSE(zip.ExtractTo(*entry, "C:\\r"));
    EXPECT_FALSE(drive.fs().FileExists("C:\\r\\Outlook.pst"));
    zip.CloseArchive();
  }
}

// The writer hands libzip encrypted data buffer by buffer: entries of sizes around its
// 256 KiB output buffer put the authentication code on either side of a buffer's end.
TEST_F(ZipComponentTest, ProtectedEntriesAroundTheWriteBufferReadBack) {
  constexpr std::uint64_t kBuffer = 256 * 1024;
  bool codeAfterFullBuffer = false;
  for (std::size_t size = kBuffer - 80; size <= kBuffer - 20; size += 3) {
    SCOPED_TRACE(size);
    const std::string pst = RandomBytes(size, static_cast<unsigned>(size));
    drive.Put("C:\\d\\Outlook.pst", pst);
    ASSERT_TRUE(Write({"C:\\d\\Outlook.pst"}, "C:\\p.tvo", "PW")) << zip.LastError();
    ASSERT_TRUE(zip.OpenArchive("C:\\p.tvo"));
    zip.ReadPassword = "PW";
    const auto entry = zip.GetEntry("Outlook.pst");
    ASSERT_TRUE(entry);
    const std::uint64_t beforeCode = entry->compressedSize - 10;
    codeAfterFullBuffer |= beforeCode > kBuffer - 10 && beforeCode <= kBuffer;
    ASSERT_TRUE(zip.ExtractTo(*entry, "C:\\r")) << zip.LastError();
    EXPECT_EQ(drive.Get("C:\\r\\Outlook.pst"), pst);
    zip.CloseArchive();
  }
  EXPECT_TRUE(codeAfterFullBuffer) << "no size put the code after a full buffer";
}

// The raw bytes of one entry as stored, and its data as libzip itself inflates and checks it.
std::string EntryBytes(const std::string& hostArchive, zip_flags_t flags) {
  zip_t* raw = zip_open(hostArchive.c_str(), ZIP_RDONLY, nullptr);
  if (raw == nullptr) return "(no archive)";
  std::string bytes;
  if (zip_file_t* file = zip_fopen_index(raw, 0, flags)) {
    char buffer[65536];
    for (zip_int64_t n; (n = zip_fread(file, buffer, sizeof buffer)) > 0;) bytes.append(buffer, static_cast<std::size_t>(n));
    if (zip_fclose(file) != 0) bytes = "(check failed)";
  }
  zip_discard(raw);
  return bytes;
}

// Pieces are deflated on worker threads and joined: the stored bytes must not depend on how
// many threads did it, and every reader must take the joined stream, whichever of ISA-L and
// zlib wrote it and whichever of them inflates it. Text (zlib under ISA-L), binary records
// (igzip) and zeros (igzip's fastest level) run across the piece boundaries (dictionaries)
// between random stretches (stored blocks); one size ends exactly on a boundary; the small
// and the empty entry are read on the calling thread.
TEST_F(ZipComponentTest, DeflatedBytesDoNotDependOnThreadCountOrCodec) {
  constexpr std::size_t kPiece = ParallelDeflater::kPieceSize;
  std::vector<ZipCodec> codecs{ZipCodec::Zlib};
  if (HaveIsal()) codecs.push_back(ZipCodec::Isal);
  drive.Put("C:\\d\\Small.pst", TextBytes(70000) + RandomBytes(70000, 9) + TextBytes(50000));
  drive.Put("C:\\d\\Empty.pst", "");
  for (const std::size_t size : {2 * kPiece, 3 * kPiece + 12345}) {
    std::string pst;
    for (unsigned part = 0; pst.size() < size; ++part)
      pst += part % 5 == 2   ? RandomBytes(200000, part)
             : part % 5 == 1 ? RecordBytes(250000, part)
             : part % 5 == 4 ? std::string(180000, '\0')
                             : TextBytes(300000 + part * 1000);
    pst.resize(size);
    drive.Put("C:\\d\\Outlook.pst", pst);
    for (const ZipCodec writer : codecs) {
      std::string first;
      for (const unsigned workers : {1u, 2u, 4u}) {
        SCOPED_TRACE(testing::Message() << size << " bytes, writer " << static_cast<int>(writer) << ", " << workers
                                        << " threads");
        SetZipCodec(writer);
        SetDeflateWorkers(workers);
        ASSERT_TRUE(Write({"C:\\d\\Outlook.pst", "C:\\d\\Small.pst", "C:\\d\\Empty.pst"}, "C:\\b.tvo"))
            << zip.LastError();
        const std::string host = drive.Host("C:\\b.tvo");
        const std::string stored = EntryBytes(host, ZIP_FL_COMPRESSED);
        if (first.empty()) first = stored;
        EXPECT_EQ(stored, first);
        EXPECT_LT(stored.size(), size * 2 / 3);
        EXPECT_EQ(EntryBytes(host, 0), pst);
        if (HaveSevenZip()) {
          EXPECT_TRUE(RunQuiet("7z t " + Quote(host)));
        }
        for (const ZipCodec reader : codecs) {
          SetZipCodec(reader);
          ASSERT_TRUE(zip.OpenArchive("C:\\b.tvo"));
          for (const char* name : {"Outlook.pst", "Small.pst", "Empty.pst"}) {
            ASSERT_TRUE(Extract(name, "C:\\r")) << name << " read by " << static_cast<int>(reader) << ": "
                                                << zip.LastError();
            EXPECT_EQ(drive.Get(std::string("C:\\r\\") + name), drive.Get(std::string("C:\\d\\") + name));
          }
          zip.CloseArchive();
        }
      }
    }
  }
  SetDeflateWorkers(0);
  SetZipCodec(ZipCodec::Isal);
}

// The kind decides only speed and size, so a wrong one goes unnoticed elsewhere: zeros
// would crawl through igzip's best level, UTF-16 mail would lose zlib's smaller output.
TEST(ChunkKindTest, ChunksAreJudgedByTheirBytes) {
  std::string utf16;
  for (const char c : TextBytes(kDeflateChunk / 2)) utf16 += std::string{c, '\0'};
  std::string mostlyZeros(kDeflateChunk, '\0');
  mostlyZeros[kDeflateChunk - 1] = 1;
  const struct {
    const char* name;
    std::string bytes;
    ChunkKind kind;
  } cases[] = {
      {"zeros", std::string(kDeflateChunk, '\0'), ChunkKind::Repeated},
      {"one byte", "x", ChunkKind::Repeated},
      {"zeros then a byte", mostlyZeros, ChunkKind::Other},
      {"random", RandomBytes(kDeflateChunk, 3), ChunkKind::Incompressible},
      {"text", TextBytes(kDeflateChunk), ChunkKind::Text},
      {"UTF-16 text", utf16, ChunkKind::Text},
      {"records", RecordBytes(kDeflateChunk, 4), ChunkKind::Other},
  };
  for (const auto& c : cases) {
    const auto* data = reinterpret_cast<const unsigned char*>(c.bytes.data());
    EXPECT_EQ(KindOfChunk(data, c.bytes.size()), c.kind) << c.name;
  }
}

TEST_F(ZipComponentTest, NotAnArchiveIsReportedNotCrashed) {
  drive.Put("C:\\junk.tvo", "this is not a zip file");
  EXPECT_EQ(zip.IsEncrypted("C:\\junk.tvo"), 0);
  EXPECT_FALSE(zip.OpenArchive("C:\\junk.tvo"));
  EXPECT_FALSE(zip.GetEntry("mailvault.dat"));
  EXPECT_EQ(zip.CheckPassword(), 0);
  EXPECT_FALSE(zip.OpenArchive("C:\\missing.tvo"));
}

}  // namespace
}  // namespace tarvo
