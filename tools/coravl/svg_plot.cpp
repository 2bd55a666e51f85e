#include "svg_plot.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "output.h"

namespace coravl::driver {

namespace {

constexpr double kWidth = 720, kHeight = 480;
constexpr double kLeft = 80, kRight = 170, kTop = 40, kBottom = 60;  // margins

std::string escaped(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else if (c == '&')
      out += "&amp;";
    else if (c == '"')
      out += "&quot;";
    else
      out += c;
  }
  return out;
}

std::string px(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  return buf;
}

//! A tick step of 1, 2 or 5 times a power of ten giving about five ticks over the range.
double tickStep(double range) {
  const double raw = range / 5;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 5.0})
    if (m * power >= raw) return m * power;
  return 10 * power;
}

struct Axis {
  double lo = 0, hi = 1, step = 1;
  void fit(double a, double b) {
    if (!(b > a)) {  // one value, or none: a range around it
      const double pad = a == 0 ? 1 : std::fabs(a) * 0.05;
      a -= pad;
      b += pad;
    }
    step = tickStep(b - a);
    lo = std::floor(a / step) * step;
    hi = std::ceil(b / step) * step;
  }
};

}  // namespace

std::string renderSvg(const Plot& plot) {
  double xmin = INFINITY, xmax = -INFINITY, ymin = INFINITY, ymax = -INFINITY;
  auto include = [&](double x, double y) {
    if (!std::isfinite(x) || !std::isfinite(y)) return;
    xmin = std::min(xmin, x);
    xmax = std::max(xmax, x);
    ymin = std::min(ymin, y);
    ymax = std::max(ymax, y);
  };
  for (const auto& l : plot.lines)
    for (auto [x, y] : l.points) include(x, y);
  for (const auto& m : plot.marks) include(m.x, m.y);
  if (!std::isfinite(xmin)) xmin = xmax = ymin = ymax = 0;
  Axis ax, ay;
  ax.fit(xmin, xmax);
  ay.fit(ymin, ymax);
  const double w = kWidth - kLeft - kRight, h = kHeight - kTop - kBottom;
  const double sx = w / (ax.hi - ax.lo), sy = h / (ay.hi - ay.lo);
  auto toX = [&](double x) { return kLeft + (x - ax.lo) * sx; };
  auto toY = [&](double y) { return kTop + h - (y - ay.lo) * sy; };

  std::ostringstream s;
  s << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kWidth << "\" height=\"" << kHeight
    << "\" viewBox=\"0 0 " << kWidth << " " << kHeight
    << "\" font-family=\"sans-serif\" font-size=\"12\">\n"
    << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n"
    << "<text x=\"" << px(kLeft + w / 2) << "\" y=\"24\" text-anchor=\"middle\" font-size=\"15\">"
    << escaped(plot.title) << "</text>\n";
  // Axes, grid and ticks.
  s << "<g stroke=\"#ccc\" stroke-width=\"1\">\n";
  for (double t = ax.lo; t <= ax.hi + ax.step / 2; t += ax.step)
    s << "<line x1=\"" << px(toX(t)) << "\" y1=\"" << px(kTop) << "\" x2=\"" << px(toX(t))
      << "\" y2=\"" << px(kTop + h) << "\"/>\n";
  for (double t = ay.lo; t <= ay.hi + ay.step / 2; t += ay.step)
    s << "<line x1=\"" << px(kLeft) << "\" y1=\"" << px(toY(t)) << "\" x2=\"" << px(kLeft + w)
      << "\" y2=\"" << px(toY(t)) << "\"/>\n";
  s << "</g>\n<rect x=\"" << px(kLeft) << "\" y=\"" << px(kTop) << "\" width=\"" << px(w)
    << "\" height=\"" << px(h) << "\" fill=\"none\" stroke=\"black\"/>\n";
  for (double t = ax.lo; t <= ax.hi + ax.step / 2; t += ax.step)
    s << "<text x=\"" << px(toX(t)) << "\" y=\"" << px(kTop + h + 16)
      << "\" text-anchor=\"middle\">" << Output::number(t, 6) << "</text>\n";
  for (double t = ay.lo; t <= ay.hi + ay.step / 2; t += ay.step)
    s << "<text x=\"" << px(kLeft - 6) << "\" y=\"" << px(toY(t) + 4) << "\" text-anchor=\"end\">"
      << Output::number(t, 6) << "</text>\n";
  s << "<text x=\"" << px(kLeft + w / 2) << "\" y=\"" << px(kHeight - 16)
    << "\" text-anchor=\"middle\">" << escaped(plot.xLabel) << "</text>\n"
    << "<text transform=\"translate(18," << px(kTop + h / 2)
    << ") rotate(-90)\" text-anchor=\"middle\">" << escaped(plot.yLabel) << "</text>\n";
  // The lines, in data units.
  s << "<g transform=\"translate(" << px(kLeft) << " " << px(kTop + h) << ") scale("
    << Output::exact(sx) << " " << Output::exact(-sy) << ") translate(" << Output::exact(-ax.lo)
    << " " << Output::exact(-ay.lo) << ")\">\n";
  for (const auto& l : plot.lines) {
    s << "<polyline class=\"line\" data-name=\"" << escaped(l.name) << "\" fill=\"none\" stroke=\""
      << l.colour << "\" stroke-width=\"2\" vector-effect=\"non-scaling-stroke\" points=\"";
    bool first = true;
    for (auto [x, y] : l.points) {
      if (!std::isfinite(x) || !std::isfinite(y)) continue;
      s << (first ? "" : " ") << Output::exact(x) << "," << Output::exact(y);
      first = false;
    }
    s << "\"/>\n";
  }
  s << "</g>\n";
  // Marked points, in pixels so that they stay round.
  for (const auto& m : plot.marks) {
    if (!std::isfinite(m.x) || !std::isfinite(m.y)) continue;
    s << "<circle class=\"mark\" data-name=\"" << escaped(m.name) << "\" data-x=\""
      << Output::exact(m.x) << "\" data-y=\"" << Output::exact(m.y) << "\" cx=\"" << px(toX(m.x))
      << "\" cy=\"" << px(toY(m.y)) << "\" r=\"5\" fill=\"" << m.colour
      << "\" stroke=\"black\"/>\n";
  }
  // Legend.
  double ly = kTop + 10;
  const double lx = kLeft + w + 16;
  for (const auto& l : plot.lines) {
    s << "<line x1=\"" << px(lx) << "\" y1=\"" << px(ly) << "\" x2=\"" << px(lx + 24) << "\" y2=\""
      << px(ly) << "\" stroke=\"" << l.colour << "\" stroke-width=\"2\"/><text x=\"" << px(lx + 30)
      << "\" y=\"" << px(ly + 4) << "\">" << escaped(l.name) << "</text>\n";
    ly += 20;
  }
  for (const auto& m : plot.marks) {
    if (!std::isfinite(m.x) || !std::isfinite(m.y)) continue;
    s << "<circle cx=\"" << px(lx + 12) << "\" cy=\"" << px(ly) << "\" r=\"5\" fill=\"" << m.colour
      << "\" stroke=\"black\"/><text x=\"" << px(lx + 30) << "\" y=\"" << px(ly + 4) << "\">"
      << escaped(m.name) << "</text>\n";
    ly += 20;
  }
  s << "</svg>\n";
  return s.str();
}

void writeSvg(const Plot& plot, const std::string& path) {
  const std::string text = renderSvg(plot);
  std::ofstream out(path, std::ios::binary);
  if (!(out << text) || !out.flush()) throw std::runtime_error("cannot write " + path);
}

}  // namespace coravl::driver
