// Records that point at the wrong entries, and entries whose headers lie.
#include "support/hostile/hostile_builder.h"

#include <cstdio>

namespace tarvo::hostile {
namespace {

constexpr std::uint64_t kChunk = 64 * 1024;
constexpr std::uint32_t kDeclared = 1024;
// What a reader that stops at the declared size may still write: that size and one buffer.
constexpr std::uint64_t kBudget = kDeclared + (1u << 20);

// content of `size` bytes (a multiple of kChunk) that deflates to almost nothing.
ForgedEntry Zeros(const std::string& name, std::uint64_t size) {
  ForgedEntry e = Entry(name, std::string(kChunk, '\0'));
  e.repeat = size / kChunk;
  return e;
}

std::string PaddingLine() { return "Pad=" + std::string(kChunk - 6, 'p') + "\r\n"; }

const Recipe kSignatureOnly = {"", "", {{"BackupSignatures", "Work.htm"}}, {Entry("Work.htm", "<p>sig</p>")},
                             {"signatures"}, Expect::Refused};

Recipe Like(const Recipe& base, const std::string& name, const std::string& what, Expect expect) {
  Recipe s = base;
  s.name = name;
  s.what = what;
  s.expect = expect;
  return s;
}

}  // namespace

void AddRecordCases(std::vector<HostileCase>& out, const HostileOptions& options) {
  Add(out,
      {"record-missing-entry", "the record lists Work.htm;Gone.htm, the archive holds only Work.htm",
       {{"BackupSignatures", "Work.htm;Gone.htm"}}, {Entry("Work.htm", "<p>sig</p>")}, {"signatures"}},
      Forms::Plain);
  Add(out,
      {"record-two-entries", "two entries named Work.htm with different contents",
       {{"BackupSignatures", "Work.htm"}}, {Entry("Work.htm", "first"), Entry("Work.htm", "second")}, {"signatures"}},
      Forms::Both);
  Add(out,
      {"record-two-entries-case", "entries Work.htm and WORK.HTM",
       {{"BackupSignatures", "Work.htm"}}, {Entry("Work.htm", "first"), Entry("WORK.HTM", "second")}, {"signatures"}},
      Forms::Plain);
  Recipe twoRecords = Like(kSignatureOnly, "record-two-records", "two entries named mailvault.dat that disagree",
                         Expect::Refused);
  twoRecords.entries.push_back(Entry("Other.htm", "<p>other</p>"));
  twoRecords.tweak = [](std::vector<ForgedEntry>& entries) {
    ForgedEntry second = entries.back();
    second.content = RecordText({{"BackupSignatures", "Other.htm"}});
    entries.push_back(second);
  };
  Add(out, twoRecords, Forms::Plain);
  Add(out,
      {"record-codepage-two", "two data files whose names the record stores alike as ?????.pst",
       {{"BackupDatas", "?????.pst"}},
       {Entry("\xD0\x9F\xD0\xBE\xD1\x87\xD1\x82\xD0\xB0.pst", "!BDN1"),
        Entry("\xD0\x9F\xD0\xB8\xD1\x81\xD1\x8C\xD0\xBC.pst", "!BDN2")},
       {"datas"}},
      Forms::Plain);

  Recipe huge = Like(kSignatureOnly, "record-huge", "a record of many megabytes, honest about its size",
                   Expect::MayRestore);
  auto padded = [](std::uint64_t size) {
    return [size](std::vector<ForgedEntry>& entries) {
      ForgedEntry& record = entries.back();
      record.prefix = record.content;
      record.content = PaddingLine();
      record.repeat = size / kChunk;
    };
  };
  huge.tweak = padded(options.hugeRecord);
  Add(out, huge, Forms::Plain);
  Recipe bomb = Like(kSignatureOnly, "record-bomb", "a record declaring 1 KiB that inflates to many megabytes",
                   Expect::Refused);
  bomb.writeBudget = kBudget;
  bomb.tweak = [grow = padded(options.bombSize)](std::vector<ForgedEntry>& entries) {
    grow(entries);
    entries.back().declaredSize = kDeclared;
  };
  Add(out, bomb, Forms::Both);

  Recipe crowded = Like(kSignatureOnly, "many-entries", "tens of thousands of entries beside a sound signature",
                      Expect::MayRestore);
  for (unsigned i = 0; i < options.manyEntries; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "n%05u.txt", i);
    ForgedEntry e = Entry(name, "x");
    e.deflate = false;
    crowded.entries.push_back(e);
  }
  Add(out, crowded, Forms::Plain);
}

