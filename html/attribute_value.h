// The treatment of an attribute value before handlers see it: white space trimmed, line feeds
// removed, carriage returns and tabs turned into spaces, character references decoded.
#pragma once

#include <cstddef>
#include <string>

namespace vw {

// Writes the treated form of the raw value [begin, end) into out (its storage is reused).
void TreatAttributeValue(const char* begin, const char* end, std::string& out);

// Decodes the character references of a trimmed value: each reference text t that decodes is
// replaced, with all its occurrences in the value, by its byte (removed when the byte is 0);
// the search for the next "&" goes on after the decoded byte, or where a removed reference
// stood.
std::string DecodeValueReferences(const std::string& value);

// The work allowed to the whole-value replacements of one value, in bytes passed over:
// this many times the value's length, plus a fixed allowance for short values.
constexpr std::size_t kReplacementBudgetFactor = 64;
constexpr std::size_t kReplacementBudgetBase = 1 << 16;

// The same rule carried out literally, one whole-value replacement per decoded reference,
// until the replacements have passed over workBudget bytes; the rest of the value is then
// decoded in one pass, each reference where it stands. Exposed so that tests can check the
// single-pass decoder against it (with an unlimited budget).
std::string DecodeValueReferencesByReplacement(const std::string& value,
                                               std::size_t workBudget = std::size_t(-1));

}  // namespace vw
