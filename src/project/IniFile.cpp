#include "project/IniFile.h"

#include <charconv>

#include "platform/Error.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

namespace cz {

namespace {

std::string_view Trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

IniFile::IniFile(std::string path, Reading reading) : path_(std::move(path)), reading_(reading) {
  Load();
}

bool IniFile::CanHoldKey(std::string_view name) {
  return !name.empty() && Trim(name).size() == name.size() && name.front() != ';' &&
         name.front() != '[' && name.find_first_of("=\r\n") == std::string_view::npos;
}

void IniFile::Load() const {
  // Stamped before reading: a change in between only makes the next check read again.
  const FileStamp stamp = StampOfFile(path_);
  std::string text;
  if (stamp.exists) {
    // A folder or FIFO under the name is not a settings file; opening a FIFO would block.
    if (!stamp.regular) throw CartozenError("Unable to open file '" + path_ + "'");
    text = ReadWholeFile(path_);
  }
  Parse(text);
  stamp_ = stamp;
}

void IniFile::RefreshIfChanged() const {
  if (reading_ == Reading::FollowDisk && pending_.empty() && StampOfFile(path_) != stamp_) Load();
}

void IniFile::Parse(std::string_view text) const {
  sections_.clear();
  sections_.push_back(Section{});
  // Every leading byte-order mark goes: one left in front of a section header would hide it,
  // and the file as written would read back differently.
  while (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view raw = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);

    const std::string_view trimmed = Trim(raw);
    if (!trimmed.empty() && trimmed.front() == '[') {
      const std::size_t close = trimmed.find(']');
      Section section;
      section.header = std::string(raw);
      section.name = std::string(Trim(
          trimmed.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1)));
      sections_.push_back(std::move(section));
      continue;
    }
    Line line{std::string(raw), {}, {}};
    const std::size_t eq = trimmed.find('=');
    if (trimmed.empty() || trimmed.front() == ';' || eq == std::string_view::npos ||
        Trim(trimmed.substr(0, eq)).empty()) {
      sections_.back().trailer.push_back(std::move(line));
      continue;
    }
    line.key = std::string(Trim(trimmed.substr(0, eq)));
    line.value = std::string(Trim(trimmed.substr(eq + 1)));
    Section& section = sections_.back();
    for (Line& pending : section.trailer) section.lines.push_back(std::move(pending));
    section.trailer.clear();
    section.lines.push_back(std::move(line));
  }
  RebuildIndex();
}

void IniFile::RebuildIndex() const {
  sectionIndex_.clear();
  for (std::size_t s = 0; s < sections_.size(); ++s) {
    Section& section = sections_[s];
    if (s > 0) sectionIndex_.emplace(UpperCase(section.name), s);
    section.keyIndex.clear();
    for (std::size_t i = 0; i < section.lines.size(); ++i) {
      if (!section.lines[i].key.empty()) {
        section.keyIndex.emplace(UpperCase(section.lines[i].key), i);
      }
    }
  }
}

const IniFile::Section* IniFile::FindSection(std::string_view name) const {
  const auto it = sectionIndex_.find(UpperCase(name));
  return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

IniFile::Section* IniFile::FindSection(std::string_view name) {
  const auto it = sectionIndex_.find(UpperCase(name));
  return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
  RefreshIfChanged();
  if (const Section* found = FindSection(section)) {
    const auto it = found->keyIndex.find(UpperCase(key));
    if (it != found->keyIndex.end()) return found->lines[it->second].value;
  }
  return std::string(defaultValue);
}

std::int32_t IniFile::ReadInteger(std::string_view section, std::string_view key,
                                  std::int32_t defaultValue) const {
  RefreshIfChanged();
  const Section* found = FindSection(section);
  if (!found) return defaultValue;
  const auto it = found->keyIndex.find(UpperCase(key));
  if (it == found->keyIndex.end()) return defaultValue;
  std::string_view text = found->lines[it->second].value;
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  std::int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
    return defaultValue;
  }
  return value;
}

