// Initialisation files: "[Section]" lines followed by "key=value" lines.
//
// Reading: sections and keys match without regard to case; names and values
// are trimmed, and a value wrapped in a pair of matching quotes loses them;
// the first of two equal keys wins; lines starting with ';' are comments.
// A missing or unreadable file reads as empty, and a malformed one (binary
// junk, lines of no known kind, a header without ']') is read as far as it
// makes sense, never failing. Files may be UTF-8 (with or without a
// signature) or UTF-16 with a signature.
//
// Writing changes one value in place, adds a new key at the end of its
// section and a new section at the end of the file (a value with blanks at
// either end, or wrapped in quotes, is written in quotes so that it reads
// back as given); comments, blank lines and lines it does not understand are
// kept byte for byte. The file is written in UTF-8 as a whole to a temporary
// file in the same folder, synced and renamed over the old one, so a failure
// midway leaves the old file as it was. Names holding a line break (or a key holding '=', a section holding
// ']') would not read back and are refused like a failed write.
//
// Threads: the private-profile functions may be called from any thread, and
// they and TIniFile's writes are serialised process-wide, so two writers never
// lose each other's keys; an ini-file object belongs to one thread at a time.
#pragma once

#include <memory>

#include "platform/rtl/Classes.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Types.h"

namespace rtl {

// The value of key in section of fileName, or def when the file, the section
// or the key is missing. bufferSize, when positive, counts the terminating
// NUL of the caller's buffer: at most bufferSize-1 characters come back.
String GetPrivateProfileString(const String& section, const String& key, const String& def,
                               const String& fileName, int bufferSize = 0);
// Writes key=value into fileName (created when missing); false when the file
// cannot be written, with the old file left intact.
bool WritePrivateProfileString(const String& section, const String& key, const String& value,
                               const String& fileName);

class IniDocument;

// The abstract interface shared by the disk-backed and in-memory kinds.
class TCustomIniFile : public TObject {
 public:
  explicit TCustomIniFile(const String& fileName) : fileName_(fileName) {}
  const String& FileName() const { return fileName_; }

  virtual String ReadString(const String& section, const String& ident, const String& def) = 0;
  virtual void WriteString(const String& section, const String& ident, const String& value) = 0;
  // Decimal, or hexadecimal after "$" or "0x"; anything else (an empty value
  // too) gives def.
  virtual int ReadInteger(const String& section, const String& ident, int def);
  virtual void WriteInteger(const String& section, const String& ident, int value);
  // True when the value is a non-zero integer.
  virtual bool ReadBool(const String& section, const String& ident, bool def);
  virtual void WriteBool(const String& section, const String& ident, bool value);

  // Each clears strings first: the key names of a section, the section names,
  // or the section's lines as name=value.
  virtual void ReadSection(const String& section, TStrings* strings) = 0;
  virtual void ReadSections(TStrings* strings) = 0;
  virtual void ReadSectionValues(const String& section, TStrings* strings) = 0;
  virtual void EraseSection(const String& section) = 0;
  virtual void DeleteKey(const String& section, const String& ident) = 0;
  virtual void UpdateFile() = 0;
  // A section exists when it holds at least one key.
  virtual bool SectionExists(const String& section);
  virtual bool ValueExists(const String& section, const String& ident);

 protected:
  String fileName_;
};

// Reads the file afresh whenever it changed on disk; every write reaches the
// file at once. A write that fails raises EIniFileException
// "Unable to write to <file>".
class TIniFile : public TCustomIniFile {
 public:
  explicit TIniFile(const String& fileName);
  ~TIniFile() override;

  String ReadString(const String& section, const String& ident, const String& def) override;
  void WriteString(const String& section, const String& ident, const String& value) override;
  void ReadSection(const String& section, TStrings* strings) override;
  void ReadSections(TStrings* strings) override;
  void ReadSectionValues(const String& section, TStrings* strings) override;
  void EraseSection(const String& section) override;
  void DeleteKey(const String& section, const String& ident) override;
  // Everything is on disk already.
  void UpdateFile() override {}

 private:
  IniDocument& Current();
  void Store();

  std::unique_ptr<IniDocument> doc_;
};

// The whole text in memory, loaded from the file (if any) at creation; only
// UpdateFile writes it back. An empty FileName binds it to no file.
class TMemIniFile : public TCustomIniFile {
 public:
  explicit TMemIniFile(const String& fileName = String());
  ~TMemIniFile() override;

  String ReadString(const String& section, const String& ident, const String& def) override;
  void WriteString(const String& section, const String& ident, const String& value) override;
  void ReadSection(const String& section, TStrings* strings) override;
  void ReadSections(TStrings* strings) override;
  void ReadSectionValues(const String& section, TStrings* strings) override;
  void EraseSection(const String& section) override;
  void DeleteKey(const String& section, const String& ident) override;
  // Raises EIniFileException when the file cannot be written.
  void UpdateFile() override;

  // The text as lines / replaces the text with these lines.
  void GetStrings(TStrings* strings) const;
  void SetStrings(const TStrings* strings);
  void Clear();
  // Binds to another file, reading it when reload is set.
  void Rename(const String& fileName, bool reload);

 private:
  std::unique_ptr<IniDocument> doc_;
};

}  // namespace rtl
