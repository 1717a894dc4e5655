#include "io/xml/solution_xml_writer.h"

#include <memory>

#include "io/stream.h"
#include "io/xml/mip_start_xml_writer.h"
#include "korva/korva.h"
#include "model/model.h"
#include "simplex/status.h"

namespace korva::xml {
namespace {

const char* type_text(int type) {
  switch (type) {
    case 1: return "basic";
    case 2: return "nonbasic";
    case 3: return "primal";
    default: return "unknown";
  }
}

const char* method_text(int method) {
  switch (method) {
    case 1: return "primal";
    case 2: return "dual";
    case 4: return "barrier";
    case 12: return "mip";
    default: return "unknown";
  }
}

const char* basis_text(int status) {
  switch (status) {
    case KRV_BASIC: return "BS";
    case KRV_AT_UPPER: return "UL";
    case KRV_FREE_SUPER: return "SB";
    default: return "LL";
  }
}

void write_header(XmlWriter& xml, const Problem& p, const SolutionContent& s) {
  xml.open("header", true);
  xml.attribute("problemName", p.lp.name);
  if (s.named_member) {
    xml.attribute("solutionName", s.solution_name);
    xml.attribute("solutionIndex", s.solution_index);
  }
  if (s.mip_start) {
    xml.attribute("MIPStartEffortLevel", static_cast<long long>(s.effort));
  } else {
    if (s.has_objective) xml.number_attribute("objectiveValue", s.objective);
    xml.attribute("solutionTypeValue", static_cast<long long>(s.type));
    xml.attribute("solutionTypeString", type_text(s.type));
    xml.attribute("solutionStatusValue", static_cast<long long>(s.status));
    xml.attribute("solutionStatusString", status_text(s.status));
    xml.attribute("solutionMethodString", method_text(s.method));
    xml.attribute("primalFeasible", s.primal_feasible ? 1LL : 0LL);
    xml.attribute("dualFeasible", s.dual_feasible ? 1LL : 0LL);
    if (s.mip_counters) {
      xml.attribute("MIPNodes", s.mip_nodes);
      xml.attribute("MIPIterations", s.mip_iterations);
    }
    if (s.simplex_counter) xml.attribute("simplexIterations", s.simplex_iterations);
    if (s.barrier_counter) xml.attribute("barrierIterations", s.barrier_iterations);
  }
  xml.attribute("writeLevel", static_cast<long long>(s.write_level));
  xml.close_empty();
}

void write_quality(XmlWriter& xml, const SolutionContent& s) {
  xml.open("quality", true);
  for (const auto& [name, value] : s.quality) xml.number_attribute(name, value);
  xml.close_empty();
}

// Opens a list lazily, so that a list with no element selected comes out
// as one empty element.
class ListScope {
 public:
  ListScope(XmlWriter& xml, const char* name) : xml_(xml), name_(name) {}
  void item() {
    if (open_) return;
    xml_.open(name_);
    xml_.begin_content();
    open_ = true;
  }
  ~ListScope() {
    if (open_) {
      xml_.end(name_);
    } else {
      xml_.open(name_);
      xml_.close_empty();
    }
  }

 private:
  XmlWriter& xml_;
  const char* name_;
  bool open_ = false;
};

void write_linear_constraints(XmlWriter& xml, Environment& env, const Problem& p, const SolutionContent& s) {
  const bool named = p.lp.row_names.present();
  ListScope list(xml, "linearConstraints");
  for (int i = 0; i < p.num_rows(); ++i) {
    list.item();
    xml.open("constraint");
    if (named) xml.attribute("name", model::row_name(env, p, i));
    xml.attribute("index", static_cast<long long>(i));
    if (s.rstat) xml.attribute("status", basis_text(s.rstat[i]));
    if (s.slack) xml.number_attribute("slack", s.slack[i]);
    if (s.pi) xml.number_attribute("dual", s.pi[i]);
    xml.close_empty();
  }
}

template <class NameOf>
void write_slack_list(XmlWriter& xml, const char* list_name, const std::vector<double>& slack, bool named,
                      NameOf name_of) {
  ListScope list(xml, list_name);
  for (size_t k = 0; k < slack.size(); ++k) {
    list.item();
    xml.open("constraint");
    if (named) xml.attribute("name", name_of(static_cast<int>(k)));
    xml.attribute("index", static_cast<long long>(k));
    xml.number_attribute("slack", slack[k]);
    xml.close_empty();
  }
}

void write_variables(XmlWriter& xml, Environment& env, const Problem& p, const SolutionContent& s) {
  const bool named = p.lp.col_names.present();
  ListScope list(xml, "variables");
  for (int j = 0; j < p.num_cols(); ++j) {
    const double value = s.x ? s.x[j] : 0.0;
    if (!write_level_selects(s.write_level, p.ctype(j), value)) continue;
    list.item();
    xml.open("variable");
    if (named) xml.attribute("name", model::col_name(env, p, j));
    xml.attribute("index", static_cast<long long>(j));
    if (s.cstat) xml.attribute("status", basis_text(s.cstat[j]));
    xml.number_attribute("value", value);
    if (s.dj) xml.number_attribute("reducedCost", s.dj[j]);
    xml.close_empty();
  }
}

}  // namespace

void write_solution_element(XmlWriter& xml, Environment& env, const Problem& p, const SolutionContent& s) {
  xml.open("KORVASolution");
  xml.attribute("version", kSolutionVersion);
  xml.begin_content();
  write_header(xml, p, s);
  if (s.mip_start) {
    if (p.num_cols() > 0) write_variables(xml, env, p, s);
    xml.end("KORVASolution");
    return;
  }
  write_quality(xml, s);
  if (p.num_rows() > 0) write_linear_constraints(xml, env, p, s);
  if (!s.qconstraint_slack.empty())
    write_slack_list(xml, "quadraticConstraints", s.qconstraint_slack, model::has_qconstraint_names(p),
                     [&](int k) { return model::qconstraint_name(p, k); });
  if (!s.indicator_slack.empty())
    write_slack_list(xml, "indicatorConstraints", s.indicator_slack, model::has_indicator_names(p),
                     [&](int k) { return model::indicator_name(p, k); });
  if (p.num_cols() > 0) write_variables(xml, env, p, s);
  xml.end("KORVASolution");
}

int write_solution_document(Environment& env, const Problem& p, const char* filename,
                            const std::vector<SolutionContent>& solutions, bool wrapped) {
  StreamOptions options;
  options.mode = "w";
  options.encoding = "UTF-8";
  options.must_exist = false;
  std::unique_ptr<FileStream> out;
  if (int status = FileStream::open(env, filename, options, out)) return status;
  XmlWriter xml(*out);
  xml.declaration();
  if (wrapped) {
    xml.open("KORVASolutions");
    xml.attribute("version", kSolutionVersion);
    xml.begin_content();
  }
  for (const SolutionContent& s : solutions) write_solution_element(xml, env, p, s);
  if (wrapped) xml.end("KORVASolutions");
  return FileStream::close(env, out, 0);
}

}  // namespace korva::xml
