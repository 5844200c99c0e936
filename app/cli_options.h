// The command line of vellowick-cli: its two commands and their options, read into a plain
// record so that the front end and the tests share one reading.
#pragma once

#include <string>
#include <vector>

namespace vw {

// What the user asked vellowick-cli to do.
struct CliOptions {
  enum class Command { kNone, kHelp, kTargets, kExtract };
  Command command = Command::kNone;
  // The DevTools endpoint, as typed ("http://127.0.0.1:9222", "9222", "host:port").
  std::string devtools = "http://127.0.0.1:9222";
  // extract: the target folder as typed (UTF-8, native path).
  std::string out;
  // extract: the page target's id, or text that its title or address matches; empty takes
  // the only page target.
  std::string target;
  // extract: the home page (UTF-8); empty takes the page as the browser shows it.
  std::string home;
  // extract: the link prefix (UTF-8); unset derives it from the home page.
  std::string prefix;
  bool prefixGiven = false;
  // extract: save the pages' text instead of their markup.
  bool text = false;
  // extract: the pause between ready-state tests in milliseconds.
  int pollMs = 100;
};

// Reads the arguments after the program name. On a bad command line returns false with a
// one-line reason in error.
bool ParseCliOptions(const std::vector<std::string>& args, CliOptions& options,
                     std::string& error);

// The text of --help.
const char* CliUsage();

}  // namespace vw
