// RecordingFrontEnd.h: a front end for the run's tests: records every status text and message
// and answers the Yes/No prompt and the location choice as the test scripted.
#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "import/toolkit/ImportFrontEnd.h"

namespace qiva::test {

class RecordingFrontEnd : public ImportFrontEnd {
 public:
  void SetStatusText(const std::string& text) override {
    std::lock_guard lock(mutex_);
    statuses_.push_back(text);
  }
  void ShowMessage(const std::string& text) override {
    std::lock_guard lock(mutex_);
    messages_.push_back(text);
  }
  bool AskYesNo(const std::string& text) override {
    std::lock_guard lock(mutex_);
    questions_.push_back(text);
    return yesAnswer;
  }
  std::optional<std::int32_t> ChooseLocation(CAdoDatabase&, CAdoRecordset&) override {
    std::lock_guard lock(mutex_);
    ++locationRequests_;
    return locationAnswer;
  }
  void CloseProgram() override {
    std::lock_guard lock(mutex_);
    ++closeRequests_;
  }

  std::vector<std::string> statuses() const {
    std::lock_guard lock(mutex_);
    return statuses_;
  }
  std::vector<std::string> messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
  }
  int locationRequests() const {
    std::lock_guard lock(mutex_);
    return locationRequests_;
  }
  int closeRequests() const {
    std::lock_guard lock(mutex_);
    return closeRequests_;
  }

  bool yesAnswer = true;
  std::optional<std::int32_t> locationAnswer;

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> statuses_;
  std::vector<std::string> messages_;
  std::vector<std::string> questions_;
  int locationRequests_ = 0;
  int closeRequests_ = 0;
};

}  // namespace qiva::test
