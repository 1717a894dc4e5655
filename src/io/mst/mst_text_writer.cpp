#include <cstdio>
#include <memory>
#include <string>

#include "env/c_locale.h"
#include "env/channel.h"
#include "io/mst/mst_text.h"
#include "io/stream.h"
#include "io/utf8_cut.h"
#include "model/model.h"

namespace korva::mst {
namespace {

constexpr size_t kMaxNameBytes = 255;

// The value field: "%20.10g" whatever the application's locale.
std::string value_field(double value) {
  char text[48];
  ScopedCLocale c_locale;
  std::snprintf(text, sizeof text, "%20.10g", value);
  return text;
}

}  // namespace

int write_mst_text(Environment& env, const Problem& p, const char* filename, const mip::MipStart& start) {
  StreamOptions options;
  options.mode = "w";
  options.must_exist = false;
  std::unique_ptr<FileStream> out;
  if (int status = FileStream::open(env, filename, options, out)) return status;
  if (!p.lp.col_names.present()) msg(env.warning(), "Default variable names x1, x2 ... to be created.\n");
  out->printf("* ENCODING=%s\n", out->encoding_name());
  out->write("NAME          ");
  out->write(utf8_cut(p.lp.name, kMaxNameBytes));
  out->write("    MIP Start\n");
  for (size_t k = 0; k < start.cols.size(); ++k) {
    out->write("    ");
    out->write(utf8_cut(model::col_name(env, p, start.cols[k]), kMaxNameBytes));
    out->write(" ");
    out->write(value_field(start.values[k]));
    out->write("\n");
  }
  out->write("ENDATA\n");
  return FileStream::close(env, out, 0);
}

}  // namespace korva::mst
