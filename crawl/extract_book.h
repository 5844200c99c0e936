// The walk over one e-book: every page reachable from the home page under the link prefix is
// loaded in the viewer's own browser, saved below the target folder and searched for links.
#pragma once

#include <string>

#include "acquire/browser_host.h"
#include "app/run_state.h"

namespace vw {

// How the walk waits for a page to finish loading.
struct ExtractOptions {
  // The pause between two ready-state tests, in milliseconds. The dialog always uses 100;
  // scripted runs on fast local viewers may shorten it.
  int pollMs = 100;
  // How long a page may take to load before it is saved in whatever state it is in. The
  // number of ready-state tests is this divided by pollMs (100 tests at the default pause).
  int maxWaitMs = 10000;
};

// What a run did, kept up to date while it goes so that it survives a failure that ends it.
struct ExtractStats {
  // Entries in the page list (the home page and every page link found).
  int pagesFound = 0;
  // Pages saved (or attempted: a page whose file could not be opened still counts).
  int pagesVisited = 0;
  // Entries passed over because no document could be had.
  int pagesSkipped = 0;
  // Pages that were visited but left no file: their address gives no usable path, or the
  // file could not be created (a folder that cannot be written, a page without a body in
  // text mode).
  int pagesNotWritten = 0;
  // False when the browser could not be reached at the start.
  bool reached = false;
};

// Extracts the e-book shown by host into targetFolder (a GBK path; on Linux an absolute
// POSIX folder). The home page is taken as the browser shows it; every further page is
// navigated to and waited for. Returns when every page found has been handled, when
// run.IsStopRequested() turns true (the page in hand is still saved first), or at once when
// the browser cannot be reached. A failed file write throws FileError out of the walk.
void ExtractBook(BrowserHost* host, const std::string& targetFolder,
                 const std::string& homeUrl, const std::string& linkPrefix, RunState& run,
                 const ExtractOptions& options = {}, ExtractStats* stats = nullptr);

// True when document is complete and, when expectedUrl is not empty, shows that address.
// The address is read first: a document taken while the browser commits a navigation can
// answer one read from the page before and the next from the new one, and only this order
// never takes the page before's "complete" for the new page's.
bool IsCompleteAt(PageDocument* document, const std::string& expectedUrl);

// Waits until the page the browser shows is complete (and, when expectedUrl is not empty,
// shows that address), testing a document fetched anew after every pause, or until the wait
// is used up. Returns the last document fetched (complete or not), or null when none could
// be had.
DocumentRef WaitForComplete(BrowserHost* host, RunState& run, const ExtractOptions& options,
                            const std::string& expectedUrl);

// Makes the browser load url and waits, testing the ready state of a document fetched anew
// after every pause, until the page is complete or the wait is used up. Returns the last
// document fetched (complete or not), or null when none could be had.
DocumentRef LoadPage(BrowserHost* host, const std::string& url, RunState& run,
                     const ExtractOptions& options);

// Shows "visited/found" as the progress text.
void ReportProgress(RunState& run, int found, int visited);

// The number of leading characters of a normalised page address that the link prefix
// accounts for: up to and including the prefix's last separator once normalised, so the
// prefix's last segment becomes the top folder of the saved pages ("http://ebook/" gives 6).
int PrefixLength(const std::string& linkPrefix);

// The file name used in text mode: the extension of the last path component replaced by
// ".txt", or ".txt" appended when the last component has no extension.
std::string TextFileName(const std::string& relativePath);

}  // namespace vw
