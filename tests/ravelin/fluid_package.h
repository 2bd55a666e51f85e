#pragma once
//! A small fluid package for the tests: three library compounds with some constants.

#include "ravelin/compound.h"

namespace ravelintest {

inline ravelin::CompoundList threeCompounds() {
  return ravelin::CompoundList::create({
      ravelin::Compound::create(
          {"Methane", "74-82-8", "CH4", 2, {{"MW", 16.043}, {"NBP", 111.66}, {"TC", 190.56}}}),
      ravelin::Compound::create(
          {"Propane", "74-98-6", "C3H8", 4, {{"MW", 44.097}, {"NBP", 231.02}}}),
      ravelin::Compound::create(
          {"Water", "7732-18-5", "H2O", 62, {{"MW", 18.015}, {"NBP", 373.15}}}),
  });
}

}  // namespace ravelintest
