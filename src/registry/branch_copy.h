#pragma once
// An exact copy of a registry branch: every key and every value, of any type, with its
// bytes as stored and its name whatever it holds. A restore takes one before it changes a
// branch and puts it back when the restore is undone; the text form goes into the
// restore's journal, so a restore cut off by a crash can be undone at the next start.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "registry/mod_reg.h"

namespace tarvo {

struct BranchCopy {
  struct Key {
    std::string path;  // below the copied key: "" for itself, else "\name\name..."
    std::vector<RegValue> values;  // in enumeration order
    bool operator==(const Key&) const;
  };
  bool existed = false;
  std::vector<Key> keys;  // depth first, every key before its subkeys
  bool operator==(const BranchCopy&) const;
};

// nullopt when the branch exists but could not be read whole.
std::optional<BranchCopy> CopyBranch(ModReg& reg, const std::string& keyPath);
// Makes the branch what the copy holds (nothing, when it did not exist); a branch that
// already is so is left alone. False when it is not so afterwards.
bool PutBranchBack(ModReg& reg, const std::string& keyPath, const BranchCopy& copy);

// One line per key and per value, every name and byte in hex.
std::string EncodeBranchCopy(const BranchCopy& copy);
// nullopt for text that is not a whole copy.
std::optional<BranchCopy> DecodeBranchCopy(const std::string& text);

// Hex of bytes and back, for the text forms of copies and journals.
std::string HexOf(const std::string& bytes);
std::optional<std::string> BytesOfHex(const std::string& hex);

}  // namespace tarvo
