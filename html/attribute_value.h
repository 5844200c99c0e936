// The treatment of an attribute value before handlers see it: white space trimmed, line feeds
// removed, carriage returns and tabs turned into spaces, character references decoded.
#pragma once

#include <string>

namespace vw {

// Writes the treated form of the raw value [begin, end) into out (its storage is reused).
void TreatAttributeValue(const char* begin, const char* end, std::string& out);

// Decodes the character references of a trimmed value: each reference text t that decodes is
// replaced, with all its occurrences in the value, by its byte (removed when the byte is 0);
// the search for the next "&" goes on after the decoded byte, or where a removed reference
// stood.
std::string DecodeValueReferences(const std::string& value);

// The same rule carried out literally, one whole-value replacement per decoded reference.
// Exposed so that tests can check the single-pass decoder against it.
std::string DecodeValueReferencesByReplacement(const std::string& value);

}  // namespace vw
