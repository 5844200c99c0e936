// The command line's side of a run: Ctrl-C as the stop request and a progress display on
// stderr (one live line on a terminal, one line per page otherwise).
#pragma once

#include <string>

#include "acquire/browser_host.h"
#include "app/run_state.h"

namespace vw {

// Run state of vellowick-cli. Install() routes SIGINT and SIGTERM to it: the first one asks
// the run to stop after the page in hand, a second one ends the program at once.
class ConsoleRunState : public RunState, public MessageSink {
 public:
  ConsoleRunState();
  ~ConsoleRunState() override;

  // Installs the signal handlers (and restores the old ones in the destructor).
  void Install();

  void PumpMessages() override;
  void ShowCurrentPage(const char* url, const char* path) override;
  void SetNoteText(const char* text) override;
  void SetProgressText(const char* text) override;
  void ShowMessage(const std::string& text) override;

  // Ends the live line so that following output starts on a line of its own.
  void FinishLine();

 private:
  void Print();

  bool terminal_;
  bool lineOpen_ = false;
  bool installed_ = false;
  std::string url_, path_, note_, progress_;
};

}  // namespace vw
