#include "ideal_package/model/compound_table.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "ideal_package/model/model_error.h"

namespace ideal {

namespace {

constexpr const char* kScope = "CompoundTable::load";

std::string lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

std::vector<std::string> splitFields(const std::string& line) {
  std::vector<std::string> out;
  std::string field;
  for (char c : line) {
    if (c == ',') {
      out.push_back(field);
      field.clear();
    } else if (c != '\r') {
      field += c;
    }
  }
  out.push_back(field);
  return out;
}

[[noreturn]] void fail(const std::string& path, int line, const std::string& what) {
  std::ostringstream m;
  m << path << ", line " << line << ": " << what;
  throw ModelError(ErrorKind::DataError, kScope, m.str());
}

class Row {
 public:
  Row(const std::string& path, int line, const std::vector<std::string>& fields,
      const std::map<std::string, std::size_t>& columns)
      : m_path(path), m_line(line), m_fields(fields), m_columns(columns) {}

  std::string text(const char* column) const { return m_fields[m_columns.at(column)]; }

  std::optional<double> optional(const char* column) const {
    const std::string& f = m_fields[m_columns.at(column)];
    if (f.empty()) return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(f.c_str(), &end);
    if (end != f.c_str() + f.size() || errno == ERANGE || !std::isfinite(v))
      fail(m_path, m_line, std::string("column ") + column + ": \"" + f + "\" is not a number");
    return v;
  }

  double positive(const char* column) const {
    auto v = optional(column);
    if (!v) fail(m_path, m_line, std::string("column ") + column + " is empty");
    if (*v <= 0)
      fail(m_path, m_line,
           std::string("column ") + column + ": " + text(column) + " is not positive");
    return *v;
  }

  double required(const char* column) const {
    auto v = optional(column);
    if (!v) fail(m_path, m_line, std::string("column ") + column + " is empty");
    return *v;
  }

 private:
  const std::string& m_path;
  int m_line;
  const std::vector<std::string>& m_fields;
  const std::map<std::string, std::size_t>& m_columns;
};

}  // namespace

CompoundTable CompoundTable::load(const std::string& path) {
  std::ifstream in(path);
  if (!in) fail(path, 0, "cannot open the file");
  static const char* const kColumns[] = {"name",
                                         "formula",
                                         "cas",
                                         "mw",
                                         "tc",
                                         "pc",
                                         "vc",
                                         "zc",
                                         "omega",
                                         "tb",
                                         "tf",
                                         "dipole",
                                         "hvap_nbp",
                                         "hfus",
                                         "hf_ig_298",
                                         "gf_ig_298",
                                         "liq_density_25c",
                                         "rackett_zra",
                                         "cp_ig_c1",
                                         "cp_ig_c2",
                                         "cp_ig_c3",
                                         "cp_ig_c4",
                                         "cp_ig_c5",
                                         "cp_ig_tmin",
                                         "cp_ig_tmax"};
  std::string line;
  int lineNo = 1;
  if (!std::getline(in, line)) fail(path, 1, "the header row is missing");
  const std::vector<std::string> header = splitFields(line);
  std::map<std::string, std::size_t> columns;
  for (std::size_t i = 0; i < header.size(); ++i) columns[lower(header[i])] = i;
  for (const char* c : kColumns)
    if (!columns.count(c)) fail(path, 1, std::string("column \"") + c + "\" is missing");

  CompoundTable table;
  while (std::getline(in, line)) {
    ++lineNo;
    if (line.empty() || line == "\r") continue;
    const std::vector<std::string> fields = splitFields(line);
    if (fields.size() != header.size())
      fail(path, lineNo,
           "expected " + std::to_string(header.size()) + " fields, found " +
               std::to_string(fields.size()));
    Row row(path, lineNo, fields, columns);
    Compound c;
    c.name = row.text("name");
    if (c.name.empty()) fail(path, lineNo, "column name is empty");
    c.formula = row.text("formula");
    c.cas = row.text("cas");
    c.MW_gmol = row.positive("mw");
    c.Tc_K = row.positive("tc");
    c.Pc_Pa = row.positive("pc");
    c.Vc_m3mol = row.positive("vc");
    c.Zc = row.positive("zc");
    c.omega = row.required("omega");
    c.Tb_K = row.optional("tb");
    c.Tf_K = row.optional("tf");
    c.dipole_Cm = row.optional("dipole");
    c.hvap_nbp_Jmol = row.optional("hvap_nbp");
    c.hfus_Jmol = row.optional("hfus");
    c.hf_ig_298_Jmol = row.optional("hf_ig_298");
    c.gf_ig_298_Jmol = row.optional("gf_ig_298");
    c.rho_liq_25C_molm3 = row.optional("liq_density_25c");
    c.rackett_ZRA = row.optional("rackett_zra");
    const char* cpCols[] = {"cp_ig_c1", "cp_ig_c2", "cp_ig_c3", "cp_ig_c4", "cp_ig_c5"};
    for (int i = 0; i < 5; ++i) c.cp[i] = row.required(cpCols[i]);
    if (c.cp[2] == 0 || c.cp[4] == 0) fail(path, lineNo, "cp_ig_c3 and cp_ig_c5 must not be 0");
    c.cp_Tmin_K = row.positive("cp_ig_tmin");
    c.cp_Tmax_K = row.positive("cp_ig_tmax");
    if (c.cp_Tmax_K <= c.cp_Tmin_K) fail(path, lineNo, "cp_ig_tmax is not above cp_ig_tmin");
    if (table.find(c.name) || (!c.cas.empty() && table.find(c.cas)))
      fail(path, lineNo, "compound \"" + c.name + "\" is listed twice");
    table.m_compounds.push_back(std::move(c));
  }
  if (table.m_compounds.empty()) fail(path, lineNo, "the file lists no compound");
  return table;
}

std::optional<std::size_t> CompoundTable::find(const std::string& idOrCas) const {
  const std::string key = lower(idOrCas);
  for (std::size_t i = 0; i < m_compounds.size(); ++i)
    if (lower(m_compounds[i].name) == key || (!key.empty() && m_compounds[i].cas == idOrCas))
      return i;
  return std::nullopt;
}

}  // namespace ideal
