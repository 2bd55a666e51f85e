#include "pr_package/model/compound_data.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <utility>

#include "pr_package/model/error.h"

namespace pr {
namespace {

constexpr const char* kLoad = "CompoundDatabase::load";

// A comma-separated table with its header, remembering the line of each row.
struct Table {
  std::string path;
  std::vector<std::string> header;
  std::vector<std::vector<std::string>> rows;
  std::vector<int> lines;
};

std::vector<std::string> split_fields(const std::string& line) {
  std::vector<std::string> fields;
  std::string field;
  for (char c : line) {
    if (c == ',') {
      fields.push_back(field);
      field.clear();
    } else {
      field.push_back(c);
    }
  }
  fields.push_back(field);
  for (auto& f : fields) {
    while (!f.empty() && (f.back() == ' ' || f.back() == '\t')) f.pop_back();
    while (!f.empty() && (f.front() == ' ' || f.front() == '\t')) f.erase(f.begin());
  }
  return fields;
}

Table read_table(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw Error(ErrorKind::DataError, kLoad, cat("cannot open file '", path, "'"));
  Table t;
  t.path = path;
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (line.find('"') != std::string::npos) {
      throw Error(ErrorKind::DataError, kLoad,
                  cat("file '", path, "', line ", number, ": quoted fields are not supported"));
    }
    auto fields = split_fields(line);
    if (t.header.empty()) {
      t.header = std::move(fields);
      continue;
    }
    if (fields.size() != t.header.size()) {
      throw Error(ErrorKind::DataError, kLoad,
                  cat("file '", path, "', line ", number, ": ", fields.size(),
                      " fields where the header has ", t.header.size()));
    }
    t.rows.push_back(std::move(fields));
    t.lines.push_back(number);
  }
  if (t.header.empty()) {
    throw Error(ErrorKind::DataError, kLoad, cat("file '", path, "' is empty"));
  }
  return t;
}

// Reads fields of one row by column name, with file/line/column in every complaint.
class RowReader {
 public:
  RowReader(const Table& t, std::size_t row) : m_table(t), m_row(row) {}

  const std::string& text(const std::string& column) const { return field(column); }

  std::optional<double> optional_number(const std::string& column) const {
    const std::string& s = field(column);
    if (s.empty()) return std::nullopt;
    double v = 0.0;
    const char* end = s.data() + s.size();
    auto [ptr, ec] = std::from_chars(s.data(), end, v);
    if (ec != std::errc() || ptr != end || !std::isfinite(v)) {
      fail(column, cat("'", s, "' is not a number"));
    }
    return v;
  }

  double number(const std::string& column) const {
    auto v = optional_number(column);
    if (!v) fail(column, "a value is required");
    return *v;
  }

  double positive(const std::string& column) const {
    double v = number(column);
    if (!(v > 0.0)) fail(column, cat("value ", v, " must be positive"));
    return v;
  }

  std::optional<double> optional_positive(const std::string& column) const {
    auto v = optional_number(column);
    if (v && !(*v > 0.0)) fail(column, cat("value ", *v, " must be positive"));
    return v;
  }

  [[noreturn]] void fail(const std::string& column, const std::string& what) const {
    throw Error(ErrorKind::DataError, kLoad,
                cat("file '", m_table.path, "', line ", m_table.lines[m_row], ", column '", column,
                    "': ", what));
  }

 private:
  const std::string& field(const std::string& column) const {
    for (std::size_t c = 0; c < m_table.header.size(); ++c) {
      if (m_table.header[c] == column) return m_table.rows[m_row][c];
    }
    throw Error(ErrorKind::DataError, kLoad,
                cat("file '", m_table.path, "', line 1: column '", column, "' is missing"));
  }

