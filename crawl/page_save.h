// Page saving: writes one visited page to one file, as its markup (the document's own save,
// or the assembled page source) or as its rendered text.
#pragma once

#include <string>

#include "acquire/page_document.h"

namespace vw {

// Creates the folders of path and writes the page's markup there. The document's own save
// is kept when it produced at least 500 bytes; otherwise the assembled page source is
// written. True when a file of the page's markup was produced. A failed write or close
// throws FileError.
bool SavePageHtml(PageDocument* document, const std::string& path);

// Creates or truncates the file at path and writes the assembled page source into it. The
// file is created before the source is read, so a page without source leaves an empty file.
// True when the source was non-empty and written; false (and nothing done) when the file
// cannot be opened. A failed write or close throws FileError.
bool WritePageSource(PageDocument* document, const std::string& path);

// Creates the folders of path and writes the page's body text (GBK) there. A null document
// or a page without a body writes no file; a failed open is silent. A failed write or close
// throws FileError.
void SavePageText(PageDocument* document, const std::string& path);

}  // namespace vw
