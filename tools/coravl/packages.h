#pragma once
//! `coravl packages`: what a person sees in the package selection dialog. Every CAPE-OPEN 1.1
//! package manager of the class registry with the packages it offers, every stand-alone
//! CAPE-OPEN 1.1 package, and each package's compounds.

#include <string>
#include <vector>

#include "comlite/variant.h"
#include "output.h"

namespace coravl::driver {

//! Prints the managers and packages; returns the number of components that could not be asked.
int listPackages(Output& out);

//! The texts of a one-dimensional string array; empty for anything else.
std::vector<std::string> strings(const VARIANT& v);

}  // namespace coravl::driver
