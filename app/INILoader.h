// INILoader.h: reads the key=value configuration file beside the program and answers
// look-ups by key. No sections, comments, quoting or escapes: see Load for the line rules.
#pragma once

#include <string>
#include <vector>

class INILoader {
 public:
  INILoader() = default;
  virtual ~INILoader() = default;

  // Reads the file at `path`, replacing any entries held. Lines end at CR or CR LF (a lone LF
  // stays in the line); empty lines are skipped; the key runs from the first non-blank to the
  // first "=", the value from after that "=" and its leading blanks to the next "=". Loading
  // stops at the first line over 1,024 characters (earlier entries stay). A UTF-8 byte order
  // mark at the start is no part of the first key and is passed over. Returns false when the
  // file is missing or cannot be read, is no file (a folder), or holds a zero byte: a value cut
  // at it would reach the database changed (a shorter password, another file name).
  bool Load(const std::string& path);

  // True when the last Load failed because the file holds a zero byte.
  bool heldZeroByte() const { return heldZeroByte_; }

  // True when the text last loaded holds line feeds but no carriage return: its lines end with
  // LF only, so by the rules above it is one long line (a file written on another system).
  bool lineFeedsOnly() const { return lineFeedsOnly_; }

  // Copies into `out` the value of the first entry whose key equals `key`, letters a to z
  // compared without regard to case, and returns true; otherwise `out` is empty and false.
  bool GetValue(std::string& out, const std::string& key) const;

  // The same, returning the value or "" when the key is absent.
  std::string GetValue(const std::string& key) const;

  struct Entry {
    std::string key;
    std::string value;
  };
  const std::vector<Entry>& entries() const { return entries_; }

 private:
  std::vector<Entry> entries_;
  bool lineFeedsOnly_ = false;
  bool heldZeroByte_ = false;
};
