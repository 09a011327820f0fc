#include "platform/Paths.h"

#include <algorithm>
#include <cctype>

namespace cz {

bool IsFolderSeparator(char c) { return c == '/' || c == '\\'; }

std::size_t LastSeparator(std::string_view path) { return path.find_last_of("/\\"); }

std::string ExtractFilePath(std::string_view path) {
  const std::size_t sep = LastSeparator(path);
  return sep == std::string_view::npos ? std::string() : std::string(path.substr(0, sep + 1));
}

std::string ExtractFileName(std::string_view path) {
  const std::size_t sep = LastSeparator(path);
  return std::string(sep == std::string_view::npos ? path : path.substr(sep + 1));
}

namespace {
std::size_t ExtensionStart(std::string_view path) {
  const std::size_t dot = path.find_last_of('.');
  const std::size_t sep = LastSeparator(path);
  if (dot == std::string_view::npos) return std::string_view::npos;
  if (sep != std::string_view::npos && dot < sep) return std::string_view::npos;
  return dot;
}
}  // namespace

std::string ExtractFileExt(std::string_view path) {
  const std::size_t dot = ExtensionStart(path);
  return dot == std::string_view::npos ? std::string() : std::string(path.substr(dot));
}

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
  const std::size_t dot = ExtensionStart(path);
  std::string result(dot == std::string_view::npos ? path : path.substr(0, dot));
  result += ext;
  return result;
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  if (folder.empty()) return std::string(name);
  std::string result(folder);
  if (!IsFolderSeparator(result.back())) result += kPathSeparator;
  while (!name.empty() && IsFolderSeparator(name.front())) name.remove_prefix(1);
  result += name;
  return result;
}

std::string WithoutTrailingSeparator(std::string_view path) {
  while (path.size() > 1 && IsFolderSeparator(path.back())) path.remove_suffix(1);
  return std::string(path);
}

std::string WithTrailingSeparator(std::string_view path) {
  std::string result(path);
  if (result.empty() || !IsFolderSeparator(result.back())) result += kPathSeparator;
  return result;
}

std::string UpperCase(std::string_view text) {
  std::string result(text);
  std::transform(result.begin(), result.end(), result.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return result;
}

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
           return std::toupper(x) == std::toupper(y);
         });
}

}  // namespace cz
