#include "io/mip_start_files.h"

#include <cstdint>
#include <vector>

#include "env/channel.h"
#include "env/errors.h"
#include "io/file_chunks.h"
#include "io/mst/mst_text.h"
#include "io/stream_handle.h"
#include "io/xml/mip_start_xml_writer.h"
#include "io/xml/xml_solution_reader.h"
#include "mip/mip_start_edit.h"
#include "model/model.h"

namespace korva {
namespace {

int mip_problem(Environment& env, Problem& p) {
  if (int status = model::complete(env, p)) return status;
  return p.is_mip() ? 0 : err::kNotMip;
}

int existing_starts(Environment& env, Problem& p) {
  if (int status = mip_problem(env, p)) return status;
  return mip::num_mip_starts(p) > 0 ? 0 : mip::kNoMipStart;
}

}  // namespace

int read_start_document(Environment& env, const Problem& p, const char* filename, StartFileRead how,
                  xml::SolutionDocument& doc) {
  OpenedHandle h;
  const char* extension = how == StartFileRead::Solution ? ".sol" : ".mst";
  if (int status = open_read_handle(env, filename, "rb", extension, false, true, h)) return status;
  FileChunks chunks(h.file);
  if (chunks.first_non_blank() == '<') {
    chunks.skip_leading_blanks();
    xml::XmlReadOptions options;
    if (how != StartFileRead::AllStarts) options.max_solutions = 1;
    const int status = xml::read_xml_solutions(env, p, chunks, options, doc);
    const int closed = close_bare(h.name.c_str(), h.file);
    return status != 0 ? status : closed;
  }
  // The text form goes through the file stream, which opens the file again.
  if (int status = close_bare(h.name.c_str(), h.file)) return status;
  return mst::read_mst_text(env, p, h.name.c_str(), doc);
}

namespace {

// The starts of the document: the values it gives, its names and levels.
std::vector<mip::MipStart> starts_of(const xml::SolutionDocument& doc, int64_t& values) {
  std::vector<mip::MipStart> starts(doc.solutions.size());
  values = 0;
  for (size_t k = 0; k < doc.solutions.size(); ++k) {
    const xml::SolutionRecord& s = doc.solutions[k];
    mip::MipStart& start = starts[k];
    if (s.has_name) start.name = s.name;
    if (s.has_effort) start.effort = s.effort;
    for (const xml::VariableEntry& v : s.variables) {
      if (!v.has_value) continue;
      start.cols.push_back(v.index);
      start.values.push_back(v.value);
    }
    values += static_cast<int64_t>(start.cols.size());
  }
  return starts;
}

}  // namespace

int read_mip_start_file(Environment& env, Problem& p, const char* filename, StartFileRead how) {
  if (int status = mip_problem(env, p)) return status;
  if (int status = model::check_modifiable(p)) return status;
  xml::SolutionDocument doc;
  if (int status = read_start_document(env, p, filename, how, doc)) return status;
  if (doc.solution_elements > 1) {
    if (how == StartFileRead::FirstStart)
      msg(env.warning(), "Warning: more than one KORVASolution element in file, only first one processed.\n");
    else if (how == StartFileRead::Solution)
      msg(env.warning(), "Warning: more than one solution read, only first one processed.\n");
  }
  int64_t values = 0;
  std::vector<mip::MipStart> starts = starts_of(doc, values);
  if (values == 0) {
    msg(env.warning(), "Warning: no MIP start values read, no MIP start loaded.\n");
    return 0;
  }
  return mip::replace_mip_starts(env, p, std::move(starts));
}

int write_mip_start_range(Environment& env, Problem& p, const char* fname, const char* filename,
                          int begin, int end) {
  if (int status = existing_starts(env, p)) return status;
  if (int status = check_range(&env, fname, begin, end, mip::num_mip_starts(p))) return status;
  return xml::write_mip_starts_xml(env, p, filename, begin, end);
}

int write_mip_start_file(Environment& env, Problem& p, const char* filename) {
  if (int status = existing_starts(env, p)) return status;
  if (env.int_param(kMstTextFormParam) == 1)
    return mst::write_mst_text(env, p, filename, mip::find_mip_starts(p)->starts[0]);
  return xml::write_mip_starts_xml(env, p, filename, 0, mip::num_mip_starts(p) - 1);
}

}  // namespace korva
