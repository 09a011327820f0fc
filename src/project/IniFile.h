#pragma once
// The INI profile layer: sections of key=value lines, as the settings files are kept.
//
// - Sections and keys match without regard to case; the first of duplicate sections or keys
//   is the one read and written.
// - The file is parsed once, when the object is made. Reads never touch the disk again.
// - Every write reaches the disk at once, atomically (temporary file + rename), keeping
//   comments, unknown lines and order; a new key goes after the last key of its section, a
//   new section at the end of the file. Files are written with CR LF line ends and read
//   with CR LF or LF.
// - An operation that writes thousands of keys wraps them in Batch(), which writes the file
//   once at its end.
// - A failed write throws CartozenError("Unable to write to " + file name); the object then
//   holds what the disk holds.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace cz {

class IniFile {
 public:
  // Reads path if it exists (case-insensitively resolved); a missing file reads as empty.
  explicit IniFile(std::string path);

  const std::string& FileName() const { return path_; }

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view defaultValue) const;
  // The value when it is wholly a decimal 32-bit integer (surrounding blanks allowed),
  // otherwise defaultValue.
  std::int32_t ReadInteger(std::string_view section, std::string_view key,
                           std::int32_t defaultValue) const;
  bool SectionExists(std::string_view section) const;
  bool ValueExists(std::string_view section, std::string_view key) const;
  // Key names of a section in file order (empty for a missing section).
  std::vector<std::string> ReadSectionKeys(std::string_view section) const;

  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, std::int64_t value);
  // Removes the section with all its lines; nothing happens when it does not exist.
  void EraseSection(std::string_view section);

  // Runs writes that reach the disk together, once, when body returns. Nested batches
  // write at the end of the outermost one. If body throws, what it wrote is still saved.
  void Batch(const std::function<void()>& body);

  // The file's text as it is (or would be) written.
  std::string Serialize() const;

 private:
  struct Line {
    std::string raw;  // the line as written, without its line end
    std::string key;  // key name as spelled in the file; empty for non-key lines
    std::string value;
  };
  struct Section {
    std::string name;  // empty for the lines before the first section
    std::string header;
    std::vector<Line> lines;    // up to and including the last key line
    std::vector<Line> trailer;  // blank lines and comments after the last key
    std::unordered_map<std::string, std::size_t> keyIndex;  // upper-cased key -> lines index
  };

  void Parse(std::string_view text);
  const Section* FindSection(std::string_view name) const;
  Section* FindSection(std::string_view name);
  Section& SectionForWrite(std::string_view name);
  void Save();
  void RebuildIndex();

  std::string path_;
  std::vector<Section> sections_;
  std::unordered_map<std::string, std::size_t> sectionIndex_;  // upper-cased name -> index
  int batchDepth_ = 0;
  bool dirty_ = false;
};

}  // namespace cz
