#include "case_file.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

namespace coravl::driver {

namespace {

std::string trim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

std::string lower(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

const char* const kVerbs[] = {"package", "compounds", "option", "setup", "properties", "kvalues",
                              "flash",   "sweep",     "order",  "save",  "recall",     "envelope"};

}  // namespace

double parseNumber(const std::string& text) {
  const std::string t = trim(text);
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(t.c_str(), &end);
  // The whole text must be read (a NUL byte inside ends the C string early), and the value
  // must be finite; an underflow to a tiny number is that number.
  if (t.empty() || end != t.c_str() + t.size() || !std::isfinite(v))
    throw std::runtime_error("'" + printable(text) + "' is not a finite number");
  return v;
}

std::string printable(const std::string& text) {
  std::string out;
  for (unsigned char ch : text) {
    if (ch < 0x20 || ch == 0x7f) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02x", ch);
      out += buf;
    } else {
      out.push_back(static_cast<char>(ch));
    }
  }
  return out.size() > 80 ? out.substr(0, 77) + "..." : out;
}

const std::string& need(const Command& c, const std::string& key) {
  const auto it = c.named.find(key);
  if (it == c.named.end()) throw std::runtime_error("missing " + key + "=");
  return it->second;
}

void checkArguments(const Command& c, const std::vector<std::string>& keys, std::size_t maxWords) {
  for (const auto& [key, value] : c.named) {
    bool known = false;
    for (const auto& k : keys) known = known || k == key;
    if (known) continue;
    std::string list;
    for (const auto& k : keys) list += (list.empty() ? "" : ", ") + k + "=";
    throw std::runtime_error("unknown key '" + printable(key) + "=' for " + c.verb +
                             (list.empty() ? " (it takes none)" : " (it takes " + list + ")"));
  }
  std::size_t words = 0;
  for (std::size_t i = 0; i < c.words.size(); ++i) {
    if (c.words[i] == "--svg") {
      ++i;
      continue;
    }
    if (++words > maxWords)
      throw std::runtime_error("unexpected word '" + printable(c.words[i]) + "' for " + c.verb);
  }
}

std::vector<double> parseNumbers(const std::string& text) {
  std::vector<double> out;
  for (const auto& item : parseNames(text)) out.push_back(parseNumber(item));
  return out;
}

std::vector<std::string> parseNames(const std::string& text) {
  std::vector<std::string> out;
  std::stringstream ss(text);
  std::string item;
  while (std::getline(ss, item, ','))
    if (auto t = trim(item); !t.empty()) out.push_back(t);
  return out;
}

std::vector<Command> parseCase(const std::string& text, const std::string& origin) {
  std::vector<Command> out;
  std::stringstream in(text);
  std::string raw;
  int lineNo = 0;
  while (std::getline(in, raw)) {
    ++lineNo;
    std::string line = raw.substr(0, raw.find('#'));
    line = trim(line);
    if (line.empty()) continue;
    Command c;
    c.line = lineNo;
    const auto space = line.find_first_of(" \t");
    c.verb = lower(line.substr(0, space));
    c.rest = space == std::string::npos ? "" : trim(line.substr(space));
    bool known = false;
    for (const char* v : kVerbs) known = known || c.verb == v;
    if (!known)
      throw std::runtime_error(origin + ":" + std::to_string(lineNo) + ": unknown command '" +
                               c.verb + "'");
    // "option key = value" keeps its text whole; other commands split into words.
    if (c.verb != "package" && c.verb != "compounds" && c.verb != "option") {
      std::stringstream words(c.rest);
      std::string w;
      while (words >> w) {
        const auto eq = w.find('=');
        if (eq == std::string::npos)
          c.words.push_back(w);
        else
          c.named[lower(w.substr(0, eq))] = w.substr(eq + 1);
      }
    }
    out.push_back(std::move(c));
  }
  return out;
}

const char* defaultCase() {
  return R"(# The embedded default case: a 10-compound natural gas with the Peng-Robinson package.
package   CORavlPR.PackageManager.1 :: Natural Gas (PR)
setup
compounds methane, ethane, propane, n-butane, isobutane, n-pentane, n-hexane, nitrogen, carbon dioxide, hydrogen sulfide
properties vapour T=250 P=5000 x=0.60,0.08,0.06,0.04,0.03,0.03,0.06,0.03,0.05,0.02 props=Enthalpy,Entropy,MolarVolume,Cp,ZFactor,Viscosity,ThermalConductivity derivatives=dT,dP
properties liquid T=250 P=5000 x=0.10,0.08,0.12,0.15,0.08,0.15,0.25,0.01,0.04,0.02 props=Enthalpy,MolarVolume,Cp,LnFugacityCoeff derivatives=dT
kvalues   T=250 P=5000 x=0.10,0.08,0.12,0.15,0.08,0.15,0.25,0.01,0.04,0.02 y=0.60,0.08,0.06,0.04,0.03,0.03,0.06,0.03,0.05,0.02
flash     PT 250 5000 z=0.60,0.08,0.06,0.04,0.03,0.03,0.06,0.03,0.05,0.02
order
flash     PV 5000 1 z=0.60,0.08,0.06,0.04,0.03,0.03,0.06,0.03,0.05,0.02
sweep     PT T=200:320:13 P=5000 z=0.60,0.08,0.06,0.04,0.03,0.03,0.06,0.03,0.05,0.02
save      default-case.sav
recall    default-case.sav
)";
}

}  // namespace coravl::driver
