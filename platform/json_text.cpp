// Lone-surrogate repair over the raw JSON text, escape by escape.
#include "platform/json_text.h"

namespace vw {
namespace {

// The value of the four hex digits at p, or -1 when they are not four hex digits.
int HexValue(const char* p, const char* end) {
  if (end - p < 4) return -1;
  int value = 0;
  for (int i = 0; i < 4; ++i) {
    const char c = p[i];
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f') {
      digit = (c | 0x20) - 'a' + 10;
    } else {
      return -1;
    }
    value = value * 16 + digit;
  }
  return value;
}

bool IsHigh(int unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLow(int unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

std::string ReplaceLoneSurrogates(std::string_view json) {
  // Fast path: most messages hold no surrogate escape at all.
  if (json.find("\\u") == std::string_view::npos) return std::string(json);
  std::string out;
  out.reserve(json.size());
  const char* p = json.data();
  const char* end = p + json.size();
  while (p < end) {
    if (*p != '\\' || end - p < 2) {
      out += *p++;
      continue;
    }
    if (p[1] != 'u') {  // any other escape, "\\\\" included, moves as one
      out.append(p, 2);
      p += 2;
      continue;
    }
    const int unit = HexValue(p + 2, end);
    if (IsHigh(unit) && end - p >= 12 && p[6] == '\\' && p[7] == 'u' &&
        IsLow(HexValue(p + 8, end))) {
      out.append(p, 12);  // a proper pair
      p += 12;
    } else if (IsHigh(unit) || IsLow(unit)) {
      out += "\\ufffd";
      p += 6;
    } else {
      out.append(p, 2);
      p += 2;
    }
  }
  return out;
}

}  // namespace vw
