#pragma once
//! What the host driver prints: aligned tables for people, one JSON object per command for
//! programs (--json), or the tables as CSV for spreadsheets (--csv).

#include <string>
#include <vector>

namespace coravl::driver {

//! One cell of a table: a text, a number, a list of numbers, or a value that could not be had
//! (with the reason). Numbers keep full precision; only the table for people rounds them.
struct Cell {
  enum class Kind { Text, Number, Numbers, Failed };
  Kind kind = Kind::Text;
  std::string text;  //!< the text, or the reason of a failed value
  std::vector<double> values;
  int digits = 6;  //!< significant digits in the table for people

  Cell() = default;
  Cell(std::string s) : text(std::move(s)) {}  // NOLINT: texts are the common cell
  Cell(const char* s) : text(s) {}             // NOLINT
  static Cell number(double v, int digits = 6);
  static Cell numbers(std::vector<double> v, int digits = 6);
  static Cell failed(std::string why);
};

using Row = std::vector<Cell>;

class Output {
 public:
  enum class Format { Table, Json, Csv };
  explicit Output(Format format) : m_format(format) {}
  Format format() const { return m_format; }
  bool json() const { return m_format == Format::Json; }

  //! Starts a command's report.
  void begin(const std::string& command, int line);
  //! One named scalar of the report.
  void value(const std::string& name, double v, const std::string& unit = "");
  void text(const std::string& name, const std::string& v);
  //! A table: a header row and rows of cells.
  void table(const std::string& name, const std::vector<std::string>& header,
             const std::vector<Row>& rows);
  //! Ends the command's report with its status.
  void end(bool ok, const std::string& status);
  //! A notice shown by the socket (a message box of the simulator).
  void notice(const std::string& title, const std::string& text);
  //! Progress of a long command, on standard error so that the report stays clean.
  void progress(int done, int total, const std::string& what);

  static std::string number(double v, int digits = 6);
  //! The shortest text that reads back as the same double.
  static std::string exact(double v);
  //! A cell as the table for people shows it.
  static std::string shown(const Cell& c);

 private:
  Format m_format;
  std::string m_command;
  int m_line = 0;
};

}  // namespace coravl::driver
