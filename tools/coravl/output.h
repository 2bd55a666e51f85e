#pragma once
//! What the host driver prints: aligned tables for people, or one JSON object per command for
//! programs (--json).

#include <string>
#include <vector>

namespace coravl::driver {

class Output {
 public:
  explicit Output(bool json) : m_json(json) {}
  bool json() const { return m_json; }

  //! Starts a command's report.
  void begin(const std::string& command, int line);
  //! One named scalar of the report.
  void value(const std::string& name, double v, const std::string& unit = "");
  void text(const std::string& name, const std::string& v);
  //! A table: a header row and rows of cells.
  void table(const std::string& name, const std::vector<std::string>& header,
             const std::vector<std::vector<std::string>>& rows);
  //! Ends the command's report with its status.
  void end(bool ok, const std::string& status);
  //! A notice shown by the socket (a message box of the simulator).
  void notice(const std::string& title, const std::string& text);
  //! Progress of a long command, on standard error so that the report stays clean.
  void progress(int done, int total, const std::string& what);

  static std::string number(double v, int digits = 6);

 private:
  bool m_json;
  bool m_firstField = true;
  std::string fieldPrefix();
};

}  // namespace coravl::driver
