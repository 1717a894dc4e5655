// Hand-written XML for the solution and MIP-start files: the declaration
// line, elements indented by one blank per nesting level, attribute values
// escaped and numbers written independently of the locale. Elements whose
// attributes are many (header, quality) put each attribute on a line of its
// own, indented like the element; the others keep them on one line.
#pragma once
#include <string>
#include <string_view>

#include "io/stream.h"

namespace korva::xml {

class XmlWriter {
 public:
  explicit XmlWriter(FileStream& out) : out_(out) {}

  // <?xml version = "1.0" encoding="UTF-8" standalone="yes"?>
  void declaration();
  // "<element" at the current depth; attributes follow.
  void open(const char* element, bool attributes_on_own_lines = false);
  // name="text": text cut to 255 bytes and escaped.
  void attribute(const char* name, std::string_view text);
  void attribute(const char* name, long long value);
  // Floating-point value with 15 significant digits (as %.15g).
  void number_attribute(const char* name, double value);
  // Ends the start tag of the open element: its content follows one level deeper.
  void begin_content();
  // Ends the open element without content ("/>").
  void close_empty();
  // Closes the element whose content was begun.
  void end(const char* element);

 private:
  void indent(int depth);
  FileStream& out_;
  int depth_ = 0;
  bool own_lines_ = false;
  std::string buffer_;
};

// `text` cut to at most 255 bytes without splitting a UTF-8 sequence, with
// the five XML special characters replaced by their entities.
std::string escaped_attribute(std::string_view text);

}  // namespace korva::xml
