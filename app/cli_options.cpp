#include "app/cli_options.h"

#include <cerrno>
#include <cstdlib>

namespace vw {
namespace {

// A whole decimal number from 1 to 60000, for --poll-ms.
bool ParsePause(const std::string& text, int& value) {
  if (text.empty() || text.size() > 5) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  value = std::atoi(text.c_str());
  return value >= 1 && value <= 60000;
}

}  // namespace

const char* CliUsage() {
  return
      "usage: vellowick-cli targets [--devtools URL]\n"
      "       vellowick-cli extract --out DIR [--devtools URL] [--target ID|TEXT]\n"
      "                             [--home URL] [--prefix TEXT] [--text] [--poll-ms N]\n"
      "\n"
      "Copies every page of an e-book out of the browser that shows it. The browser must\n"
      "run with remote debugging (a Chromium-family browser started with\n"
      "--remote-debugging-port).\n"
      "\n"
      "  targets            list the browser's pages: id, title, address\n"
      "  extract            save the e-book shown in one page into DIR\n"
      "\n"
      "  --devtools URL     the browser's DevTools endpoint (default http://127.0.0.1:9222)\n"
      "  --out DIR          existing folder that receives the pages\n"
      "  --target ID|TEXT   the page whose id is ID, or whose title or address holds TEXT\n"
      "                     (default: the only page)\n"
      "  --home URL         the first page (default: the page as the browser shows it)\n"
      "  --prefix TEXT      follow only links under TEXT (default: derived from the home\n"
      "                     page as the dialog derives it)\n"
      "  --text             save each page's text (.txt) instead of its markup\n"
      "  --poll-ms N        pause between load-state tests, 1-60000 ms (default 100); a\n"
      "                     page is saved after about 10 seconds whatever N is\n"
      "  -h, --help         show this text\n"
      "\n"
      "Ctrl-C stops the walk after the page in hand; a second Ctrl-C ends at once.\n"
      "Exit codes: 0 done, 2 bad command line, 3 no browser at the endpoint, 4 no such page\n"
      "or several match, 5 bad target folder, 6 a page could not be written, 130 stopped.\n";
}

bool ParseCliOptions(const std::vector<std::string>& args, CliOptions& options,
                     std::string& error) {
  options = CliOptions();
  if (args.empty()) {
    error = "no command given";
    return false;
  }
  std::size_t i = 0;
  const std::string& command = args[i++];
  if (command == "-h" || command == "--help" || command == "help") {
    options.command = CliOptions::Command::kHelp;
    return true;
  }
  if (command == "targets") {
    options.command = CliOptions::Command::kTargets;
  } else if (command == "extract") {
    options.command = CliOptions::Command::kExtract;
  } else {
    error = "unknown command '" + command + "'";
    return false;
  }

  const bool extract = options.command == CliOptions::Command::kExtract;
  for (; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "-h" || arg == "--help") {
      options.command = CliOptions::Command::kHelp;
      return true;
    }
    if (extract && arg == "--text") {
      options.text = true;
      continue;
    }
    std::string* value = nullptr;
    if (arg == "--devtools") {
      value = &options.devtools;
    } else if (extract && arg == "--out") {
      value = &options.out;
    } else if (extract && arg == "--target") {
      value = &options.target;
    } else if (extract && arg == "--home") {
      value = &options.home;
    } else if (extract && arg == "--prefix") {
      value = &options.prefix;
      options.prefixGiven = true;
    } else if (extract && arg == "--poll-ms") {
      if (i + 1 >= args.size() || !ParsePause(args[i + 1], options.pollMs)) {
        error = "--poll-ms needs a number of milliseconds from 1 to 60000";
        return false;
      }
      ++i;
      continue;
    } else {
      error = "unknown option '" + arg + "' for " + command;
      return false;
    }
    if (i + 1 >= args.size()) {
      error = arg + " needs a value";
      return false;
    }
    *value = args[++i];
  }
  if (options.devtools.empty()) {
    error = "--devtools needs a value";
    return false;
  }
  if (extract && options.out.empty()) {
    error = "extract needs --out DIR";
    return false;
  }
  return true;
}

}  // namespace vw