bool IniFile::SectionExists(std::string_view section) const {
  RefreshIfChanged();
  return FindSection(section) != nullptr;
}

bool IniFile::ValueExists(std::string_view section, std::string_view key) const {
  RefreshIfChanged();
  const Section* found = FindSection(section);
  return found && found->keyIndex.count(UpperCase(key)) > 0;
}

std::vector<std::string> IniFile::ReadSectionKeys(std::string_view section) const {
  RefreshIfChanged();
  std::vector<std::string> keys;
  if (const Section* found = FindSection(section)) {
    for (const Line& line : found->lines) {
      if (!line.key.empty()) keys.push_back(line.key);
    }
  }
  return keys;
}

IniFile::Section& IniFile::SectionForWrite(std::string_view name) {
  if (Section* found = FindSection(name)) return *found;
  Section section;
  section.name = std::string(name);
  section.header = "[" + section.name + "]";
  sections_.push_back(std::move(section));
  sectionIndex_.emplace(UpperCase(name), sections_.size() - 1);
  return sections_.back();
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  if (!CanHoldKey(key)) {
    throw CartozenError("The name \"" + std::string(key) + "\" cannot be kept as a key in " +
                        path_);
  }
  Record(Change{false, std::string(section), std::string(key), std::string(value)});
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, std::int64_t value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::EraseSection(std::string_view section) {
  Record(Change{true, std::string(section), {}, {}});
}

void IniFile::Record(Change change) {
  // The first change after a quiet spell starts from the file as it is now.
  RefreshIfChanged();
  Apply(change);
  pending_.push_back(std::move(change));
  if (batchDepth_ == 0) Save();
}

void IniFile::Apply(const Change& change) {
  if (change.erase) {
    const auto it = sectionIndex_.find(UpperCase(change.section));
    if (it == sectionIndex_.end()) return;
    sections_.erase(sections_.begin() + static_cast<std::ptrdiff_t>(it->second));
    RebuildIndex();
    return;
  }
  Section& target = SectionForWrite(change.section);
  const std::string upperKey = UpperCase(change.key);
  const auto it = target.keyIndex.find(upperKey);
  if (it != target.keyIndex.end()) {
    Line& line = target.lines[it->second];
    line.value = change.value;
    line.raw = line.key + "=" + line.value;
  } else {
    target.lines.push_back(Line{change.key + "=" + change.value, change.key, change.value});
    target.keyIndex.emplace(upperKey, target.lines.size() - 1);
  }
}

void IniFile::Batch(const std::function<void()>& body) {
  ++batchDepth_;
  try {
    body();
  } catch (...) {
    if (--batchDepth_ == 0 && !pending_.empty()) Save();
    throw;
  }
  if (--batchDepth_ == 0 && !pending_.empty()) Save();
}

std::string IniFile::Serialize() const {
  std::string text;
  for (std::size_t s = 0; s < sections_.size(); ++s) {
    const Section& section = sections_[s];
    if (s > 0) text += section.header + "\r\n";
    for (const Line& line : section.lines) text += line.raw + "\r\n";
    for (const Line& line : section.trailer) text += line.raw + "\r\n";
  }
  return text;
}

void IniFile::Save() {
  std::vector<Change> changes = std::move(pending_);
  pending_.clear();
  // Another writer replaced the file since it was read: its keys are kept and this object's
  // changes go on top. An unreadable file throws here and is left as it is.
  if (StampOfFile(path_) != stamp_) {
    Load();
    for (const Change& change : changes) Apply(change);
  }
  try {
    AtomicWriteFile(path_, Serialize());
    stamp_ = StampOfFile(path_);
  } catch (const CartozenError&) {
    // Keep memory and disk in step: what did not reach the disk is not held either.
    try {
      Load();
    } catch (const CartozenError&) {
      Parse({});
      stamp_ = {};
    }
    throw CartozenError("Unable to write to " + path_);
  }
}

}  // namespace cz
