// The models of the shared test collections with the sizes of their tables.
#pragma once
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/korva_test.h"

namespace mps_test {

struct CollectionModel {
  std::string set, name;
  long long rows, cols, nonzeros;
  std::string path() const { return korva_test::data_path(set + "/" + name + ".mps.gz"); }
};

inline std::vector<std::vector<std::string>> read_csv(const std::string& path) {
  std::vector<std::vector<std::string>> table;
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);  // header
  while (std::getline(in, line)) {
    std::vector<std::string> fields;
    std::stringstream s(line);
    for (std::string f; std::getline(s, f, ',');) fields.push_back(f);
    if (!fields.empty()) table.push_back(fields);
  }
  return table;
}

inline std::vector<CollectionModel> collection_models() {
  if (!korva_test::shared_data_present()) return {{"", korva_test::kSharedDataMissing, 0, 0, 0}};
  std::vector<CollectionModel> models;
  for (const char* set : {"netlib", "miplib3"})
    for (const auto& f : read_csv(korva_test::data_path(std::string(set) + "/sizes.csv")))
      models.push_back({set, f[0], std::stoll(f[1]), std::stoll(f[2]), std::stoll(f[3])});
  return models;
}

inline std::string test_name(const CollectionModel& m) {
  std::string name = m.set.empty() ? m.name : m.set + "_" + m.name;
  for (char& c : name)
    if (!isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

}  // namespace mps_test
