// Conversions between the ANSI code page (GBK) and Unicode. A character that GBK cannot hold
// becomes '?', as the Windows conversions do with their default character.
#pragma once

#include <string>
#include <string_view>

namespace ansi {

// UTF-8 to GBK. Characters outside GBK and invalid UTF-8 sequences become '?'.
std::string FromUtf8(std::string_view utf8);

// GBK to UTF-8. Bytes that are not valid GBK become '?'.
std::string ToUtf8(std::string_view gbk);

// UTF-16 to GBK. Characters outside GBK and lone surrogates become '?'.
std::string FromUtf16(std::u16string_view utf16);

// GBK to UTF-16. Bytes that are not valid GBK become '?'.
std::u16string ToUtf16(std::string_view gbk);

}  // namespace ansi
