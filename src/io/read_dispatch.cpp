#include <memory>
#include <string>
#include <utility>

#include "env/encoding.h"
#include "env/environment.h"
#include "env/error_codes.h"
#include "env/errors.h"
#include "io/copy_into_problem.h"
#include "io/dispatch.h"
#include "io/file_type.h"
#include "io/lp/lp_reader.h"
#include "io/permute_read.h"
#include "io/mps/mps.h"
#include "io/net/net_files.h"
#include "io/sav/sav.h"
#include "io/stream.h"
#include "model/model.h"
#include "network/net_edit.h"
#include "network/net_to_lp.h"

namespace korva {
namespace {

// The problem is named after the file. The name's bytes are taken as
// ISO-8859-1 (a file name has no declared encoding); should that ever fail,
// the name is shortened until it converts.
int name_problem_after_file(Environment& env, Problem& lp, const char* filename) {
  Converter latin1;
  std::string name(filename);
  std::string utf8;
  if (latin1.open("ISO-8859-1")) {
    while (!name.empty()) {
      std::u16string wide;
      if (latin1.to_utf16(name, wide) && nfc_normalize(wide) && utf16_to_utf8(wide, utf8)) break;
      name.pop_back();
      utf8.clear();
    }
  }
  return model::set_problem_name(env, lp, utf8.c_str());
}

// A network file goes through a network problem of its own and arrives in
// its LP form.
int read_network_file(Environment& env, Problem& lp, const char* filename) {
  int status = 0;
  net::OwnedNetwork network(net::create_network(env, "", &status));
  if (!network) return status ? status : err::kNoMemory;
  if (int s = netio::read_network(env, *network, filename)) return s;
  return net::copy_network_to_lp(env, *network, lp);
}

int read_mps_file(Environment& env, const char* filename, ReaderArrays& arrays) {
  StreamOptions options;
  options.mode = "rb";
  options.default_extension = ".mps";
  options.must_exist = false;
  options.allow_compression = true;
  std::unique_ptr<FileStream> stream;
  if (int status = FileStream::open(env, filename, options, stream)) return status;
  const int status = mps::read_mps(env, *stream, arrays);
  return FileStream::close(env, stream, status);
}

}  // namespace

int read_model_file(Environment& env, Problem& lp, const char* filename, const char* filetype) {
  FileType type = FileType::kUndetermined;
  if (filetype) {
    type = type_from_string(filetype);
  } else {
    type = type_from_name(filename);
    if (type == FileType::kUndetermined)
      if (int status = sniff_type(env, filename, type)) return status;
  }
  if (int status = name_problem_after_file(env, lp, filename)) return status;
  // The arrays live only for this call and are freed on every path.
  ReaderArrays arrays;
  reserve_reader_arrays(arrays, reader_capacities(env));
  int status = 0;
  switch (type) {
    case FileType::kLp:
      status = lp::read_lp(env, filename, arrays, lp::ReadSwitches{});
      break;
    case FileType::kMps:
      status = read_mps_file(env, filename, arrays);
      break;
    case FileType::kSav:
      status = sav::read_sav(env, filename, arrays);
      break;
    case FileType::kNetwork:
      return read_network_file(env, lp, filename);
    case FileType::kUndetermined:
    case FileType::kInvalid:
      status = err::kBadFileType;
      break;
  }
  if (status) return status;
  permute_read_model(env, arrays);
  return copy_into_problem(env, lp, std::move(arrays), type == FileType::kSav);
}

}  // namespace korva
