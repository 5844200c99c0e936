// Identifying the e-book from the address of the page it shows: the link prefix under which
// its pages lie. The dialog and the command line derive the prefix the same way.
#pragma once

#include <string>

namespace vw {

// The link prefix for a home page address:
// - an address under the pseudo-host prefix ("http://ebook/", case-sensitive) gives exactly
//   that prefix, so the whole e-book is followed whatever folder the home page is in;
// - another address with a known scheme (http, file, ...) gives its folder: the address cut
//   after its last separator ("\\", "/", ":" or "?"), and when the address ends in a
//   separator, the folder above ("file:///C:/book/p/" gives "file:///C:/book/");
// - an address with an e-book scheme of its own ("ic32pp:/book/1.htm") gives the address up
//   to and including its last ":";
// - anything else gets the folder cut above, and an address without any separator stays
//   whole (so an empty address gives an empty prefix).
// Long addresses are handled whole; nothing is cut at a buffer size.
std::string DeriveLinkPrefix(const std::string& homeUrl);

}  // namespace vw
