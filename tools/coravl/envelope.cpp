//! The `envelope` command: bubble and dew curves of one composition from the package's
//! vapour-fraction flashes (PV at 0 and 1), traced from low pressure up to where each curve ends,
//! with the cricondenbar, the cricondentherm and, when both curves end together, the critical
//! point.

#include <algorithm>
#include <cmath>
#include <optional>
#include <stdexcept>

#include "host_session.h"
#include "svg_plot.h"

namespace coravl::driver {

namespace {

struct Point {
  double t = 0, p = 0;
};

//! Bisections of the last pressure step, so that a curve's end is found to about 1e-4 of it.
constexpr int kEndBisections = 14;
//! Golden-section steps for the cricondentherm.
constexpr int kThermSteps = 20;
constexpr int kMaxSteps = 400;

}  // namespace

std::string HostSession::svgFile(const Command& c) {
  for (std::size_t i = 0; i < c.words.size(); ++i)
    if (c.words[i] == "--svg") {
      if (i + 1 >= c.words.size()) throw std::runtime_error("--svg needs a file name");
      return filePath(c.words[i + 1]);
    }
  return {};
}

bool HostSession::cmdEnvelope(const Command& c) {
  ensureComponent();
  if (!m_fluid) throw std::runtime_error("no fluid package: add compounds first");
  checkArguments(c, {"z", "pmin", "ratio"}, 0);
  const auto z = composition(c, "z");
  const double pmin = c.named.count("pmin") ? parseNumber(c.named.at("pmin")) : 100;
  const double ratio = c.named.count("ratio") ? parseNumber(c.named.at("ratio")) : 1.25;
  if (!(pmin > 0) || !std::isfinite(pmin))
    throw std::runtime_error("pmin= must be a pressure above 0 kPa");
  if (!(ratio > 1.001 && ratio <= 4))
    throw std::runtime_error("ratio= must be above 1.001 and at most 4");
  const std::string svg = svgFile(c);
  // The envelope's flashes are not the case's: its last flash stays the one to order and mark.
  const auto keptFlash = m_lastFlash;

  int flashes = 0;
  std::string endReason[2];
  auto temperatureAt = [&](double vf, double p, std::string* why = nullptr) {
    const HRESULT hr = flash(xftPVFlash, {{"P", p}, {"VF", vf}}, z);
    m_out.progress(++flashes, 0, "envelope flashes");
    if (FAILED(hr)) {
      if (why) *why = this->why(hr);
      return std::optional<double>();
    }
    return std::optional<double>(m_lastFlash->overall().temperature());
  };
  auto trace = [&](double vf, std::string& reason) {
    std::vector<Point> pts;
    double p = pmin, failedAt = 0;
    for (int i = 0; i < kMaxSteps; ++i, p *= ratio) {
      auto t = temperatureAt(vf, p, &reason);
      if (!t) {
        failedAt = p;
        break;
      }
      pts.push_back({*t, p});
    }
    if (pts.empty() || failedAt == 0) return pts;
    double lo = pts.back().p, hi = failedAt;
    for (int i = 0; i < kEndBisections; ++i) {
      const double mid = (lo + hi) / 2;
      if (auto t = temperatureAt(vf, mid)) {
        pts.push_back({*t, mid});
        lo = mid;
      } else {
        hi = mid;
      }
    }
    return pts;
  };
  std::vector<Point> curve[2] = {trace(0, endReason[0]), trace(1, endReason[1])};

  // The cricondentherm: the warmest point of the dew curve, sharpened by a golden section.
  std::optional<Point> therm;
  for (const auto& k : curve)
    for (const auto& pt : k)
      if (!therm || pt.t > therm->t) therm = pt;
  auto& dew = curve[1];
  if (dew.size() >= 3) {
    const auto top = std::max_element(dew.begin(), dew.end(),
                                      [](const Point& a, const Point& b) { return a.t < b.t; });
    if (top != dew.begin() && top + 1 != dew.end()) {
      const double g = (std::sqrt(5.0) - 1) / 2;
      double a = (top - 1)->p, b = (top + 1)->p;
      for (int i = 0; i < kThermSteps / 2 && b - a > 1e-6 * b; ++i) {
        const double x1 = b - g * (b - a), x2 = a + g * (b - a);
        const auto t1 = temperatureAt(1, x1), t2 = temperatureAt(1, x2);
        if (!t1 || !t2) break;
        if (*t1 > therm->t) therm = Point{*t1, x1};
        if (*t2 > therm->t) therm = Point{*t2, x2};
        if (*t1 > *t2)
          b = x2;
        else
          a = x1;
      }
      dew.push_back(*therm);
      std::sort(dew.begin(), dew.end(), [](const Point& l, const Point& r) { return l.p < r.p; });
    }
  }
  m_out.progress(flashes, flashes, "envelope flashes");
  m_lastFlash = keptFlash;

  std::optional<Point> bar;
  for (const auto& k : curve)
    for (const auto& pt : k)
      if (!bar || pt.p > bar->p) bar = pt;
  // Both curves ending at the same place: that place is the critical point.
  std::optional<Point> critical;
  if (!curve[0].empty() && !curve[1].empty()) {
    const Point b = curve[0].back(), d = curve[1].back();
    if (std::fabs(b.t - d.t) <= 0.005 * d.t && std::fabs(b.p - d.p) <= 0.002 * d.p)
      critical = Point{(b.t + d.t) / 2, (b.p + d.p) / 2};
  }

  std::vector<Row> rows;
  const char* names[2] = {"bubble", "dew"};
  for (int k = 0; k < 2; ++k)
    for (const auto& pt : curve[k])
      rows.push_back({names[k], Cell::number(pt.t), Cell::number(pt.p)});
  m_out.table("envelope", {"curve", "T [K]", "P [kPa]"}, rows);
  auto point = [&](const std::string& name, const std::optional<Point>& pt) {
    if (!pt) {
      m_out.text(name, "not found");
      return;
    }
    m_out.value(name + " T", pt->t, "K");
    m_out.value(name + " P", pt->p, "kPa");
  };
  point("cricondenbar", bar);
  point("cricondentherm", therm);
  point("critical point", critical);
  for (int k = 0; k < 2; ++k)
    if (!endReason[k].empty()) m_out.text(std::string(names[k]) + " curve ends", endReason[k]);

  if (!svg.empty()) {
    Plot plot;
    plot.title = "Phase envelope";
    plot.xLabel = "T [K]";
    plot.yLabel = "P [kPa]";
    const char* colours[2] = {"#1f5fbf", "#c8372d"};
    for (int k = 0; k < 2; ++k) {
      PlotLine line{std::string(names[k]) + " curve", colours[k], {}};
      for (const auto& pt : curve[k]) line.points.emplace_back(pt.t, pt.p);
      plot.lines.push_back(std::move(line));
    }
    if (critical) plot.marks.push_back({"critical point", "#ffd000", critical->t, critical->p});
    if (bar) plot.marks.push_back({"cricondenbar", "#7a3fbf", bar->t, bar->p});
    if (therm) plot.marks.push_back({"cricondentherm", "#2a9d4b", therm->t, therm->p});
    if (m_lastFlashPoint)
      plot.marks.push_back(
          {"last flash", "#222222", m_lastFlashPoint->first, m_lastFlashPoint->second});
    writeSvg(plot, svg);
    m_out.text("svg", svg);
  }
  const bool ok = !curve[0].empty() && !curve[1].empty();
  m_out.end(ok, ok ? "ok" : "no bubble or no dew curve: " + endReason[curve[0].empty() ? 0 : 1]);
  return ok;
}

}  // namespace coravl::driver
