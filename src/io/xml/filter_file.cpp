// Writing filter files, and reading one into the problem's pool.
#include "io/xml/filter_file.h"

#include <memory>
#include <string>
#include <string_view>

#include "env/errors.h"
#include "io/number_format.h"
#include "io/stream.h"
#include "mip/pool_errors.h"
#include "mip/pool_filter_entries.h"
#include "mip/solution_pool.h"
#include "model/model.h"

namespace korva::xml {
namespace {

constexpr size_t kNameBytes = 255;

// The name cut to 255 bytes (not inside a UTF-8 sequence) and escaped for
// an attribute value.
std::string attribute_text(std::string_view name) {
  size_t n = name.size();
  if (n > kNameBytes) {
    n = kNameBytes;
    while (n > 0 && (static_cast<unsigned char>(name[n]) & 0xC0) == 0x80) --n;
  }
  std::string out;
  out.reserve(n);
  for (char c : name.substr(0, n)) {
    switch (c) {
      case '"': out += "&quot;"; break;
      case '&': out += "&amp;"; break;
      case '\'': out += "&apos;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default: out += c;
    }
  }
  return out;
}

class FilterWriter {
 public:
  FilterWriter(Environment& env, const Problem& p, FileStream& out) : env_(env), p_(p), out_(out) {}

  void document(const std::vector<mip::PoolFilter>& filters) {
    out_.write("<?xml version = \"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n");
    out_.write("<KORVAFilters version=\"1.2\">\n");
    for (const mip::PoolFilter& f : filters) filter(f);
    out_.write("</KORVAFilters>\n");
  }

 private:
  void filter(const mip::PoolFilter& f) {
    const bool diversity = f.type == mip::FilterType::Diversity;
    out_.write(" <filter type=\"");
    out_.write(diversity ? "diversity" : "range");
    out_.write("\" name=\"");
    out_.write(attribute_text(f.name));
    out_.write("\"");
    number(diversity ? "lowerCutoff" : "lowerBound", f.lower);
    number(diversity ? "upperCutoff" : "upperBound", f.upper);
    if (f.cols.empty()) {
      out_.write("/>\n");
      return;
    }
    out_.write(">\n");
    const bool names = p_.lp.col_names.present();
    for (size_t k = 0; k < f.cols.size(); ++k) {
      const int j = f.cols[k];
      out_.write("  <variable");
      if (names) {
        out_.write(" name=\"");
        out_.write(attribute_text(model::col_name(env_, p_, j)));
        out_.write("\"");
      }
      out_.printf(" index=\"%d\"", j);
      if (diversity) {
        if (!f.weights.empty()) number("weight", f.weights[k]);
        number("reference", f.values[k]);
      } else {
        number("value", f.values[k]);
      }
      out_.write("/>\n");
    }
    out_.write(" </filter>\n");
  }

  void number(const char* attribute, double value) {
    char text[kNumberTextSize];
    bool representable = true;
    format_number(value, text, representable);
    out_.printf(" %s=\"%s\"", attribute, text);
  }

  Environment& env_;
  const Problem& p_;
  FileStream& out_;
};

}  // namespace

int write_filter_file(Environment& env, Problem& p, const char* filename) {
  if (int status = model::complete(env, p)) return status;
  const mip::SolutionPool* pool = mip::find_solution_pool(p);
  if (!pool) return mip::poolcode::kNoPool;
  StreamOptions options;
  options.mode = "w";
  options.encoding = "UTF-8";
  options.allow_compression = true;
  std::unique_ptr<FileStream> out;
  if (int status = FileStream::open(env, filename, options, out)) return status;
  FilterWriter(env, p, *out).document(pool->filters);
  return FileStream::close(env, out, 0);
}

int read_filter_file(Environment& env, Problem& p, const char* filename) {
  if (int status = model::complete(env, p)) return status;
  if (!p.mip) return err::kNotMip;
  std::vector<mip::PoolFilter> filters;
  if (int status = parse_filter_file(env, p, filename, filters)) return status;
  return mip::replace_filters(env, p, filters);
}

}  // namespace korva::xml
