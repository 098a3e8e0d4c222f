#pragma once
// Text forms of binary registry values: the hex token text ("0=A=FF") and the file paths
// Outlook keeps inside its binary profile values.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarvo {

// Each byte as uppercase hex without leading zeros, joined by "=".
std::string HexTokens(const std::vector<std::uint8_t>& bytes);
// The reverse, split at "="; nullopt when a token is not a byte in hex.
std::optional<std::vector<std::uint8_t>> ParseHexTokens(const std::string& text);
// Tokens of each character, every token followed by "=": ANSI bytes, or UTF-16 low then high.
std::string NarrowHex(const std::string& text);
std::string WideHex(const std::string& text);

// Decodes a value's bytes as two-byte characters (pairing non-zero neighbours, skipping
// zeros) or as ANSI text with the zero bytes dropped.
std::u32string WideBinaryText(const std::vector<std::uint8_t>& bytes);
std::u32string NarrowBinaryText(const std::vector<std::uint8_t>& bytes);
// The path at the last ":\" (from its drive letter) or else the last "\\", as UTF-8;
// either must stand at the third character or later.
std::optional<std::string> PathInText(const std::u32string& text);

// Plain replacement of every occurrence, left to right, without overlap.
std::string ReplaceAllText(const std::string& text, const std::string& from, const std::string& to);

}  // namespace tarvo