  const Table& m_table;
  std::size_t m_row;
};

// A correlation set is all-or-nothing: either every coefficient is given or none is.
template <class Correlation>
std::optional<Correlation> read_set(const RowReader& r, const std::string& prefix,
                                    std::vector<double Correlation::*> members,
                                    const std::vector<std::string>& letters) {
  std::size_t given = 0;
  for (const auto& l : letters) given += r.optional_number(prefix + l).has_value() ? 1 : 0;
  given += r.optional_number(prefix + "tmin").has_value() ? 1 : 0;
  given += r.optional_number(prefix + "tmax").has_value() ? 1 : 0;
  if (given == 0) return std::nullopt;
  Correlation c;
  for (std::size_t k = 0; k < letters.size(); ++k) c.*members[k] = r.number(prefix + letters[k]);
  c.Tmin_K = r.positive(prefix + "tmin");
  c.Tmax_K = r.positive(prefix + "tmax");
  if (!(c.Tmax_K > c.Tmin_K)) r.fail(prefix + "tmax", "upper limit not above the lower limit");
  return c;
}

CompoundRecord read_compound(const RowReader& r) {
  CompoundRecord c;
  c.name = r.text("name");
  if (c.name.empty()) r.fail("name", "a compound id is required");
  c.formula = r.text("formula");
  c.cas = r.text("cas");
  c.MW_gmol = r.positive("mw");
  c.Tc_K = r.positive("tc");
  c.Pc_Pa = r.positive("pc");
  c.Vc_m3mol = r.positive("vc");
  c.Zc = r.positive("zc");
  c.omega = r.number("omega");
  if (c.omega <= -1.0 || c.omega >= 2.0) r.fail("omega", cat("value ", c.omega, " out of range"));
  c.Tb_K = r.optional_positive("tb");
  c.Tf_K = r.optional_positive("tf");
  c.dipole_Cm = r.optional_number("dipole");
  if (c.dipole_Cm && *c.dipole_Cm < 0.0) r.fail("dipole", "negative dipole moment");
  c.hvap_nbp_Jmol = r.optional_positive("hvap_nbp");
  c.hfus_Jmol = r.optional_positive("hfus");
  c.hf_ig_298_Jmol = r.number("hf_ig_298");
  c.gf_ig_298_Jmol = r.number("gf_ig_298");
  c.rho_liq_25C_molm3 = r.optional_positive("liq_density_25c");
  c.rackett_ZRA = r.optional_positive("rackett_zra");

  c.cp_ig.c1 = r.number("cp_ig_c1");
  c.cp_ig.c2 = r.number("cp_ig_c2");
  c.cp_ig.c3_K = r.positive("cp_ig_c3");
  c.cp_ig.c4 = r.number("cp_ig_c4");
  c.cp_ig.c5_K = r.positive("cp_ig_c5");
  c.cp_ig.Tmin_K = r.positive("cp_ig_tmin");
  c.cp_ig.Tmax_K = r.positive("cp_ig_tmax");
  if (!(c.cp_ig.Tmax_K > c.cp_ig.Tmin_K)) {
    r.fail("cp_ig_tmax", "upper limit not above the lower limit");
  }
  for (double T : {c.cp_ig.Tmin_K, c.cp_ig.Tmax_K}) {
    if (!(c.cp_ig.cp(T) > 0.0)) r.fail("cp_ig_c1", cat("Cp is not positive at ", T, " K"));
  }

  c.visc_liq_Pas = read_set<Dippr101>(
      r, "visc_liq_", {&Dippr101::A, &Dippr101::B, &Dippr101::C, &Dippr101::D, &Dippr101::E},
      {"a", "b", "c", "d", "e"});
  c.visc_vap_Pas =
      read_set<Dippr102>(r, "visc_vap_", {&Dippr102::A, &Dippr102::B, &Dippr102::C, &Dippr102::D},
                         {"a", "b", "c", "d"});
  c.thcond_liq_WmK = read_set<ChemSep16>(
      r, "thcond_liq_", {&ChemSep16::A, &ChemSep16::B, &ChemSep16::C, &ChemSep16::D, &ChemSep16::E},
      {"a", "b", "c", "d", "e"});
  c.thcond_vap_WmK =
      read_set<Dippr102>(r, "thcond_vap_", {&Dippr102::A, &Dippr102::B, &Dippr102::C, &Dippr102::D},
                         {"a", "b", "c", "d"});
  return c;
}

}  // namespace

bool iequals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

CompoundDatabase CompoundDatabase::load(const std::string& compounds_path,
                                        const std::string& kij_path) {
  CompoundDatabase db;
  const Table ct = read_table(compounds_path);
  for (std::size_t row = 0; row < ct.rows.size(); ++row) {
    RowReader r(ct, row);
    CompoundRecord c = read_compound(r);
    if (db.find(c.name) || (!c.cas.empty() && db.find(c.cas))) r.fail("name", "repeated compound");
    db.m_compounds.push_back(std::move(c));
  }
  if (db.m_compounds.empty()) {
    throw Error(ErrorKind::DataError, kLoad, cat("file '", compounds_path, "' has no compounds"));
  }

  const std::size_t n = db.m_compounds.size();
  db.m_kij.assign(n * n, 0.0);
  std::vector<bool> seen(n * n, false);
  const Table kt = read_table(kij_path);
  for (std::size_t row = 0; row < kt.rows.size(); ++row) {
    RowReader r(kt, row);
    auto i = db.find(r.text("name1"));
    if (!i) r.fail("name1", cat("unknown compound '", r.text("name1"), "'"));
    auto j = db.find(r.text("name2"));
    if (!j) r.fail("name2", cat("unknown compound '", r.text("name2"), "'"));
    if (*i == *j) r.fail("name2", "a compound paired with itself");
    const double k = r.number("kij");
    if (std::abs(k) >= 1.0) r.fail("kij", cat("value ", k, " out of range (-1, 1)"));
    if (seen[*i * n + *j]) r.fail("name2", "repeated pair");
    seen[*i * n + *j] = seen[*j * n + *i] = true;
    db.m_kij[*i * n + *j] = db.m_kij[*j * n + *i] = k;
  }
  return db;
}

CompoundDatabase CompoundDatabase::load_folder(const std::string& folder) {
  std::string base = folder;
  if (!base.empty() && base.back() != '/') base.push_back('/');
  return load(base + "compounds.csv", base + "pr_kij.csv");
}

std::optional<std::size_t> CompoundDatabase::find(std::string_view name_or_cas) const {
  for (std::size_t i = 0; i < m_compounds.size(); ++i) {
    if (iequals(m_compounds[i].name, name_or_cas)) return i;
  }
  for (std::size_t i = 0; i < m_compounds.size(); ++i) {
    if (!m_compounds[i].cas.empty() && m_compounds[i].cas == name_or_cas) return i;
  }
  return std::nullopt;
}

const CompoundRecord& CompoundDatabase::compound(std::string_view name_or_cas) const {
  auto i = find(name_or_cas);
  if (!i) {
    throw Error(ErrorKind::InvalidArgument, "CompoundDatabase::compound",
                cat("unknown compound '", name_or_cas, "'"));
  }
  return m_compounds[*i];
}

double CompoundDatabase::kij(std::size_t i, std::size_t j) const {
  const std::size_t n = m_compounds.size();
  if (i >= n || j >= n) {
    throw Error(ErrorKind::BadArgument, "CompoundDatabase::kij",
                cat("index (", i, ", ", j, ") outside 0..", n - 1));
  }
  return m_kij[i * n + j];
}

}  // namespace pr
