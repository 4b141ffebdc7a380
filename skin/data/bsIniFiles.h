// In-memory INI text for skin descriptions.
//
// Skin texts are read and written through the abstract TCustomIniFile so that
// the same description code serves a file on disk and a text held in memory.
// TMemIniFile keeps sections and keys in their order of appearance; section
// and key names match without regard to case (ASCII); the first of two equal
// keys wins. Values are trimmed on parsing, as the framework's reader does.
// Not thread-safe; every skin object lives on the GUI thread.
#pragma once

#include <vector>

#include "platform/rtl/Types.h"

namespace skin {

using rtl::String;

class TCustomIniFile {
 public:
  virtual ~TCustomIniFile() = default;

  virtual String ReadString(const String& Section, const String& Ident, const String& Default) const = 0;
  virtual void WriteString(const String& Section, const String& Ident, const String& Value) = 0;
  virtual void EraseSection(const String& Section) = 0;
  // A section exists when it holds at least one key.
  virtual bool SectionExists(const String& Section) const = 0;

  // "0x.." (three or more characters) and "$.." are hexadecimal; anything that
  // is not a valid 32-bit integer gives Default.
  int ReadInteger(const String& Section, const String& Ident, int Default) const;
  void WriteInteger(const String& Section, const String& Ident, int Value);
};

class TMemIniFile : public TCustomIniFile {
 public:
  TMemIniFile() = default;
  // Reads the file when it exists; a missing file gives an empty text.
  explicit TMemIniFile(const String& FileName);

  String ReadString(const String& Section, const String& Ident, const String& Default) const override;
  void WriteString(const String& Section, const String& Ident, const String& Value) override;
  void EraseSection(const String& Section) override;
  bool SectionExists(const String& Section) const override;

  void SetText(const String& Text);
  // CR LF line ends, an empty line after each section.
  String GetText() const;
  std::vector<String> SectionNames() const;
  std::vector<String> SectionKeys(const String& Section) const;

  const String& FileName() const { return FFileName; }
  // Writes the whole text to FileName in the ANSI code page (temp file + rename).
  void UpdateFile() const;

 private:
  struct Entry {
    String Key;
    String Value;
  };
  struct Section {
    String Name;
    std::vector<Entry> Entries;
  };
  const Section* Find(const String& Name) const;
  Section* Find(const String& Name);

  String FFileName;
  std::vector<Section> FSections;
};

// The framework's integer conversion: optional blanks and sign, then decimal
// digits or "$"/"0x" and hexadecimal digits; false when not a 32-bit integer.
bool TryParseInt(const String& Text, int& Value);
bool SameTextAscii(const String& A, const String& B);
String TrimText(const String& S);

}  // namespace skin
