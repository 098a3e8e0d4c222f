#pragma once
// Small text rules shared by every layer. Each name says its rule, since several look alike.
#include <string>

namespace tarvo {

// Spaces off both ends; tabs and other characters stay.
std::string TrimSpaces(const std::string& text);
// Spaces and tabs off both ends, as the profile-string functions read a line.
std::string TrimSpacesAndTabs(const std::string& text);
// The text before its first NUL, spaces trimmed: what a name query's buffer holds.
std::string TrimNameBuffer(const std::string& buffer);
// ASCII letters to upper case; other bytes stay.
std::string UpperAscii(std::string text);

// Every run of "\" becomes one "\" (the run is rescanned): "a\\\\b" and "a\\\b" both give "a\b".
std::string CollapseBackslashRuns(std::string path);
// Each "\\" pair becomes "\" once, left to right, without rescanning: "\\\\" gives "\\".
std::string HalveDoubledBackslashes(const std::string& path);

}  // namespace tarvo

namespace tarvo {

// Text from an archive made safe to print on a terminal or in a log: control characters
// (C0, DEL, C1), the bidirectional controls and bytes that are not UTF-8 become "\xNN" or
// "\u{NNNN}". Line feeds stay when keepLineFeeds is set.
std::string PrintableText(const std::string& text, bool keepLineFeeds = false);

}  // namespace tarvo
