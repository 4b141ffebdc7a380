// Output file names: the input's base name with the profile's extension, in
// the output folder, made unique unless existing files are to be overwritten.
//
// Paths are UTF-16 texts. '/' is the only folder separator: ':' and '\' are
// ordinary characters in Linux file names. The folder text is used exactly as
// the output-folder edit holds it, so a folder ending in '/' gives "//", which
// the file system reads as one separator.
#pragma once

#include <functional>

#include "platform/rtl/Types.h"

namespace tables {

using TFileExistsFunc = std::function<bool(const rtl::String& fileName)>;

// The text after the last '/', or the whole text.
rtl::String FileNamePart(const rtl::String& path);
// The file-name part with everything from its last '.' replaced by ext, or
// with ext appended when it has no '.'.
rtl::String ReplaceFileNameExt(const rtl::String& fileName, const rtl::String& ext);
// folder + "/" + the input's file-name part with the extension replaced.
rtl::String BuildOutputFileName(const rtl::String& folder, const rtl::String& inputFileName,
                                const rtl::String& ext);
// folder + "/" + base + ext, where base and ext come from outputFileName's
// file-name part; when that name exists and overwrite is off, the first free
// folder + "/" + base + "_" + n + ext for n = 1, 2, ... Nothing reserves the
// name: two calls before either file is written give the same name.
rtl::String MakeUniqueOutputFileName(const rtl::String& outputFileName, const rtl::String& folder,
                                     bool overwrite, const TFileExistsFunc& fileExists);

// True when anything (file, folder, dangling link) already has that name, so
// a new output never lands on it.
bool OutputNameTaken(const rtl::String& fileName);

}  // namespace tables
