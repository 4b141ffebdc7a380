#include "app/tables/OutputFileName.h"

#include <filesystem>
#include <string>
#include <system_error>

#include "platform/rtl/Strings.h"

namespace tables {

namespace {

rtl::String Decimal(unsigned long long n) {
  const std::string text = std::to_string(n);
  return rtl::String(text.begin(), text.end());
}

}  // namespace

rtl::String FileNamePart(const rtl::String& path) {
  const std::size_t slash = path.rfind(u'/');
  return slash == rtl::String::npos ? path : path.substr(slash + 1);
}

rtl::String ReplaceFileNameExt(const rtl::String& fileName, const rtl::String& ext) {
  const std::size_t dot = fileName.rfind(u'.');
  return (dot == rtl::String::npos ? fileName : fileName.substr(0, dot)) + ext;
}

rtl::String BuildOutputFileName(const rtl::String& folder, const rtl::String& inputFileName,
                                const rtl::String& ext) {
  return folder + u"/" + ReplaceFileNameExt(FileNamePart(inputFileName), ext);
}

rtl::String MakeUniqueOutputFileName(const rtl::String& outputFileName, const rtl::String& folder,
                                     bool overwrite, const TFileExistsFunc& fileExists) {
  const rtl::String name = FileNamePart(outputFileName);
  const std::size_t dot = name.rfind(u'.');
  const rtl::String ext = dot == rtl::String::npos ? rtl::String() : name.substr(dot);
  const rtl::String stem = folder + u"/" + name.substr(0, name.size() - ext.size());

  rtl::String candidate = stem + ext;
  if (overwrite) return candidate;
  for (unsigned long long n = 1; fileExists(candidate); ++n)
    candidate = stem + u"_" + Decimal(n) + ext;
  return candidate;
}

bool OutputNameTaken(const rtl::String& fileName) {
  std::error_code ec;
  const auto status = std::filesystem::symlink_status(std::filesystem::path(rtl::U8(fileName)), ec);
  return !ec && std::filesystem::exists(status);
}

}  // namespace tables
