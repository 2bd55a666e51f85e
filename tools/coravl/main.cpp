//! coravl: the host driver. It loads the socket exactly as the simulator does (through the class
//! registry by ProgID) and drives it from a case file: package and compounds, options, property
//! requests with derivatives, K-values, flashes and sweeps, phase ordering, save and recall.
//!
//!   coravl [--json | --csv] [case-file]   without a file, the embedded default case runs
//!   coravl [--json | --csv] packages      the registered CAPE-OPEN 1.1 package managers and
//!                                         packages, with each package's compounds
//!   coravl --print-default-case      shows the embedded case, to start a case file from
//!
//! Exit code: 0 when every command succeeded, 1 when some failed, 2 for bad usage or a case
//! that cannot be read or set up.

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

#include "case_file.h"
#include "comlite/notice.h"
#include "comlite/platform.h"
#include "host_session.h"
#include "output.h"
#include "packages.h"
#include "support_files.h"

namespace {

int usage() {
  std::fprintf(stderr,
               "usage: coravl [--json | --csv] [case-file]\n"
               "       coravl [--json | --csv] packages\n"
               "       coravl --print-default-case\n"
               "Runs a case against the CAPE-OPEN 1.1 socket CORavl11.PropPkg; without a case "
               "file, the embedded default case.\n");
  return 2;
}

std::string selfPath() {
  char buf[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return {};
  buf[n] = '\0';
  return buf;
}

}  // namespace

int main(int argc, char** argv) {
  auto format = coravl::driver::Output::Format::Table;
  const char* file = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--json") == 0) {
      format = coravl::driver::Output::Format::Json;
    } else if (std::strcmp(argv[i], "--csv") == 0) {
      format = coravl::driver::Output::Format::Csv;
    } else if (std::strcmp(argv[i], "--print-default-case") == 0) {
      std::fputs(coravl::driver::defaultCase(), stdout);
      return 0;
    } else if (argv[i][0] == '-' || file) {
      return usage();
    } else {
      file = argv[i];
    }
  }

  coravl::driver::Output out(format);
  if (file && std::strcmp(file, "packages") == 0) {
    try {
      const std::string registry = coravl::driver::SupportFiles::prepareRegistry(selfPath());
      std::fprintf(stderr, "coravl: class registry %s\n", registry.c_str());
      return coravl::driver::listPackages(out) ? 1 : 0;
    } catch (const std::exception& e) {
      std::fprintf(stderr, "coravl: %s\n", e.what());
      return 2;
    }
  }
  try {
    std::string text = coravl::driver::defaultCase(), origin = "default case";
    if (file) {
      std::ifstream in(file);
      if (!in) throw std::runtime_error(std::string("cannot read ") + file);
      std::stringstream ss;
      ss << in.rdbuf();
      text = ss.str();
      origin = file;
    }
    const auto commands = coravl::driver::parseCase(text, origin);
    const std::string registry = coravl::driver::SupportFiles::prepareRegistry(selfPath());
    std::fprintf(stderr, "coravl: class registry %s\n", registry.c_str());
    // The socket's message boxes are shown as notices on the standard error stream.
    comlite::setNoticeSink(
        [&out](const std::string& t, const std::string& title, UINT) { out.notice(title, t); });
    coravl::driver::HostSession session(out);
    // Relative file names of a case file are beside it; the default case keeps its files in
    // the session's own folder.
    if (file) {
      const std::string f(file);
      const auto slash = f.rfind('/');
      session.setBaseFolder(slash == std::string::npos ? "." : f.substr(0, slash));
    }
    const int failed = session.run(commands);
    std::fprintf(stderr,
                 "coravl: %zu commands, %d failed; the socket traces to %s/SelvarTech/Selvar "
                 "Quorel CAPE-OPEN/CORavl11.trc (or CORavl11.trc in %s)\n",
                 commands.size(), failed, comlite::localAppDataFolder().c_str(),
                 comlite::tempFolder().c_str());
    return failed ? 1 : 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "coravl: %s\n", e.what());
    return 2;
  }
}
