// Files, paths, directory searches and the process environment.
//
// Names are Strings (UTF-16) and reach the system as UTF-8. Paths use '/';
// a path is absolute when it starts with '/'. Directory searches follow the
// system's file-search rules: "*.*" matches every name, masks match without
// regard to case, and entries with the hidden (dot-file), system (not a
// regular file or directory) or directory attribute are skipped unless the
// search asks for that attribute. Everything is reentrant except the current
// directory, which is process-wide state.
#pragma once

#include <memory>

#include "platform/rtl/DateTime.h"
#include "platform/rtl/Types.h"

namespace rtl {

constexpr char16_t PathDelim = u'/';
constexpr char16_t PathSep = u':';

constexpr int faReadOnly = 0x01;   // the owner may not write it
constexpr int faHidden = 0x02;     // the name starts with '.' ("." and ".." excepted)
constexpr int faSysFile = 0x04;    // a device, socket or pipe
constexpr int faVolumeID = 0x08;   // never set
constexpr int faDirectory = 0x10;
constexpr int faArchive = 0x20;    // every regular file
constexpr int faNormal = 0x80;
constexpr int faAnyFile = 0x1FF;

// --- Names and paths --------------------------------------------------------

bool IsPathDelimiter(const String& s, int index);
String IncludeTrailingPathDelimiter(const String& s);
String ExcludeTrailingPathDelimiter(const String& s);
// Folder part with its trailing '/'; "" for a bare name.
String ExtractFilePath(const String& fileName);
// Folder part without the trailing '/', except at the root.
String ExtractFileDir(const String& fileName);
String ExtractFileName(const String& fileName);
// Extension with its dot (".gz" of "a.tar.gz"); "" when the name has none.
String ExtractFileExt(const String& fileName);
String ChangeFileExt(const String& fileName, const String& extension);
// Absolute form relative to the current directory, with "." and ".." resolved.
String ExpandFileName(const String& fileName);

// File names compare and change case as the converter's users expect of
// names: without regard to case, every script folded.
int AnsiCompareFileName(const String& a, const String& b);
bool SameFileName(const String& a, const String& b);
String AnsiLowerCaseFileName(const String& s);
String AnsiUpperCaseFileName(const String& s);

// --- Masks ------------------------------------------------------------------

// Whole-name match, without regard to case: '*' any run, '?' one character,
// "[a-z]" one of a set, "[!a-z]" one outside it. '.' is an ordinary
// character, so "*.*" needs a dot.
bool MatchesMask(const String& fileName, const String& mask);
// The system's file-search matching: as MatchesMask without sets, and a mask
// ending in ".*" also matches names without an extension ("*.*" matches all).
bool MatchesSearchMask(const String& fileName, const String& mask);

// --- Files and folders ------------------------------------------------------

bool FileExists(const String& fileName);  // exists and is not a folder
bool DirectoryExists(const String& directory);
// Attribute bits, or -1 when the name does not exist.
int FileGetAttr(const String& fileName);
// Size in bytes of a file, or -1 when it does not exist or is a folder.
Int64 FileSize(const String& fileName);
// Last modification as a local date-time value; false when missing.
bool FileAge(const String& fileName, TDateTime& fileDateTime);
// Last modification as a local DOS date and time; -1 when missing.
int FileAge(const String& fileName);
TDateTime FileDateToDateTime(int fileDate);
// -1 for values outside 1980..2107.
int DateTimeToFileDate(TDateTime value);

bool CreateDir(const String& dir);
// Creates dir and every missing parent; true when dir exists afterwards.
// An empty name raises EInOutError "Unable to create directory".
bool ForceDirectories(const String& dir);
bool RemoveDir(const String& dir);
bool DeleteFile(const String& fileName);  // files only, never folders
// Fails, as the system's move does, when newName already exists.
bool RenameFile(const String& oldName, const String& newName);

String GetCurrentDir();
bool SetCurrentDir(const String& dir);

// --- Directory search -------------------------------------------------------

struct TFindState;

struct TSearchRec {
  int Time = 0;               // DOS date and time (local), -1 outside its range
  TDateTime TimeStamp = 0;    // last modification, local
  Int64 Size = 0;
  int Attr = 0;
  String Name;
  int ExcludeAttr = 0;
  std::shared_ptr<TFindState> FindHandle;  // released by FindClose or destruction
};

// path is a folder and a mask ("/music/*.mp3"); a bare mask searches the
// current directory. Returns 0 when an entry was found, else an errno value
// (ENOENT when nothing matches; the search is then already closed).
int FindFirst(const String& path, int attr, TSearchRec& f);
int FindNext(TSearchRec& f);
void FindClose(TSearchRec& f);

// --- Process and environment ------------------------------------------------

// Folder of the running program with a trailing '/'.
String ProgramFolder();
// Makes ProgramFolder and ParamStr(0) answer from `folder` (empty: the real one).
void SetProgramFolderForTests(const String& folder);
// 0 is the program's full name; 1..ParamCount() the command-line arguments.
String ParamStr(int index);
int ParamCount();

String GetEnvironmentVariable(const String& name);
bool SetEnvironmentVariable(const String& name, const String& value);
// Home folder and temporary folder, each with a trailing '/'.
String GetHomePath();
String GetTempPath();
// The system's text for an errno value.
String SysErrorMessage(int errorCode);

}  // namespace rtl
