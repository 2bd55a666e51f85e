#pragma once
//! The host driver's case file: one command per line, run in order.
//!
//!   # a comment
//!   package  CORavlPR.PackageManager.1 :: Natural Gas (PR)     the package a person would pick
//!   option   doOrderPhases = true                              an edit in the setup view
//!   setup                                                      finish the package setup
//!   compounds methane, ethane, propane                         the simulator's fluid package
//!   compounds Methane [74-82-8], CO2 [124-38-9]                 the simulator's own names and
//!                                                               CAS numbers
//!   properties vapour T=250 P=5000 x=0.9,0.1 props=Enthalpy,Cp derivatives=dT,dP
//!   kvalues  T=250 P=5000 x=... y=...                           K = phi_liquid / phi_vapour
//!   flash    PT 250 5000 z=0.9,0.1                              a flash of the host's types
//!   sweep    PT T=200:300:11 P=5000 z=0.9,0.1                   a flash series, with progress
//!   order                                                       order the last flash's phases
//!   save     case.sav  /  recall case.sav                      the socket's text; the fluid
//!                                                               package goes beside it in
//!                                                               case.sav.fluid, as a simulator
//!                                                               keeps its own part of a case
//!
//! Units are the simulator's: K, kPa, kJ/kmol, kJ/kmol/K.

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace coravl::driver {

struct Command {
  int line = 0;
  std::string verb;                          //!< lower case
  std::string rest;                          //!< the text after the verb, trimmed
  std::vector<std::string> words;            //!< positional words (no '=')
  std::map<std::string, std::string> named;  //!< key=value words, keys lower case
};

//! Parses a case; throws std::runtime_error naming `origin` and the line for a bad line.
std::vector<Command> parseCase(const std::string& text, const std::string& origin);

//! A comma-separated list of numbers; throws std::runtime_error for a bad number.
std::vector<double> parseNumbers(const std::string& text);
//! A number; throws std::runtime_error.
double parseNumber(const std::string& text);
//! A comma-separated list of names, trimmed.
std::vector<std::string> parseNames(const std::string& text);

//! The case run when no file is given: the Peng-Robinson natural gas.
const char* defaultCase();

}  // namespace coravl::driver
