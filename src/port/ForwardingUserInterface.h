#pragma once
// A user-interface port that passes every call on to another one: the base of ports that
// watch or add to what an operation shows (override only those calls) and leave the rest to
// the port they wrap.

#include "port/UserInterface.h"

namespace cz {

class ForwardingUserInterface : public UserInterface {
 public:
  explicit ForwardingUserInterface(UserInterface& inner) : inner_(inner) {}

  void SetStatusText(const std::string& text) override { inner_.SetStatusText(text); }
  void ShowRefusal(const std::string& text) override { inner_.ShowRefusal(text); }
  void ShowMessage(const std::string& text) override { inner_.ShowMessage(text); }
  void ShowMessageWithCause(const std::string& text, const std::string& cause) override {
    inner_.ShowMessageWithCause(text, cause);
  }
  void ReportError(const std::exception& error) override { inner_.ReportError(error); }
  bool Confirm(const std::string& question) override { return inner_.Confirm(question); }
  std::optional<std::size_t> Choose(const std::string& question,
                                    const std::vector<std::string>& options,
                                    std::size_t initial) override {
    return inner_.Choose(question, options, initial);
  }
  void AddLogLine(MessageLog log, const std::string& line) override {
    inner_.AddLogLine(log, line);
  }
  void ClearLog(MessageLog log) override { inner_.ClearLog(log); }
  void ProcessEvents() override { inner_.ProcessEvents(); }
  void ShowProgress(const ProgressReport& report) override { inner_.ShowProgress(report); }
  bool CancelRequested() override { return inner_.CancelRequested(); }
  void BeginTileJob() override { inner_.BeginTileJob(); }
  void ShowTileMade(const Raster32& tile) override { inner_.ShowTileMade(tile); }
  void EndTileJob() override { inner_.EndTileJob(); }
  void ShowImportReading(const std::string& path) override { inner_.ShowImportReading(path); }
  void ImportMosaicStarted() override { inner_.ImportMosaicStarted(); }
  void ImportMosaicReady() override { inner_.ImportMosaicReady(); }

 protected:
  UserInterface& Inner() { return inner_; }

 private:
  UserInterface& inner_;
};

}  // namespace cz
