// The state that a running extraction shares with its front end (the dialog or the command
// line): the run flags, the message pump, the stop test and the status output.
#pragma once

namespace vw {

// One front end's side of a run. The crawl and the link collector call these between steps;
// the dialog drains its message queue in PumpMessages, the command line checks its signals.
class RunState {
 public:
  virtual ~RunState() = default;

  // Drains the front end's pending events once, so that it stays live during a run.
  virtual void PumpMessages() = 0;

  // Pumps, then tells whether the user has asked the run to stop.
  bool IsStopRequested() {
    PumpMessages();
    return m_bStopRequested != 0;
  }

  // Shows the address and the file path of the page just handled; null shows nothing.
  virtual void ShowCurrentPage(const char* url, const char* path) = 0;

  // Sets the note field; null empties it.
  virtual void SetNoteText(const char* text) = 0;

  // Shows the progress text ("visited/found"); null empties it.
  virtual void SetProgressText(const char* text) = 0;

  // 1 from the start of a run until its very end.
  int m_bRunning = 0;
  // 1 once the user has asked the running extraction to stop.
  int m_bStopRequested = 0;
  // 1 when pages are saved as their text instead of their markup.
  int m_bSaveText = 0;
};

}  // namespace vw
