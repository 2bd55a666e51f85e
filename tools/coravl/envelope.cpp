//! The `envelope` command: bubble and dew curves of one composition from the package's
//! vapour-fraction flashes (PV and TV at 0 and 1), traced from low pressure up to where each curve
//! ends, with the cricondenbar, the cricondentherm and the critical point where one is found.

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

constexpr LONG kVapourType = 3;
//! Golden-section steps for the cricondentherm.
constexpr int kThermSteps = 20;
constexpr int kMaxSteps = 400;
//! The smallest step, as a part of the first one: a curve's end is found to about this.
constexpr double kMinStep = 1e-4;
//! The step in ln T or ln P per unit of max |ln K|: small steps where the phases become alike.
constexpr double kKStep = 0.1;
//! max |ln K| below which the phases are taken as one: the critical point.
constexpr double kCriticalLnK = 0.01;
//! Allowed distance of a point from the curve's extrapolation, in logarithms.
constexpr double kJumpTolerance = 2e-3;

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
  // One point of a curve: P given (PV flash) or T given (TV flash), with the spread of the
  // K-values of its two phases, max |ln K| (NaN when the package gives no incipient phase).
  struct Found {
    Point pt;
    double lnK = NAN;
  };
  auto solve = [&](double vf, bool byT, double spec, std::string* why = nullptr) {
    const HRESULT hr = byT ? flash(xftTVFlash, {{"T", spec}, {"VF", vf}}, z)
                           : flash(xftPVFlash, {{"P", spec}, {"VF", vf}}, z);
    m_out.progress(++flashes, 0, "envelope flashes");
    if (FAILED(hr)) {
      if (why) *why = this->why(hr);
      return std::optional<Found>();
    }
    Found f{{m_lastFlash->overall().temperature(), m_lastFlash->overall().pressure()}};
    std::vector<double> x[2];
    for (LONG k = 0; k < m_lastFlash->numberOfPhases(); ++k) {
      auto phase = m_lastFlash->phase(static_cast<std::size_t>(k));
      x[phase.type() == kVapourType ? 0 : 1] = phase.composition();
    }
    if (x[0].size() == x[1].size() && !x[0].empty()) {
      f.lnK = 0;
      for (std::size_t i = 0; i < x[0].size(); ++i)
        if (x[0][i] > 0 && x[1][i] > 0)
          f.lnK = std::max(f.lnK, std::fabs(std::log(x[0][i] / x[1][i])));
    }
    return std::optional<Found>(f);
  };
  auto temperatureAt = [&](double vf, double p) {
    auto f = solve(vf, false, p);
    return f ? std::optional<double>(f->pt.t) : std::optional<double>();
  };
  // Continuation along one curve. Pressure is the given variable while the curve climbs in P;
  // where it turns towards the cricondenbar, temperature is. A step shrinks with the spread of
  // the K-values, which vanishes at the critical point, and is halved when a flash fails or
  // lands off the curve's extrapolation (another root, or the other curve); the curve ends
  // where the step cannot shrink further or the K-values reach 1.
  auto trace = [&](double vf, std::string& reason, bool& critical) {
    std::vector<Point> pts;
    critical = false;
    auto first = solve(vf, false, pmin, &reason);
    if (!first) return pts;
    pts.push_back(first->pt);
    double lnK = first->lnK;
    bool byT = false, mayTurn = true;
    double dir = 1, h = std::log(ratio), hP = h;
    const double hMax = h;
    for (int i = 0; i < kMaxSteps; ++i) {
      if (h <= hMax * kMinStep) {
        // A package whose TV flash keeps to the other root of the curve (the lower dew
        // pressure, say) is followed on by pressure.
        if (!byT) break;
        byT = mayTurn = false;
        h = hP;
      }
      const Point last = pts.back();
      const double step =
          std::isfinite(lnK) ? std::min(h, std::max(kKStep * lnK, hMax * kMinStep)) : h;
      const double spec = byT ? last.t * std::exp(dir * step) : last.p * std::exp(step);
      std::string why;
      auto got = solve(vf, byT, spec, &why);
      bool onCurve = got.has_value();
      if (got && pts.size() >= 2) {
        const Point before = pts[pts.size() - 2];
        // The other variable's change, in logarithms: extrapolated and found.
        const double given = byT ? std::log(last.t / before.t) : std::log(last.p / before.p);
        const double other = byT ? std::log(last.p / before.p) : std::log(last.t / before.t);
        const double expected = given != 0 ? other / given * (byT ? dir * step : step) : 0;
        const double found = byT ? std::log(got->pt.p / last.p) : std::log(got->pt.t / last.t);
        onCurve = std::fabs(found - expected) <= 0.5 * std::fabs(expected) + kJumpTolerance;
      }
      if (!onCurve) {
        if (!got) reason = why;
        h = step / 2;
        continue;
      }
      reason.clear();
      pts.push_back(got->pt);
      lnK = got->lnK;
      h = std::min(hMax, step * 1.5);
      const double dT = std::log(got->pt.t / last.t), dP = std::log(got->pt.p / last.p);
      if (!byT && mayTurn && std::fabs(dT) > std::fabs(dP)) {
        byT = true;
        dir = dT > 0 ? 1 : -1;
        hP = h;
        h = std::fabs(dT);
      } else if (byT && std::fabs(dP) > 2 * std::fabs(dT) && dP > 0) {
        byT = false;
        h = dP;
      }
      if (lnK < kCriticalLnK) {
        critical = true;
        break;
      }
    }
    if (reason.empty() && !critical) reason = "the step cannot be made smaller";
    return pts;
  };
  bool atCritical[2] = {false, false};
  std::vector<Point> curve[2] = {trace(0, endReason[0], atCritical[0]),
                                 trace(1, endReason[1], atCritical[1])};

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
      double a = std::min((top - 1)->p, (top + 1)->p), b = std::max((top - 1)->p, (top + 1)->p);
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
      // In trace order, beside the warmest traced point on the side of its pressure.
      if (therm->p != top->p) {
        const bool after = (therm->p > top->p) == ((top + 1)->p > top->p);
        dew.insert(after ? top + 1 : top, *therm);
      }
    }
  }
  m_out.progress(flashes, flashes, "envelope flashes");
  m_lastFlash = keptFlash;

  std::optional<Point> bar;
  for (const auto& k : curve)
    for (const auto& pt : k)
      if (!bar || pt.p > bar->p) bar = pt;
  // Where the K-values reach 1 on a curve, or both curves end at the same place: the critical
  // point.
  std::optional<Point> critical;
  if (!curve[0].empty() && !curve[1].empty()) {
    const Point b = curve[0].back(), d = curve[1].back();
    if (atCritical[0] && !atCritical[1])
      critical = b;
    else if (atCritical[1] && !atCritical[0])
      critical = d;
    else if ((atCritical[0] && atCritical[1]) ||
             (std::fabs(b.t - d.t) <= 0.005 * d.t && std::fabs(b.p - d.p) <= 0.002 * d.p))
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
