// Backup benchmark helper, driven by scripts/bench.sh:
//   zip_bench generate FILE MIB          a data file, half text-like and half random blocks
//   zip_bench backup FILE ARCHIVE [PASSWORD [LEVEL]]   our backup of one file, with an
//                                        information record so that tvo takes the archive
//   zip_bench verify ARCHIVE [PASSWORD]  our reader: every entry read and checked, nothing written
//   zip_bench measure COMMAND...         runs a command; prints seconds, peak memory, CPU seconds
//   zip_bench codec                      prints which deflate and inflate backup and verify use
// "measure" reads the child's peak resident set from wait4, so every tool is measured alike.
// TARVO_BENCH_WORKERS=N makes backup deflate on N threads instead of one per core.
// TARVO_BENCH_CODEC=zlib makes backup and verify use zlib where ISA-L is built in.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "backup/zip_codec.h"
#include "backup/zip_component.h"
#include "backup/zip_parallel_deflate.h"
#include "platform/host_file_system.h"

namespace {

constexpr std::size_t kBlock = 64 * 1024;

// Mail-like text: headers, quoted lines and words from a small vocabulary, varied enough
// that deflate gets about what it gets on a real message store.
void FillText(std::mt19937& gen, std::string& block) {
  static const char* words[] = {"the", "meeting", "report", "Outlook", "please", "attached", "regards", "project",
                                "invoice", "schedule", "thanks", "review", "customer", "from:", "to:", "subject:",
                                "re:", "fw:", "calendar", "tomorrow", "budget", "quarter", "team", "update"};
  block.clear();
  while (block.size() < kBlock) {
    const unsigned kind = gen() % 8;
    if (kind == 0) block += "> ";
    for (unsigned w = 0, n = 4 + gen() % 10; w < n; ++w) {
      block += words[gen() % (sizeof words / sizeof *words)];
      if (gen() % 5 == 0) block += std::to_string(gen() % 10000);
      block += ' ';
    }
    block += "\r\n";
  }
  block.resize(kBlock);
}

void FillRandom(std::mt19937& gen, std::string& block) {
  block.resize(kBlock);
  for (std::size_t i = 0; i < kBlock; i += 4) {
    const auto v = gen();
    block[i] = static_cast<char>(v);
    block[i + 1] = static_cast<char>(v >> 8);
    block[i + 2] = static_cast<char>(v >> 16);
    block[i + 3] = static_cast<char>(v >> 24);
  }
}

int Generate(const std::string& path, long mib) {
  std::ofstream out(path, std::ios::binary);
  std::mt19937 gen(20130314);
  std::string block;
  const long blocks = mib * (1024 * 1024 / static_cast<long>(kBlock));
  for (long i = 0; i < blocks; ++i) {
    if (gen() % 2 == 0)
      FillText(gen, block);
    else
      FillRandom(gen, block);
    out.write(block.data(), static_cast<std::streamsize>(block.size()));
  }
  return out ? 0 : 1;
}

// Host paths become "C:\..." paths on a drive that maps C: to "/".
std::string WinPath(const std::string& host) {
  std::string win = "C:";
  for (char c : host) win += c == '/' ? '\\' : c;
  return win;
}

// The record tvo needs to open an archive: it holds one data file.
std::string WriteRecord(const std::string& archive, const std::string& file) {
  const auto folder = std::filesystem::path(archive + ".record");
  std::filesystem::create_directories(folder);
  const auto path = folder / "mailvault.dat";
  std::ofstream(path, std::ios::binary)
      << "BackupComputer=BENCH\r\nBackupLogonUser=bench\r\nBackupIdentity=Bench\r\n"
         "BackupTime=3/14/2013 10:05:12 AM\r\nOutlookversion=Outlook 2010\r\nBackupInformation=bench\r\n"
         "BackupDatas="
      << std::filesystem::path(file).filename().string() << "\r\nBackupItem=01000000000\r\n";
  return path.string();
}

int Backup(const std::string& file, const std::string& archive, const std::string& password, int level) {
  if (const char* workers = std::getenv("TARVO_BENCH_WORKERS")) tarvo::SetDeflateWorkers(static_cast<unsigned>(std::atoi(workers)));
  tarvo::HostFileSystem files({{'C', "/"}});
  tarvo::ZipComponent zip(files);
  if (level > 0) zip.DeflateLevel = level;
  zip.NewArchive(WinPath(archive));
  const std::string record = WriteRecord(archive, file);
  if (zip.AddFile(WinPath(file)) != tarvo::AddResult::Added || zip.AddFile(WinPath(record)) != tarvo::AddResult::Added) {
    std::cerr << "cannot add " << file << "\n";
    return 1;
  }
  zip.EncryptArchive = password.empty() ? 0 : 1;
  zip.WritePassword = password;
  const bool ok = zip.WriteArchive();
  if (!ok) std::cerr << zip.LastError() << "\n";
  zip.CloseArchive();
  return ok ? 0 : 1;
}

int Verify(const std::string& archive, const std::string& password) {
  tarvo::HostFileSystem files({{'C', "/"}});
  tarvo::ZipComponent zip(files);
  if (!zip.OpenArchive(WinPath(archive))) {
    std::cerr << zip.LastError() << "\n";
    return 1;
  }
  zip.ReadPassword = password;
  for (const auto& entry : zip.Entries()) {
    if (!zip.VerifyEntry(entry)) {
      std::cerr << zip.LastError() << "\n";
      return 1;
    }
  }
  return 0;
}

int Measure(char** argv) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    // The figures are this program's only output; what the command says goes nowhere.
    const int null = open("/dev/null", O_WRONLY);
    if (null >= 0) dup2(null, STDOUT_FILENO);
    execvp(argv[0], argv);
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const auto cpu = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
  // seconds, KiB, CPU seconds of all threads (what the run costs whatever else runs)
  std::printf("%.3f %ld %.3f\n", seconds, usage.ru_maxrss, cpu(usage.ru_utime) + cpu(usage.ru_stime));
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (const char* codec = std::getenv("TARVO_BENCH_CODEC"); codec != nullptr && std::string(codec) == "zlib")
    tarvo::SetZipCodec(tarvo::ZipCodec::Zlib);
  if (args.size() == 1 && args[0] == "codec") {
    std::cout << (tarvo::CurrentZipCodec() == tarvo::ZipCodec::Isal ? "ISA-L" : "zlib") << "\n";
    return 0;
  }
  if (args.size() == 3 && args[0] == "generate") return Generate(args[1], std::stol(args[2]));
  if (args.size() >= 3 && args.size() <= 5 && args[0] == "backup")
    return Backup(args[1], args[2], args.size() > 3 ? args[3] : "", args.size() > 4 ? std::stoi(args[4]) : 0);
  if ((args.size() == 2 || args.size() == 3) && args[0] == "verify")
    return Verify(args[1], args.size() > 2 ? args[2] : "");
  if (args.size() >= 2 && args[0] == "measure") return Measure(argv + 2);
  std::cerr << "usage: zip_bench generate FILE MIB | backup FILE ARCHIVE [PASSWORD [LEVEL]] | verify ARCHIVE [PASSWORD] | measure CMD... | codec\n";
  return 2;
}
