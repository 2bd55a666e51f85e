#include "output.h"

#include <charconv>
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
  return std::isfinite(v) ? Output::exact(v) : "null";
}

std::string jsonCell(const Cell& c) {
  switch (c.kind) {
    case Cell::Kind::Number:
      return jsonNumber(c.values.empty() ? NAN : c.values[0]);
    case Cell::Kind::Numbers: {
      std::string out = "[";
      for (std::size_t i = 0; i < c.values.size(); ++i)
        out += (i ? ", " : "") + jsonNumber(c.values[i]);
      return out + "]";
    }
    case Cell::Kind::Failed:
      return "{\"error\": " + jsonString(c.text) + "}";
    case Cell::Kind::Text:
      break;
  }
  return jsonString(c.text);
}

std::string csvText(const std::string& s) {
  if (s.find_first_of(",\"\n\r") == std::string::npos) return s;
  std::string out = "\"";
  for (char c : s) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

std::string csvCell(const Cell& c) {
  switch (c.kind) {
    case Cell::Kind::Number:
      return c.values.empty() || !std::isfinite(c.values[0]) ? "" : Output::exact(c.values[0]);
    case Cell::Kind::Numbers: {
      // One cell holds the list, separated so that the row keeps its columns.
      std::string out;
      for (std::size_t i = 0; i < c.values.size(); ++i)
        out += (i ? ";" : "") + (std::isfinite(c.values[i]) ? Output::exact(c.values[i]) : "");
      return out;
    }
    case Cell::Kind::Failed:
      return csvText("failed: " + c.text);
    case Cell::Kind::Text:
      break;
  }
  return csvText(c.text);
}

//! Commands of a case name their line; those of the command line have none.
std::string lineText(int line) {
  return line > 0 ? " (line " + std::to_string(line) + ")" : "";
}

}  // namespace

Cell Cell::number(double v, int digits) {
  Cell c;
  c.kind = Kind::Number;
  c.values = {v};
  c.digits = digits;
  return c;
}

Cell Cell::numbers(std::vector<double> v, int digits) {
  Cell c;
  c.kind = Kind::Numbers;
  c.values = std::move(v);
  c.digits = digits;
  return c;
}

Cell Cell::failed(std::string why) {
  Cell c;
  c.kind = Kind::Failed;
  c.text = std::move(why);
  return c;
}

std::string Output::number(double v, int digits) {
  if (!std::isfinite(v)) return "-";
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.*g", digits, v);
  return buf;
}

std::string Output::exact(double v) {
  char buf[40];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

std::string Output::shown(const Cell& c) {
  switch (c.kind) {
    case Cell::Kind::Number:
      return c.values.empty() ? "-" : number(c.values[0], c.digits);
    case Cell::Kind::Numbers: {
      std::string out;
      for (std::size_t i = 0; i < c.values.size(); ++i)
        out += (i ? ", " : "") + number(c.values[i], c.digits);
      return out;
    }
    case Cell::Kind::Failed:
      return "(" + c.text + ")";
    case Cell::Kind::Text:
      break;
  }
  return c.text;
}

void Output::begin(const std::string& command, int line) {
  m_command = command;
  m_line = line;
  switch (m_format) {
    case Format::Json:
      std::printf("{\"command\": %s", jsonString(command).c_str());
      if (line > 0) std::printf(", \"line\": %d", line);
      break;
    case Format::Csv:
      std::printf("# %s%s\n", command.c_str(), lineText(line).c_str());
      break;
    case Format::Table:
      std::printf("\n== %s%s\n", command.c_str(), lineText(line).c_str());
      break;
  }
}

void Output::value(const std::string& name, double v, const std::string& unit) {
  switch (m_format) {
    case Format::Json:
      std::printf(", %s: %s", jsonString(name).c_str(), jsonNumber(v).c_str());
      break;
    case Format::Csv:
      std::printf("# %s = %s%s%s\n", name.c_str(), exact(v).c_str(), unit.empty() ? "" : " ",
                  unit.c_str());
      break;
    case Format::Table:
      std::printf("  %-22s %s %s\n", name.c_str(), number(v, 8).c_str(), unit.c_str());
      break;
  }
}

void Output::text(const std::string& name, const std::string& v) {
  switch (m_format) {
    case Format::Json:
      std::printf(", %s: %s", jsonString(name).c_str(), jsonString(v).c_str());
      break;
    case Format::Csv:
      std::printf("# %s = %s\n", name.c_str(), v.c_str());
      break;
    case Format::Table:
      std::printf("  %-22s %s\n", name.c_str(), v.c_str());
      break;
  }
}

void Output::table(const std::string& name, const std::vector<std::string>& header,
                   const std::vector<Row>& rows) {
  if (m_format == Format::Json) {
    std::printf(", %s: [", jsonString(name).c_str());
    for (std::size_t r = 0; r < rows.size(); ++r) {
      std::printf("%s{", r ? ", " : "");
      for (std::size_t c = 0; c < header.size() && c < rows[r].size(); ++c)
        std::printf("%s%s: %s", c ? ", " : "", jsonString(header[c]).c_str(),
                    jsonCell(rows[r][c]).c_str());
      std::printf("}");
    }
    std::printf("]");
    return;
  }
  if (m_format == Format::Csv) {
    // Each table is a block of its own: the command and the table's name, then the rows.
    std::printf("# table: %s\n", name.c_str());
    for (std::size_t c = 0; c < header.size(); ++c)
      std::printf("%s%s", c ? "," : "", csvText(header[c]).c_str());
    std::printf("\n");
    for (const auto& row : rows) {
      for (std::size_t c = 0; c < header.size(); ++c)
        std::printf("%s%s", c ? "," : "", c < row.size() ? csvCell(row[c]).c_str() : "");
      std::printf("\n");
    }
    return;
  }
  std::vector<std::vector<std::string>> cells;
  for (const auto& row : rows) {
    cells.emplace_back();
    for (const auto& cell : row) cells.back().push_back(shown(cell));
  }
  std::vector<std::size_t> width(header.size());
  for (std::size_t c = 0; c < header.size(); ++c) width[c] = header[c].size();
  for (const auto& row : cells)
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
  for (const auto& row : cells) printRow(row);
}

void Output::end(bool ok, const std::string& status) {
  switch (m_format) {
    case Format::Json:
      std::printf(", \"ok\": %s, \"status\": %s}\n", ok ? "true" : "false",
                  jsonString(status).c_str());
      break;
    case Format::Csv:
      std::printf("# %s: %s\n\n", ok ? "ok" : "failed", status.c_str());
      break;
    case Format::Table:
      std::printf("  -> %s\n", status.c_str());
      break;
  }
  std::fflush(stdout);
}

void Output::notice(const std::string& title, const std::string& text) {
  std::fprintf(stderr, "[notice] %s%s%s\n", title.c_str(), title.empty() ? "" : ": ", text.c_str());
}

void Output::progress(int done, int total, const std::string& what) {
  // A total of 0: not known in advance; the caller ends the line with done == total.
  if (total > 0 && done == total)
    std::fprintf(stderr, "\r  %s %d/%d\n", what.c_str(), done, total);
  else if (total > 0)
    std::fprintf(stderr, "\r  %s %d/%d", what.c_str(), done, total);
  else if (done % 10 == 0)
    std::fprintf(stderr, "\r  %s %d", what.c_str(), done);
  std::fflush(stderr);
}

}  // namespace coravl::driver
