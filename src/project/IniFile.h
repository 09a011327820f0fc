#pragma once
// The INI profile layer: sections of key=value lines, as the settings files are kept.
//
// - Sections and keys match without regard to case; the first of duplicate sections or keys
//   is the one read and written.
// - The file is parsed when the object is made, and again whenever it changed on disk (its
//   size, modification time or inode differ from the last read): before each read or write
//   while none of this object's changes is pending, and before pending changes reach the disk. So
//   two objects, or two programs, on one file keep each other's keys: a write replays this object's
//   changes onto the file as it is now. (Writers that race within one save can still lose one side;
//   there is no lock.)
// - A file that exists but cannot be read (no permission, a folder or FIFO under its name)
//   throws CartozenError("Unable to open file '" + name + "'") and is never written over.
//   A missing file reads as empty.
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

#include "platform/FileSystem.h"

namespace cz {

class IniFile {
 public:
  // Whether reads follow the disk (above), or keep the file as it was read once: a reader
  // that takes a whole settings file (a chart's georeference, thousands of keys) sees one state
  // of it even while another process replaces it, and reads each key without asking the disk.
  enum class Reading { FollowDisk, Snapshot };

  // Reads path if it exists (case-insensitively resolved); a missing file reads as empty, an
  // unreadable one throws (see above).
  explicit IniFile(std::string path, Reading reading = Reading::FollowDisk);

  // True when name can be a key of this format: it reads back as written only when it has
  // no "=", no line end, no leading or trailing blank, and does not start with ";" or "[".
  static bool CanHoldKey(std::string_view name);

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

  // One change made through this object, kept until it reaches the disk so it can be
  // replayed onto a file another writer changed meanwhile.
  struct Change {
    bool erase = false;  // EraseSection(section) rather than a key write
    std::string section, key, value;
  };

  void Load() const;              // reads the disk (throws when unreadable)
  void RefreshIfChanged() const;  // reloads when nothing is pending and the disk changed
  void Apply(const Change& change);
  void Record(Change change);
  void Parse(std::string_view text) const;
  const Section* FindSection(std::string_view name) const;
  Section* FindSection(std::string_view name);
  Section& SectionForWrite(std::string_view name);
  void Save();
  void RebuildIndex() const;

  std::string path_;
  // The parsed file is a cache of the disk: reads may refresh it, hence mutable.
  mutable std::vector<Section> sections_;
  mutable std::unordered_map<std::string, std::size_t> sectionIndex_;  // upper-cased name
  mutable FileStamp stamp_;      // the disk state sections_ was read from or written as
  std::vector<Change> pending_;  // changes not yet on disk
  int batchDepth_ = 0;
  Reading reading_;
};

}  // namespace cz
