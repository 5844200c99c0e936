// A one-pass, event-raising HTML reader: scans a page's source (GBK bytes) once and reports
// the document's start and end, tags, text runs and comments to an event handler.
#pragma once

#include <cstdint>
#include <string>

#include "html/entities.h"
#include "html/tag.h"

namespace vw {

// Receives the reader's events. Every argument belongs to the reader and is valid only during
// the call. A handler sets abort to stop the scan; OnEndDocument still follows.
class CHtmlReaderEvents {
 public:
  // The scan begins.
  virtual void OnBeginDocument(void* appData, bool& abort);
  // An opening tag (also for a tag that ends in "/>", before OnEndTag).
  virtual void OnStartTag(const CHtmlTag* tag, void* appData, bool& abort);
  // A closing tag, or the end of a tag that ends in "/>".
  virtual void OnEndTag(const CHtmlTag* tag, void* appData, bool& abort);
  // A run of text between markup (the last run of the document is trimmed at its end).
  virtual void OnText(const std::string& text, void* appData, bool& abort);
  // A comment, from "<!--" through ">" inclusive.
  virtual void OnComment(const std::string& comment, void* appData, bool& abort);
  // The scan ended; aborted tells whether a handler stopped it.
  virtual void OnEndDocument(void* appData, bool aborted);
  // Pure, so the interface itself cannot be created; it has a body for derived handlers.
  virtual ~CHtmlReaderEvents() = 0;
};

// Scans one document per Read call and raises events on handler. The document is neither
// copied nor modified; it must stay unchanged during the scan.
class CHtmlReader {
 public:
  // Bits of eventMask.
  static constexpr std::uint32_t EVENT_DOCUMENT = 1;   // OnBeginDocument and OnEndDocument
  static constexpr std::uint32_t EVENT_START_TAG = 2;  // OnStartTag
  static constexpr std::uint32_t EVENT_END_TAG = 4;    // OnEndTag
  static constexpr std::uint32_t EVENT_TEXT = 8;       // OnText
  static constexpr std::uint32_t EVENT_COMMENT = 16;   // OnComment

  CHtmlReader();
  virtual ~CHtmlReader();
  CHtmlReader(const CHtmlReader&) = delete;
  CHtmlReader& operator=(const CHtmlReader&) = delete;

  bool decodeTextEntities = false;  // decode character references inside text runs
  void* appData = nullptr;          // handed unchanged to every event
  std::uint32_t position = 0;       // index in text of the next byte to read
  std::uint32_t length = 0;         // number of bytes in text
  std::uint32_t eventMask = 31;     // which events are raised (EVENT_* bits)
  CHtmlReaderEvents* handler = nullptr;  // receives the events; none: scan silently
  const char* text = nullptr;       // the document during a scan, none otherwise

  // Scans a zero-terminated text (its length runs to the first zero byte). Returns 0 with no
  // event for an empty text, otherwise what ParseDocument returns.
  std::uint32_t Read(const char* text);

  // Scans text/length as set; returns the position where the scan stopped.
  virtual std::uint32_t ParseDocument();

  // Recognises a comment at position: fills comment, moves position past it, true.
  virtual bool TryComment(std::string& comment);

  // Recognises a tag at position into tag: sets the flags, moves position past it, true.
  virtual bool TryTag(CHtmlTag& tag, bool& opening, bool& closing);

  // Called each time text is about to be reported; a derived reader may rewrite it.
  virtual void OnTextReady(std::string& text);

 private:
  bool Wants(std::uint32_t bit) const { return handler != nullptr && (eventMask & bit) != 0; }
  bool FlushText(bool& abort);

  CHtmlTag tag_;             // reused for every tag of every scan
  std::string accumulator_;  // text waiting to be reported
  std::string comment_;      // the comment just read
  std::uint32_t runStart_ = 0;   // pending raw text run: start index and byte count
  std::uint32_t runLength_ = 0;
  TagEndCache tagCache_;               // shared "/>" and ">" searches of one scan
  const char* dashSearchedFrom_ = nullptr;  // shared "--" search of one scan
  const char* dashFound_ = nullptr;
  SemicolonCache semicolons_;          // shared ";" search of one scan
  const char* end_ = nullptr;          // end of the text during a scan (its first zero byte)
};

}  // namespace vw
