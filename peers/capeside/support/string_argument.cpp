#include "capeside/support/string_argument.h"

#include "capeside/support/cape_error.h"
#include "capeside/support/variant_lists.h"
#include "outside/capeopen_errors.h"

namespace capeside {

std::vector<std::string> stringArgument(const VARIANT& v, SHORT position, const char* what,
                                        const char* scope) {
  auto list = stringList(v);
  if (!list)
    throw CapeError(ECapeInvalidArgumentHR, scope, cat(what, " is not a list of strings"))
        .at(position);
  return *list;
}

}  // namespace capeside
