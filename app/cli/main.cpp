// vellowick-cli: the command-line front end. Lists the pages of a browser with remote
// debugging, or extracts the e-book shown in one of them into a folder.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "acquire/document_ops.h"
#include "acquire/source_ident.h"
#include "app/cli/console_run_state.h"
#include "app/cli_options.h"
#include "crawl/extract_book.h"
#include "platform/ansi_convert.h"
#include "platform/devtools/devtools_host.h"
#include "platform/files.h"

namespace {

using vw::devtools::Endpoint;
using vw::devtools::PageTarget;

enum ExitCode {
  kDone = 0,
  kBadCommandLine = 2,
  kNoBrowser = 3,
  kNoTarget = 4,
  kBadFolder = 5,
  kFileError = 6,
  kStopped = 130,
};

// The completion message of a run, as the dialog shows it.
constexpr char kCompleted[] = "电子书反编译完毕。";

int Fail(int code, const std::string& message) {
  std::fprintf(stderr, "vellowick-cli: %s\n", message.c_str());
  return code;
}

bool ReadEndpoint(const std::string& text, Endpoint& endpoint) {
  return vw::devtools::ParseEndpoint(text, endpoint);
}

bool ListTargets(const vw::CliOptions& options, Endpoint& endpoint,
                 std::vector<PageTarget>& targets, int& code) {
  if (!ReadEndpoint(options.devtools, endpoint)) {
    code = Fail(kBadCommandLine, "'" + options.devtools + "' is not a DevTools endpoint " +
                                     "(try http://127.0.0.1:9222)");
    return false;
  }
  if (!vw::devtools::DevToolsHost::ListTargets(endpoint, targets)) {
    code = Fail(kNoBrowser, "no browser answers at " + options.devtools +
                                " (start it with --remote-debugging-port)");
    return false;
  }
  return true;
}

void PrintTarget(const PageTarget& t) {
  std::printf("%s\t%s\t%s\n", t.id.c_str(), ansi::ToUtf8(t.title).c_str(),
              ansi::ToUtf8(t.url).c_str());
}

int RunTargets(const vw::CliOptions& options) {
  Endpoint endpoint;
  std::vector<PageTarget> targets;
  int code = kDone;
  if (!ListTargets(options, endpoint, targets, code)) return code;
  for (const PageTarget& t : targets) PrintTarget(t);
  return kDone;
}

// The page target the user means: the one with the id, else the ones whose title or address
// equals the text, else those that hold it; with no text, the only page.
bool ChooseTarget(const std::vector<PageTarget>& targets, const std::string& wanted,
                  PageTarget& chosen, int& code) {
  std::vector<PageTarget> matches;
  if (wanted.empty()) {
    matches = targets;
  } else {
    const std::string gbk = ansi::FromUtf8(wanted);
    for (const PageTarget& t : targets) {
      if (t.id == wanted) matches = {t};
    }
    for (int pass = 0; pass < 2 && matches.empty(); ++pass) {
      for (const PageTarget& t : targets) {
        const bool hit = pass == 0 ? (t.title == gbk || t.url == gbk)
                                   : (t.title.find(gbk) != std::string::npos ||
                                      t.url.find(gbk) != std::string::npos);
        if (hit) matches.push_back(t);
      }
    }
  }
  if (matches.size() == 1) {
    chosen = matches[0];
    return true;
  }
  if (matches.empty()) {
    code = Fail(kNoTarget, wanted.empty() ? "the browser shows no page"
                                          : "no page matches '" + wanted + "'");
  } else {
    code = Fail(kNoTarget, "several pages match; choose one with --target ID:");
    for (const PageTarget& t : matches) PrintTarget(t);
  }
  return false;
}

// The target folder as an absolute GBK path, checked to exist and to be writable.
bool CheckFolder(const std::string& out, std::string& gbkFolder, int& code) {
  char resolved[PATH_MAX];
  struct stat st {};
  if (!realpath(out.c_str(), resolved) || stat(resolved, &st) != 0 || !S_ISDIR(st.st_mode)) {
    code = Fail(kBadFolder, "the folder '" + out + "' does not exist");
    return false;
  }
  if (access(resolved, W_OK | X_OK) != 0) {
    code = Fail(kBadFolder, "the folder '" + out + "' is not writable");
    return false;
  }
  gbkFolder = ansi::FromUtf8(resolved);
  if (ansi::ToUtf8(gbkFolder) != resolved) {
    code = Fail(kBadFolder, "the folder name '" + out +
                                "' has characters that page paths cannot hold (GBK)");
    return false;
  }
  return true;
}

int RunExtract(const vw::CliOptions& options) {
  std::string folder;
  int code = kDone;
  if (!CheckFolder(options.out, folder, code)) return code;

  Endpoint endpoint;
  std::vector<PageTarget> targets;
  if (!ListTargets(options, endpoint, targets, code)) return code;
  PageTarget target;
  if (!ChooseTarget(targets, options.target, target, code)) return code;

  vw::ConsoleRunState run;
  vw::devtools::DevToolsHost host(endpoint, target.id);
  vw::ExtractOptions extractOptions;
  extractOptions.pollMs = options.pollMs;

  std::string home;
  {
    vw::DocumentRef document = vw::GetBrowserDocument(&host, &run);
    if (!document) return Fail(kNoBrowser, "the page cannot be reached");
    // The walk saves the page on screen as it is, so a page still loading is waited for
    // first, as a user waits for the page before picking it. A browser that has only just
    // started lists the address it is loading while its document is still the blank one.
    if (!vw::IsCompleteAt(document.get(), target.url)) {
      document = vw::WaitForComplete(&host, run, extractOptions, target.url);
      if (!document) return Fail(kNoBrowser, "the page cannot be reached");
    }
    const std::string shown = vw::GetPageUrl(document.get());
    home = options.home.empty() ? shown : ansi::FromUtf8(options.home);
    document.reset();
    // The walk takes its first page as the browser shows it, so a home page other than the
    // one on screen is loaded first.
    if (home != shown && !vw::LoadPage(&host, home, run, extractOptions)) {
      return Fail(kNoBrowser, "the page cannot be reached");
    }
  }
  const std::string prefix =
      options.prefixGiven ? ansi::FromUtf8(options.prefix) : vw::DeriveLinkPrefix(home);
  std::fprintf(stderr, "Extracting %s\n  prefix %s\n  into   %s\n",
               ansi::ToUtf8(home).c_str(), ansi::ToUtf8(prefix).c_str(),
               options.out.c_str());

  run.m_bSaveText = options.text ? 1 : 0;
  run.m_bRunning = 1;
  run.m_bStopRequested = 0;
  run.Install();
  vw::SetShowBrowserErrors(false);
  vw::ExtractStats stats;
  std::string failure;
  try {
    vw::ExtractBook(&host, folder, home, prefix, run, extractOptions, &stats);
  } catch (const vw::FileError& e) {
    failure = e.what();
  }
  vw::SetShowBrowserErrors(true);
  const bool stopped = run.m_bStopRequested != 0;
  run.m_bRunning = 0;
  run.FinishLine();

  if (!failure.empty()) std::fprintf(stderr, "vellowick-cli: %s\n", failure.c_str());
  std::printf("%s\n", kCompleted);
  std::printf("%d pages saved, %d not written, %d skipped (no page), %d found, into %s%s\n",
              stats.pagesVisited - stats.pagesNotWritten, stats.pagesNotWritten,
              stats.pagesSkipped, stats.pagesFound, options.out.c_str(),
              stopped ? " (stopped)" : "");
  std::fflush(stdout);
  if (!stats.reached) return Fail(kNoBrowser, "the page cannot be reached");
  if (!failure.empty() || stats.pagesNotWritten > 0) return kFileError;
  return stopped ? kStopped : kDone;
}

}  // namespace

int main(int argc, char** argv) {
  // A file size limit makes a write fail (and the run end with the file error) instead of
  // killing the program.
  std::signal(SIGXFSZ, SIG_IGN);
  std::vector<std::string> args(argv + 1, argv + argc);
  vw::CliOptions options;
  std::string error;
  if (!vw::ParseCliOptions(args, options, error)) {
    std::fprintf(stderr, "vellowick-cli: %s\nTry 'vellowick-cli --help'.\n", error.c_str());
    return kBadCommandLine;
  }
  switch (options.command) {
    case vw::CliOptions::Command::kHelp:
      std::fputs(vw::CliUsage(), stdout);
      return kDone;
    case vw::CliOptions::Command::kTargets:
      return RunTargets(options);
    case vw::CliOptions::Command::kExtract:
      return RunExtract(options);
    case vw::CliOptions::Command::kNone:
      break;
  }
  std::fputs(vw::CliUsage(), stderr);
  return kBadCommandLine;
}
