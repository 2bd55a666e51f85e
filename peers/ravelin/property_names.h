#pragma once
//! The process-wide table of host property names and ids that every property registry object
//! answers from.
//!
//! The table starts with every name the host knows (state, phase properties, derivative
//! variables, compound constant codes, flash options) in a fixed order, so a name has the same
//! id in every run; names added later get the next free id. Names compare ignoring ASCII case.

#include <string>
#include <string_view>
#include <vector>

#include "comlite/types.h"
#include "outside/ravelin_registry.h"
#include "ravelin/api.h"

namespace ravelin {

//! Id of a name, or kNoPropertyId when unknown.
RAVELIN_API LONG propertyId(std::string_view name);
//! Id of a name; throws std::invalid_argument naming it when unknown.
RAVELIN_API LONG requirePropertyId(std::string_view name);
//! Id of a name, adding it when unknown. Throws std::invalid_argument for an empty name.
RAVELIN_API LONG addPropertyName(std::string_view name);
//! True when the id is a known name's; never waits for another thread.
RAVELIN_API bool isPropertyId(LONG id);
//! Name of an id as first registered; "" when unknown.
RAVELIN_API std::string propertyName(LONG id);
//! Every known name, in id order.
RAVELIN_API std::vector<std::string> knownPropertyNames();

}  // namespace ravelin
