#pragma once
//! A small x-y chart written as SVG: lines of data points, a few marked points, axes with
//! ticks, units and a legend. The lines are drawn in data units under one transform, so the
//! points of a line in the file are the very values of the table it comes from.

#include <string>
#include <utility>
#include <vector>

namespace coravl::driver {

struct PlotLine {
  std::string name;
  std::string colour;
  std::vector<std::pair<double, double>> points;  //!< x, y in data units
};

struct PlotMark {
  std::string name;
  std::string colour;
  double x = 0, y = 0;
};

struct Plot {
  std::string title;
  std::string xLabel, yLabel;  //!< with their units, e.g. "T [K]"
  std::vector<PlotLine> lines;
  std::vector<PlotMark> marks;
};

//! The SVG text of the chart. Non-finite points are left out.
std::string renderSvg(const Plot& plot);
//! Writes the chart to `path`; throws std::runtime_error when the file cannot be written.
void writeSvg(const Plot& plot, const std::string& path);

}  // namespace coravl::driver
