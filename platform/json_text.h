// Repairs of the JSON text that Chromium sends, done on the raw bytes before parsing.
#pragma once

#include <string>
#include <string_view>

namespace vw {

// The JSON text with every \uXXXX escape of a lone surrogate (a high surrogate not followed
// by a low one, or a low surrogate without a high one before it) replaced by \ufffd. Page
// text may hold such halves; a strict parser would reject the whole message for one.
std::string ReplaceLoneSurrogates(std::string_view json);

}  // namespace vw
