#include "output.h"

#include <cmath>
#include <cstdio>

namespace coravl::driver {

namespace {

std::string jsonString(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out.push_back(static_cast<char>(c));
        }
    }
  }
  return out + "\"";
}

std::string jsonNumber(double v) {
  if (!std::isfinite(v)) return "null";
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.10g", v);
  return buf;
}

}  // namespace

std::string Output::number(double v, int digits) {
  if (!std::isfinite(v)) return "-";
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.*g", digits, v);
  return buf;
}

std::string Output::fieldPrefix() {
  const std::string p = m_firstField ? "" : ", ";
  m_firstField = false;
  return p;
}

void Output::begin(const std::string& command, int line) {
  m_firstField = true;
  if (m_json) {
    std::printf("{%s\"command\": %s, \"line\": %d", fieldPrefix().c_str(),
                jsonString(command).c_str(), line);
  } else {
    std::printf("\n== %s (line %d)\n", command.c_str(), line);
  }
}

void Output::value(const std::string& name, double v, const std::string& unit) {
  if (m_json)
    std::printf(", %s: %s", jsonString(name).c_str(), jsonNumber(v).c_str());
  else
    std::printf("  %-22s %s %s\n", name.c_str(), number(v, 8).c_str(), unit.c_str());
}

void Output::text(const std::string& name, const std::string& v) {
  if (m_json)
    std::printf(", %s: %s", jsonString(name).c_str(), jsonString(v).c_str());
  else
    std::printf("  %-22s %s\n", name.c_str(), v.c_str());
}

void Output::table(const std::string& name, const std::vector<std::string>& header,
                   const std::vector<std::vector<std::string>>& rows) {
  if (m_json) {
    std::printf(", %s: [", jsonString(name).c_str());
    for (std::size_t r = 0; r < rows.size(); ++r) {
      std::printf("%s{", r ? ", " : "");
      for (std::size_t c = 0; c < header.size() && c < rows[r].size(); ++c)
        std::printf("%s%s: %s", c ? ", " : "", jsonString(header[c]).c_str(),
                    jsonString(rows[r][c]).c_str());
      std::printf("}");
    }
    std::printf("]");
    return;
  }
  std::vector<std::size_t> width(header.size());
  for (std::size_t c = 0; c < header.size(); ++c) width[c] = header[c].size();
  for (const auto& row : rows)
    for (std::size_t c = 0; c < header.size() && c < row.size(); ++c)
      width[c] = std::max(width[c], row[c].size());
  auto printRow = [&](const std::vector<std::string>& row) {
    std::printf("  ");
    for (std::size_t c = 0; c < header.size(); ++c)
      std::printf("%-*s  ", static_cast<int>(width[c]), c < row.size() ? row[c].c_str() : "");
    std::printf("\n");
  };
  std::printf("  %s\n", name.c_str());
  printRow(header);
  for (const auto& row : rows) printRow(row);
}

void Output::end(bool ok, const std::string& status) {
  if (m_json)
    std::printf(", \"ok\": %s, \"status\": %s}\n", ok ? "true" : "false",
                jsonString(status).c_str());
  else
    std::printf("  -> %s\n", status.c_str());
  std::fflush(stdout);
}

void Output::notice(const std::string& title, const std::string& text) {
  std::fprintf(stderr, "[notice] %s%s%s\n", title.c_str(), title.empty() ? "" : ": ", text.c_str());
}

void Output::progress(int done, int total, const std::string& what) {
  std::fprintf(stderr, "\r  %s %d/%d", what.c_str(), done, total);
  if (done == total) std::fprintf(stderr, "\n");
  std::fflush(stderr);
}

}  // namespace coravl::driver