void AddLyingEntryCases(std::vector<HostileCase>& out, const HostileOptions& options) {
  ForgedEntry damaged = Entry("Home.pst", "!BDN" + std::string(8000, 'd'));
  damaged.deflate = false;
  damaged.damageData = true;
  Add(out,
      {"bad-crc-data-after-config", "a sound configuration and a damaged data file, the data item chosen",
       {{"BackupConfig", "OBC1.TMP"}, {"BackupDatas", "Home.pst"}}, {Entry("OBC1.TMP", kConfigExport), damaged},
       {"datas"}},
      Forms::Both);
  ForgedEntry crcLie = Entry("Work.htm", "<p>sig</p>");
  crcLie.declaredCrc = 0x12345678;
  Add(out, {"crc-lie", "a signature whose CRC is wrong", {{"BackupSignatures", "Work.htm"}}, {crcLie}, {"signatures"}},
      Forms::Plain);

  ForgedEntry bombPst = Zeros("Home.pst", options.bombSize);
  bombPst.declaredSize = kDeclared;
  Add(out,
      {"bomb-data", "a data file declaring 1 KiB that inflates to many megabytes, after a sound configuration",
       {{"BackupConfig", "OBC1.TMP"}, {"BackupDatas", "Home.pst"}}, {Entry("OBC1.TMP", kConfigExport), bombPst},
       {"datas"}, Expect::Refused, kBudget},
      Forms::Both);
  ForgedEntry storedLie = Zeros("Work.htm", options.bombSize / 8);
  storedLie.deflate = false;
  storedLie.declaredSize = kDeclared;
  Add(out,
      {"size-lie-stored", "a stored signature declaring 1 KiB, several megabytes long",
       {{"BackupSignatures", "Work.htm"}}, {storedLie}, {"signatures"}, Expect::Refused, kBudget},
      Forms::Plain);
  ForgedEntry longLie = Entry("Work.htm", std::string(3000, 's'));
  longLie.declaredSize = 3000 + 4096;
  Add(out, {"size-lie-long", "a signature declaring more bytes than it holds", {{"BackupSignatures", "Work.htm"}},
            {longLie}, {"signatures"}},
      Forms::Plain);
  ForgedEntry twoNames = Entry("Work.htm", "<p>sig</p>");
  twoNames.localName = "..\\evil.htm";
  Add(out, {"local-name-differs", "the local header names ..\\evil.htm, the central directory Work.htm",
            {{"BackupSignatures", "Work.htm"}}, {twoNames}, {"signatures"}, Expect::MayRestore},
      Forms::Plain);
  Recipe bombAside = Like(kSignatureOnly, "bomb-unchosen",
                          "a template bomb beside a sound signature; signatures chosen",
                        Expect::MayRestore);
  bombAside.record.push_back({"BackupTemplates", "Memo.oft"});
  bombAside.entries.push_back(Zeros("Memo.oft", options.bombSize));
  bombAside.entries.back().declaredSize = kDeclared;
  bombAside.writeBudget = kBudget;
  Add(out, bombAside, Forms::Plain);
}

void AddArchiveCases(std::vector<HostileCase>& out) {
  Recipe cut = Like(kSignatureOnly, "truncated-central-directory", "the archive ends inside its central directory",
                  Expect::Refused);
  cut.patch = TruncateCentralDirectory;
  Add(out, cut, Forms::Both);
  Recipe count = Like(kSignatureOnly, "entry-count-lie", "the end record claims more entries than there are",
                    Expect::Refused);
  count.patch = [](std::string bytes) {
    return ClaimEntryCount(bytes, static_cast<std::uint16_t>(FindCentralDirectory(bytes)->count + 3));
  };
  Add(out, count, Forms::Plain);

  Add(out,
      {"export-unparsable", "a configuration export with a DWORD that is not a number, accounts chosen",
       {{"BackupConfig", "OBC1.TMP"}, {"BackupAccounts", "OBA1.TMP"}},
       {Entry("OBC1.TMP", "\\\r\n\"Name\"= sz:half\r\n\"Bad\"= dw:twelve\r\n"), Entry("OBA1.TMP", kAccountsExport)},
       {"accounts"}},
      Forms::Both);
  Add(out,
      {"export-foreign-keys", "a configuration export whose key lines climb out with \"..\"",
       {{"BackupConfig", "OBC1.TMP"}, {"BackupAccounts", "OBA1.TMP"}},
       {Entry("OBC1.TMP",
              "\\\r\n\\..\\Home\r\n\"Stolen\"= sz:yes\r\n\\..\\..\\..\\Bystander\r\n\"Stolen\"= sz:yes\r\n"),
        Entry("OBA1.TMP", kAccountsExport)},
       {"accounts"}, Expect::MayRestore},
      Forms::Plain);

  Recipe wrong = Like(kSignatureOnly, "wrong-password", "a protected archive opened with another password",
                    Expect::Refused);
  Add(out, wrong, Forms::Protected);
  out.back().password = "not the password";
  Recipe mixed = Like(kSignatureOnly, "plain-entry-in-protected", "a protected archive whose signature entry is plain",
                    Expect::MayRestore);
  mixed.tweak = [](std::vector<ForgedEntry>& entries) { entries.front().password.clear(); };
  Add(out, mixed, Forms::Protected);
}

}  // namespace tarvo::hostile
