#include "io/xml/xml_writer.h"

#include <cstdio>

#include "env/c_locale.h"
#include "io/utf8_cut.h"

namespace korva::xml {
namespace {

constexpr size_t kMaxNameBytes = 255;

}  // namespace

std::string escaped_attribute(std::string_view text) {
  text = utf8_cut(text, kMaxNameBytes);
  std::string out;
  out.reserve(text.size() + 16);
  for (char c : text) {
    switch (c) {
      case '"':
        out += "&quot;";
        break;
      case '&':
        out += "&amp;";
        break;
      case '\'':
        out += "&apos;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      default:
        out += c;
        break;
    }
  }
  return out;
}

void XmlWriter::declaration() {
  out_.write("<?xml version = \"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n");
}

void XmlWriter::indent(int depth) {
  buffer_.assign(static_cast<size_t>(depth), ' ');
  out_.write(buffer_);
}

void XmlWriter::open(const char* element, bool attributes_on_own_lines) {
  indent(depth_);
  out_.write("<");
  out_.write(element);
  own_lines_ = attributes_on_own_lines;
}

void XmlWriter::attribute(const char* name, std::string_view text) {
  if (own_lines_) {
    out_.write("\n");
    indent(depth_);
  } else {
    out_.write(" ");
  }
  out_.write(name);
  out_.write("=\"");
  out_.write(escaped_attribute(text));
  out_.write("\"");
}

void XmlWriter::attribute(const char* name, long long value) {
  char text[32];
  std::snprintf(text, sizeof text, "%lld", value);
  attribute(name, std::string_view(text));
}

void XmlWriter::number_attribute(const char* name, double value) {
  char text[40];
  {
    ScopedCLocale c_locale;
    std::snprintf(text, sizeof text, "%.15g", value);
  }
  attribute(name, std::string_view(text));
}

void XmlWriter::begin_content() {
  out_.write(">\n");
  ++depth_;
}

void XmlWriter::close_empty() { out_.write("/>\n"); }

void XmlWriter::end(const char* element) {
  --depth_;
  indent(depth_);
  out_.write("</");
  out_.write(element);
  out_.write(">\n");
}

}  // namespace korva::xml
