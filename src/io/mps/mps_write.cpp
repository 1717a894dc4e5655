// Entry of the MPS writers: open the stream, write, close.
#include <memory>

#include "io/model_view.h"
#include "io/mps/mps.h"
#include "io/mps/mps_output.h"
#include "io/mps/mps_text.h"
#include "io/mps/mps_writer.h"

namespace korva::mps {
namespace {

constexpr size_t kClassicalNameLength = 8;

// 0: no blank; 1: a blank in a name of at most 8 bytes; -1: a longer name.
int blank_in(std::string_view name) {
  if (name.size() > kClassicalNameLength) return -1;
  for (char c : name)
    if (has_class(c, kBlank)) return 1;
  return 0;
}

}  // namespace

bool Writer::needs_columns(const ModelView& view) {
  bool blank = false;
  auto check = [&](std::string_view name) {
    const int b = blank_in(name);
    if (b > 0) blank = true;
    return b >= 0;
  };
  if (!check(view.objective_name())) return false;
  for (int i = 0; i < view.num_rows(); ++i)
    if (!check(view.row_name(i))) return false;
  for (int j = 0; j < view.num_cols(); ++j)
    if (!check(view.col_name(j))) return false;
  return blank;
}

int write_mps_view(Environment& env, const ModelView& view, const char* filename,
                   const DualHeader* dual) {
  StreamOptions options;
  options.mode = "w";
  options.must_exist = false;
  std::unique_ptr<FileStream> stream;
  if (int status = FileStream::open(env, filename, options, stream)) return status;
  NumberLayout layout = NumberLayout::Short;
  if (env.int_param(KRV_PARAM_MPSLONGNUM) != 0)
    layout = Writer::needs_columns(view) ? NumberLayout::Columns : NumberLayout::Long;
  Output out(*stream, layout);
  Writer(view, out, dual).write(stream->encoding_name());
  // A number without decimal form (1650) still leaves a complete file.
  return FileStream::close(env, stream, out.finish());
}

int write_mps(Environment& env, Problem& lp, const char* filename, bool generic_names) {
  const ModelView view(env, lp, generic_names);
  if (int status = view.status()) return status;
  return write_mps_view(env, view, filename, nullptr);
}

}  // namespace korva::mps
