#include "app/cli/console_run_state.h"

#include <unistd.h>

#include <csignal>
#include <cstdio>

#include "platform/ansi_convert.h"
#include "platform/files.h"

namespace vw {
namespace {

volatile std::sig_atomic_t g_interrupts = 0;
struct sigaction g_oldInt, g_oldTerm;

void OnInterrupt(int) {
  if (++g_interrupts >= 2) _exit(130);
}

}  // namespace

ConsoleRunState::ConsoleRunState() : terminal_(isatty(STDERR_FILENO) == 1) {}

ConsoleRunState::~ConsoleRunState() {
  FinishLine();
  if (installed_) {
    sigaction(SIGINT, &g_oldInt, nullptr);
    sigaction(SIGTERM, &g_oldTerm, nullptr);
  }
}

void ConsoleRunState::Install() {
  struct sigaction sa {};
  sa.sa_handler = OnInterrupt;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, &g_oldInt);
  sigaction(SIGTERM, &sa, &g_oldTerm);
  installed_ = true;
}

void ConsoleRunState::PumpMessages() {
  if (g_interrupts > 0 && m_bRunning && !m_bStopRequested) {
    m_bStopRequested = 1;
    FinishLine();
    std::fprintf(stderr, "Stopping after the page in hand (Ctrl-C again to quit at once)\n");
  }
}

void ConsoleRunState::ShowCurrentPage(const char* url, const char* path) {
  url_ = url ? ansi::ToUtf8(url) : std::string();
  path_ = path ? NativePath(path) : std::string();
}

void ConsoleRunState::SetNoteText(const char* text) { note_ = text ? text : ""; }

void ConsoleRunState::SetProgressText(const char* text) {
  progress_ = text ? text : "";
  Print();
}

void ConsoleRunState::ShowMessage(const std::string& text) {
  FinishLine();
  std::fprintf(stderr, "%s\n", ansi::ToUtf8(text).c_str());
}

void ConsoleRunState::FinishLine() {
  if (lineOpen_) {
    std::fputc('\n', stderr);
    lineOpen_ = false;
  }
}

void ConsoleRunState::Print() {
  std::string line = "[" + progress_ + "] " + url_;
  if (!note_.empty()) {
    line += " (" + note_ + ")";
  } else if (!path_.empty()) {
    line += " -> " + path_;
  }
  if (terminal_) {
    // One live line, cut to a sensible width so that it never wraps on common terminals.
    constexpr std::size_t kWidth = 160;
    if (line.size() > kWidth) {
      std::size_t cut = kWidth - 3;
      while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
      line = line.substr(0, cut) + "...";
    }
    std::fprintf(stderr, "\r\033[K%s", line.c_str());
    lineOpen_ = true;
  } else {
    std::fprintf(stderr, "%s\n", line.c_str());
  }
  std::fflush(stderr);
}

}  // namespace vw
