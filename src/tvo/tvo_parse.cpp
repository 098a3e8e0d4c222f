#include "tvo/tvo_parse.h"

#include <algorithm>

namespace tarvo {

const char* const kTvoUsageText =
    "usage: tvo info ARCHIVE [--password-file FILE]\n"
    "       tvo list ARCHIVE [--password-file FILE]\n"
    "       tvo verify ARCHIVE [--password-file FILE]\n"
    "       tvo extract ARCHIVE DIR [--item NAME] [--password-file FILE]\n"
    "       tvo backup ARCHIVE --profile NAME --items LIST [--note TEXT] [--password-file FILE]  (Windows)\n"
    "       tvo restore ARCHIVE --profile NAME --items LIST [--password-file FILE]  (Windows)\n"
    "       tvo disc-image ARCHIVE|FOLDER IMAGE [--label TEXT] [--type 1|3|4|5|7]\n"
    "       tvo report FOLDER|ARCHIVE... [--days N] [--verify] [--csv FILE] [--html FILE] [--password-file FILE]\n"
    "items: datas accounts signatures stationery pab options templates preferences contacts, or all\n";

TvoCommand ParseTvoCommand(const std::vector<std::string>& args) {
  static const std::map<std::string, std::vector<std::string>> allowed = {
      {"info", {"--password-file"}},
      {"list", {"--password-file"}},
      {"verify", {"--password-file"}},
      {"extract", {"--password-file", "--item"}},
      {"backup", {"--password-file", "--profile", "--items", "--note"}},
      {"restore", {"--password-file", "--profile", "--items"}},
      {"disc-image", {"--label", "--type"}},
      {"report", {"--days", "--verify", "--csv", "--html", "--password-file"}}};
  // Options that take no value.
  static const std::vector<std::string> flags = {"--verify"};
  static const std::map<std::string, std::size_t> positionals = {{"info", 1},   {"list", 1},   {"verify", 1},
                                                                 {"extract", 2}, {"backup", 1}, {"restore", 1},
                                                                 {"disc-image", 2}};
  if (args.empty()) throw TvoUsageError{"no command given"};
  TvoCommand cmd{args[0], {}, {}};
  const auto known = allowed.find(cmd.name);
  if (known == allowed.end()) throw TvoUsageError{"unknown command \"" + cmd.name + "\""};
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.rfind("--", 0) != 0) {
      cmd.positional.push_back(arg);
      continue;
    }
    bool ok = false;
    for (const auto& o : known->second) ok = ok || o == arg;
    if (!ok) throw TvoUsageError{"unknown option " + arg + " for " + cmd.name};
    const bool flag = std::find(flags.begin(), flags.end(), arg) != flags.end();
    if (!flag && i + 1 >= args.size()) throw TvoUsageError{"option " + arg + " needs a value"};
    if (cmd.options.count(arg)) throw TvoUsageError{"option " + arg + " given twice"};
    cmd.options[arg] = flag ? std::string() : args[++i];
  }
  if (cmd.name == "report") {
    if (cmd.positional.empty()) throw TvoUsageError{"report takes one or more folders or archives"};
  } else if (cmd.positional.size() != positionals.at(cmd.name))
    throw TvoUsageError{cmd.name + " takes " + std::to_string(positionals.at(cmd.name)) + " path(s)"};
  for (const char* required : {"--profile", "--items"})
    if ((cmd.name == "backup" || cmd.name == "restore") && !cmd.options.count(required))
      throw TvoUsageError{cmd.name + " needs " + required};
  return cmd;
}

}  // namespace tarvo
