#pragma once
//! HostSession: the host driver's stand-in for the simulator. It loads the socket through the
//! class registry by ProgID, as the simulator does, builds its own phases and collections with
//! the host framework library, and runs a case's commands against the socket.

#include <optional>
#include <string>
#include <vector>

#include "case_file.h"
#include "comlite/com_ptr.h"
#include "frame/host_interfaces.h"
#include "output.h"
#include "ravelin/compound.h"
#include "ravelin/error_log.h"
#include "ravelin/flash_control.h"
#include "ravelin/phase_collection.h"
#include "support_files.h"

namespace coravl::driver {

class HostSession {
 public:
  explicit HostSession(Output& out);
  ~HostSession();

  //! Where relative file names of save and recall point (default: the session's folder).
  void setBaseFolder(std::string folder) { m_base = std::move(folder); }

  //! Runs the commands in order. Returns the number of commands that failed.
  int run(const std::vector<Command>& commands);

  //! A property of a flashed mixture of phases, from the package's values for each phase.
  struct MixtureProperty {
    const char* name;
    const char* unit;
    bool reciprocal;  //!< the reciprocal of the mixture's molar volume, not an additive value
  };

 private:
  bool execute(const Command& c);
  bool cmdPackage(const Command& c);
  bool cmdCompounds(const Command& c);
  bool cmdOption(const Command& c);
  bool cmdSetup(const Command& c);
  //! The entries of the simulator's error log, as the user reads them.
  bool cmdProperties(const Command& c);
  bool cmdKValues(const Command& c);
  bool cmdFlash(const Command& c);
  bool cmdSweep(const Command& c);
  bool cmdEnvelope(const Command& c);
  bool cmdOrder(const Command& c);
  bool cmdSave(const Command& c);
  bool cmdRecall(const Command& c);

  //! Creates the socket on first need.
  bool ensureComponent();
  //! A new socket object, nothing asked of it yet.
  void createComponent();
  //! One flash on a fresh collection; the result phases are left in `m_lastFlash`.
  HRESULT flash(tagFlashTypeEnum type, const std::vector<std::pair<std::string, double>>& specs,
                const std::vector<double>& z);
  void reportFlash(HRESULT hr);
  //! `property` of the last flash's mixture; NaN with `refused` set when the package fails.
  double mixtureValue(const MixtureProperty& property, std::string& refused);
  std::string status(HRESULT hr) const;
  //! The status with the reason the host's error log or the thread's error information holds.
  std::string why(HRESULT hr) const;
  std::string filePath(const std::string& name) const;
  //! The file named after `--svg` on the command's line, as a path; "" when none is.
  std::string svgFile(const Command& c);
  std::vector<double> composition(const Command& c, const char* key) const;

  Output& m_out;
  SupportFiles m_files;
  std::string m_base;
  comlite::ComPtr<IExtendedPropPackage> m_package;
  comlite::ComPtr<IExtendedFlash> m_flash;
  std::vector<std::string> m_compoundIds;
  std::optional<ravelin::CompoundList> m_fluid;
  std::optional<ravelin::PropertyManager> m_callback;
  std::optional<ravelin::ErrorLog> m_log;
  std::optional<ravelin::PhaseCollection> m_lastFlash;
  //! Temperature and pressure of the case's last successful flash command.
  std::optional<std::pair<double, double>> m_lastFlashPoint;
};

}  // namespace coravl::driver
