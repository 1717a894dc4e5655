#include "io/xml/mip_start_xml_writer.h"

#include <cmath>
#include <memory>

#include "io/stream.h"
#include "io/xml/xml_writer.h"
#include "korva/korva.h"

namespace korva::xml {
namespace {

constexpr char kVersion[] = "1.2";
// Values at or below this magnitude count as zero for write levels 3 and 4.
constexpr double kZeroValue = 2.220446049250313e-16;

void write_start(XmlWriter& xml, const Problem& p, const mip::MipStart& start, int index, int level) {
  xml.open("KORVASolution");
  xml.attribute("version", kVersion);
  xml.begin_content();

  xml.open("header", true);
  xml.attribute("problemName", p.lp.name);
  xml.attribute("solutionName", mip::mip_start_name(start, index));
  xml.attribute("solutionIndex", static_cast<long long>(index));
  xml.attribute("MIPStartEffortLevel", static_cast<long long>(start.effort));
  xml.attribute("writeLevel", static_cast<long long>(write_level_in_force(level)));
  xml.close_empty();

  if (p.num_cols() > 0) {
    const bool named = p.lp.col_names.present();
    bool any = false;
    for (size_t k = 0; k < start.cols.size(); ++k) {
      const int j = start.cols[k];
      if (!write_level_selects(level, p.ctype(j), start.values[k])) continue;
      if (!any) {
        xml.open("variables");
        xml.begin_content();
        any = true;
      }
      xml.open("variable");
      if (named) xml.attribute("name", p.col_name(j));
      xml.attribute("index", static_cast<long long>(j));
      xml.number_attribute("value", start.values[k]);
      xml.close_empty();
    }
    if (any) {
      xml.end("variables");
    } else {
      xml.open("variables");
      xml.close_empty();
    }
  }
  xml.end("KORVASolution");
}

}  // namespace

int write_level_in_force(int level) { return level == 0 ? 1 : level; }

bool write_level_selects(int level, char ctype, double value) {
  const bool discrete = ctype != 'C';
  const bool nonzero = std::fabs(value) > kZeroValue;
  switch (write_level_in_force(level)) {
    case 2:
      return discrete;
    case 3:
      return nonzero;
    case 4:
      return discrete && nonzero;
    default:
      return true;
  }
}

int write_mip_starts_xml(Environment& env, const Problem& p, const char* filename, int begin,
                         int end) {
  const mip::MipStartSet* set = mip::find_mip_starts(p);
  StreamOptions options;
  options.mode = "w";
  options.encoding = "UTF-8";
  options.must_exist = false;
  std::unique_ptr<FileStream> out;
  if (int status = FileStream::open(env, filename, options, out)) return status;
  const int level = env.int_param(KRV_PARAM_WRITELEVEL);
  XmlWriter xml(*out);
  xml.declaration();
  xml.open("KORVASolutions");
  xml.attribute("version", kVersion);
  xml.begin_content();
  for (int k = begin; k <= end; ++k) write_start(xml, p, set->starts[k], k, level);
  xml.end("KORVASolutions");
  return FileStream::close(env, out, 0);
}

}  // namespace korva::xml
