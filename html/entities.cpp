#include "html/entities.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>

#include "html/scan.h"
#include "platform/ansi.h"

namespace vw {
namespace {

struct Row {
  std::string_view name;
  unsigned char value;
};

// The Latin-1 names in the order of their codes, 160 to 255.
constexpr std::string_view kLatin1Names[96] = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",
    "uml",    "copy",   "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",
    "deg",    "plusmn", "sup2",   "sup3",   "acute",  "micro",  "para",   "middot",
    "cedil",  "sup1",   "ordm",   "raquo",  "frac14", "frac12", "frac34", "iquest",
    "Agrave", "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil",
    "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave", "Iacute", "Icirc",  "Iuml",
    "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",   "times",
    "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",  "szlig",
    "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil",
    "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",
    "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide",
    "oslash", "ugrave", "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml",
};

constexpr std::size_t kRowCount = 101;

// Rows sorted by name for binary search.
std::array<Row, kRowCount> g_rows;


bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }

int HexDigitValue(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads a number from [p, end) the way strtol does in base 10 or 16: leading white space, an
// optional sign, in base 16 an optional "0x", then digits up to the first other byte; 0 when
// there is no digit; beyond the 32-bit signed range the range's limit.
std::int32_t ReadNumber(const char* p, const char* end, int base) {
  while (p < end && ansi::IsSpace(static_cast<unsigned char>(*p))) ++p;
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) {
    negative = *p == '-';
    ++p;
  }
  if (base == 16 && end - p >= 3 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X') &&
      HexDigitValue(static_cast<unsigned char>(p[2])) >= 0) {
    p += 2;
  }
  std::int64_t magnitude = 0;
  const std::int64_t limit = std::int64_t(INT32_MAX) + 1;  // enough to saturate either way
  for (; p < end; ++p) {
    const int digit = base == 16 ? HexDigitValue(static_cast<unsigned char>(*p))
                                 : (ansi::IsDigit(static_cast<unsigned char>(*p)) ? *p - '0' : -1);
    if (digit < 0) break;
    magnitude = std::min<std::int64_t>(magnitude * base + digit, limit);
  }
  if (negative) return magnitude >= limit ? INT32_MIN : std::int32_t(-magnitude);
  return magnitude >= limit ? INT32_MAX : std::int32_t(magnitude);
}

// The first ";" at a character start of [from, end), or null.
const char* FindSemicolon(const char* from, const char* end) {
  return scan::FindChar(from, end, ';');
}

// Decodes the reference from amp through the ";" at semicolon.
std::optional<DecodedEntity> DecodeBetween(const char* amp, const char* semicolon) {
  // At least two bytes between "&" and ";".
  if (semicolon - amp < 3) return std::nullopt;
  const std::size_t length = std::size_t(semicolon - amp) + 1;
  if (amp[1] == '#') {
    const unsigned char kind = static_cast<unsigned char>(amp[2]);
    int base;
    const char* digits;
    if (ansi::IsDigit(kind)) {
      base = 10;
      digits = amp + 2;
    } else if (kind == 'x' || kind == 'X') {
      base = 16;
      digits = amp + 3;
    } else {
      return std::nullopt;
    }
    const std::int32_t number = ReadNumber(digits, semicolon, base);
    return DecodedEntity{static_cast<unsigned char>(std::uint32_t(number) & 0xFF), length};
  }
  // No known name is longer than six bytes ("curren", "Agrave"); a longer one is no
  // reference, and is not copied, so a run of "&"s before one far ";" stays linear.
  constexpr std::size_t kLongestName = 6;
  if (length - 2 > kLongestName) return std::nullopt;
  const std::string name = NormalizeEntityName(std::string_view(amp + 1, length - 2));
  const auto value = EntityTable::Instance().Find(name);
  if (!value) return std::nullopt;
  return DecodedEntity{*value, length};
}

// Builds the table while static objects are constructed, before any page is read.
const EntityTable& g_builtAtStartUp = EntityTable::Instance();

}  // namespace

EntityTable::EntityTable() {
  const Row markup[5] = {{"quot", 34}, {"amp", 38}, {"apos", 39}, {"lt", 60}, {"gt", 62}};
  std::size_t n = 0;
  for (const Row& row : markup) g_rows[n++] = row;
  for (int i = 0; i < 96; ++i) g_rows[n++] = Row{kLatin1Names[i], static_cast<unsigned char>(160 + i)};
  std::sort(g_rows.begin(), g_rows.end(), [](const Row& a, const Row& b) { return a.name < b.name; });
}

const EntityTable& EntityTable::Instance() {
  static const EntityTable table;
  return table;
}

std::optional<unsigned char> EntityTable::Find(std::string_view name) const {
  auto it = std::lower_bound(g_rows.begin(), g_rows.end(), name,
                             [](const Row& row, std::string_view key) { return row.name < key; });
  if (it == g_rows.end() || it->name != name) return std::nullopt;
  return it->value;
}

std::size_t EntityTable::Size() const { return g_rows.size(); }

std::string NormalizeEntityName(std::string_view name) {
  std::string result(name);
  const bool firstUpper = !name.empty() && IsUpper(name[0]);
  if (ansi::EqualNoCase(name, "eth") || ansi::EqualNoCase(name, "thorn")) {
    for (char& c : result) c = firstUpper ? ansi::ToUpper(c) : ansi::ToLower(c);
    return result;
  }
  if (ansi::EqualNoCase(name, "oslash") || ansi::EqualNoCase(name, "aelig")) {
    const bool oslash = ansi::EqualNoCase(name, "oslash");
    if (firstUpper) return oslash ? "Oslash" : "AElig";
    return oslash ? "oslash" : "aelig";
  }
  for (char& c : result) c = ansi::ToLower(c);
  if (!name.empty()) {
    static constexpr std::string_view kAccents[] = {"grave", "acute", "circ", "uml",
                                                    "tilde", "cedil", "ring"};
    const std::string_view rest = name.substr(1);
    for (std::string_view accent : kAccents) {
      if (ansi::EqualNoCase(rest, accent)) {
        result[0] = name[0];
        break;
      }
    }
  }
  return result;
}

std::optional<DecodedEntity> DecodeEntity(const char* amp, const char* end) {
  if (amp >= end) return std::nullopt;
  const char* semicolon = FindSemicolon(amp + 1, end);
  if (!semicolon) return std::nullopt;
  return DecodeBetween(amp, semicolon);
}

std::optional<DecodedEntity> DecodeEntity(const char* amp, const char* end,
                                          SemicolonCache& cache) {
  if (amp >= end) return std::nullopt;
  const char* from = amp + 1;
  // The remembered search stays valid while it began at or before this "&" and its ";" (if
  // any) still lies ahead: the "&" is a single-byte character, so the character stepping of
  // the earlier search passes through from as well, and no ";" lies between. This keeps all
  // the terminator searches of a scan to one pass over the text, where searching afresh for
  // every "&" would cost the rest of the text each time when no ";" follows.
  const bool reusable = cache.searchedFrom != nullptr && cache.searchedFrom <= from &&
                        (cache.found == nullptr || cache.found >= from);
  if (!reusable) {
    cache.searchedFrom = from;
    cache.found = FindSemicolon(from, end);
  }
  if (!cache.found) return std::nullopt;
  return DecodeBetween(amp, cache.found);
}

std::optional<DecodedEntity> DecodeEntity(std::string_view s) {
  return DecodeEntity(s.data(), s.data() + s.size());
}

}  // namespace vw
