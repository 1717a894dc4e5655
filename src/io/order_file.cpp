#include "io/order_file.h"

#include <memory>
#include <string>
#include <vector>

#include "env/channel.h"
#include "env/errors.h"
#include "io/capped_warnings.h"
#include "io/stream.h"
#include "io/text_file_lines.h"
#include "io/text_numbers.h"
#include "io/utf8_cut.h"
#include "model/model.h"
#include "model/model_errors.h"

namespace korva {
namespace {

constexpr int kUnrecognizedDirection = 3012;  // "Line %lld: Unrecognized direction '%c%c'"
constexpr size_t kMaxNameBytes = 255;

const char* direction_text(int direction) {
  switch (direction) {
    case 1: return "UP";
    case -1: return "DN";
    case 0: return "  ";
    default: return "??";
  }
}

struct OrderEntry {
  int priority = 0, direction = 0;
};

}  // namespace

int write_order_file(Environment& env, Problem& p, const char* filename) {
  if (int status = model::complete(env, p)) return status;
  if (!p.is_mip()) return err::kNotMip;
  if (!p.mip->order) return mipcode::kNoOrder;
  const PriorityOrder& order = *p.mip->order;
  StreamOptions options;
  options.mode = "w";
  options.must_exist = false;
  std::unique_ptr<FileStream> out;
  if (int status = FileStream::open(env, filename, options, out)) return status;
  out->printf("* ENCODING=%s\n", out->encoding_name());
  out->write("NAME          ");
  out->write(utf8_cut(p.lp.name, kMaxNameBytes));
  out->write("   Priority Order\n");
  for (size_t k = 0; k < order.indices.size(); ++k) {
    out->printf(" %s ", direction_text(order.direction[k]));
    out->write(utf8_cut(model::col_name(env, p, order.indices[k]), kMaxNameBytes));
    out->printf(" %12lld\n", static_cast<long long>(order.priority[k]));
  }
  out->write("ENDATA\n");
  return FileStream::close(env, out, 0);
}

namespace {

int parse_order(Environment& env, const Problem& p, FileStream& in, std::vector<int>& cols,
                std::vector<OrderEntry>& entries) {
  NameIndex names(p.lp.col_names);
  CappedWarnings warnings(env);
  std::vector<int> at(static_cast<size_t>(p.num_cols()), -1);
  DataLines lines(in);
  int status = 0;
  while (lines.next(status)) {
    const long long line = lines.line_number();
    OrderEntry e;
    int name_field = 0;
    if (lines.count() == 3) {
      const std::string_view d = lines.field(0);
      if (d == "UP") {
        e.direction = 1;
      } else if (d == "DN") {
        e.direction = -1;
      } else {
        return report_formatted(&env, kUnrecognizedDirection, line, d[0], d.size() > 1 ? d[1] : ' ');
      }
      name_field = 1;
    } else if (lines.count() != 2) {
      return report_formatted(&env, kWrongNumberOfEntries, line);
    }
    const std::string name(lines.field(name_field));
    const std::string priority_text(lines.field(name_field + 1));
    long long priority = 0;
    if (!parse_integer(priority_text, priority) || priority < INT32_MIN || priority > INT32_MAX)
      return report_formatted(&env, err::kBadNumber, line, priority_text.c_str());
    e.priority = static_cast<int>(priority);
    const int j = names.find(name);
    if (j < 0) {
      warnings.warn("Warning, line %lld: '%.255s' is not a variable.\n", line, name.c_str());
      continue;
    }
    int& pos = at[static_cast<size_t>(j)];
    if (pos >= 0) {
      warnings.warn("Warning, line %lld: repeated entry for '%.255s'.\n", line, name.c_str());
      entries[static_cast<size_t>(pos)] = e;
      continue;
    }
    pos = static_cast<int>(cols.size());
    cols.push_back(j);
    entries.push_back(e);
  }
  if (status) return status;
  warnings.finish();
  if (!lines.ended()) msg(env.warning(), "Warning: 'ENDATA' missing.\n");
  return 0;
}

}  // namespace

int read_order_file(Environment& env, Problem& p, const char* filename) {
  if (int status = model::complete(env, p)) return status;
  if (!p.is_mip()) return err::kNotMip;
  if (int status = model::check_modifiable(p)) return status;
  if (!p.lp.col_names.present()) return err::kNoNames;
  StreamOptions options;
  options.mode = "rb";
  options.default_extension = ".ord";
  options.must_exist = false;
  std::unique_ptr<FileStream> in;
  if (int status = FileStream::open(env, filename, options, in)) return status;
  std::vector<int> cols;
  std::vector<OrderEntry> entries;
  const int parsed = parse_order(env, p, *in, cols, entries);
  if (int status = FileStream::close(env, in, parsed)) return status;
  if (cols.empty()) {
    msg(env.warning(), "Warning:  No priority order values read or loaded.\n");
    return 0;
  }
  std::vector<int> priority(cols.size()), direction(cols.size());
  for (size_t k = 0; k < cols.size(); ++k) {
    priority[k] = entries[k].priority;
    direction[k] = entries[k].direction;
  }
  return model::copy_order(env, p, static_cast<int>(cols.size()), cols.data(), priority.data(),
                           direction.data());
}

}  // namespace korva
