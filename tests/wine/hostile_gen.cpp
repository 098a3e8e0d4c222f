// Writes the hostile archives of the test suite for the Wine tests: OUTDIR\<case>.tvo, the
// password given to the restore in OUTDIR\<case>.pw, and OUTDIR\manifest.txt with one line
// per case: name, expected outcome, items (","), files it may place (";"), write budget,
// description, separated by tabs.
//
// hostile_gen OUTDIR
#include <cstdio>
#include <fstream>
#include <string>

#include "support/hostile/hostile_archives.h"

namespace {

std::string Joined(const std::vector<std::string>& parts, char separator) {
  std::string text;
  for (const auto& p : parts) text += (text.empty() ? "" : std::string(1, separator)) + p;
  return text;
}

bool Write(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return !out.fail();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: hostile_gen OUTDIR\n");
    return 2;
  }
  const std::string folder = argv[1];
  std::string manifest;
  for (const auto& c : tarvo::hostile::HostileArchiveCases()) {
    // Case names are the generator's own: letters, digits and "-".
    if (!Write(folder + "\\" + c.name + ".tvo", c.archive)) {
      std::fprintf(stderr, "hostile_gen: cannot write %s\n", c.name.c_str());
      return 1;
    }
    if (!c.password.empty() && !Write(folder + "\\" + c.name + ".pw", c.password)) return 1;
    manifest += c.name + "\t" + tarvo::hostile::ExpectName(c.expect) + "\t" + Joined(c.items, ',') + "\t" +
                Joined(c.mayPlace, ';') + "\t" + std::to_string(c.writeBudget) + "\t" + c.what + "\n";
  }
  return Write(folder + "\\manifest.txt", manifest) ? 0 : 1;
}
