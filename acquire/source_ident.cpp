#include "acquire/source_ident.h"

#include "crawl/url_map.h"

namespace vw {
namespace {

// The address cut just after its last separator; when the separator is the address's last
// byte, that one is removed first and the cut goes after the one before it.
std::string DirectoryCut(std::string address) {
  std::size_t sep = LastSeparator(address);
  if (sep != std::string::npos && sep + 1 == address.size()) {
    address.erase(sep);
    sep = LastSeparator(address);
  }
  if (sep != std::string::npos) address.erase(sep + 1);
  return address;
}

}  // namespace

std::string DeriveLinkPrefix(const std::string& homeUrl) {
  if (HasKnownScheme(homeUrl)) {
    if (homeUrl.compare(0, kPseudoHostPrefixLength, kPseudoHostPrefix) == 0) {
      return kPseudoHostPrefix;
    }
    return DirectoryCut(homeUrl);
  }
  std::size_t lastColon = homeUrl.rfind(':');
  if (lastColon != std::string::npos) return homeUrl.substr(0, lastColon + 1);
  return DirectoryCut(homeUrl);
}

}  // namespace vw
