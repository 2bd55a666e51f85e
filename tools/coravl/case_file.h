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
//!   sweep    PT T=200:300:11 P=5000 z=0.9,0.1 [y=T|P|VF] [--svg sweep.svg]
//!                                                               a flash series, with progress;
//!                                                               --svg draws y (default VF)
//!   envelope z=0.9,0.1 [pmin=100] [ratio=1.25] [--svg envelope.svg]
//!                                                               bubble and dew curves from
//!                                                               pmin up, in pressure steps of
//!                                                               ratio; cricondenbar,
//!                                                               cricondentherm, critical point
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
//! A finite number; throws std::runtime_error.
double parseNumber(const std::string& text);
//! The text with control bytes shown as \xNN, cut to a length a message can hold.
std::string printable(const std::string& text);
//! The value of key=; throws std::runtime_error naming the missing key.
const std::string& need(const Command& c, const std::string& key);
//! Throws std::runtime_error for a key= not in `keys` (lower case) or more than `maxWords`
//! positional words (the file after --svg not counted).
void checkArguments(const Command& c, const std::vector<std::string>& keys, std::size_t maxWords);
//! A comma-separated list of names, trimmed.
std::vector<std::string> parseNames(const std::string& text);

//! The case run when no file is given: the Peng-Robinson natural gas.
const char* defaultCase();

}  // namespace coravl::driver
