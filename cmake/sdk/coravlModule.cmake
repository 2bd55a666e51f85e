# coravl_add_package(<name> <sources...>)
# A CAPE-OPEN in-process module: a shared library that exports DllGetClassObject,
# DllCanUnloadNow, DllRegisterServer and DllUnregisterServer and nothing else, so that the
# host's symbols and the package's never interpose. Link what it needs afterwards, e.g.
#   target_link_libraries(<name> PRIVATE coravl::cape_support)
function(coravl_add_package name)
  add_library(${name} MODULE ${ARGN})
  set_target_properties(${name} PROPERTIES PREFIX "lib" CXX_VISIBILITY_PRESET hidden
                                           VISIBILITY_INLINES_HIDDEN ON)
  set(_script ${CMAKE_CURRENT_BINARY_DIR}/${name}.exports)
  file(WRITE ${_script} "{\n  global: DllGetClassObject; DllCanUnloadNow; DllRegisterServer; "
                        "DllUnregisterServer;\n  local: *;\n};\n")
  target_link_options(${name} PRIVATE "LINKER:--version-script=${_script}")
  set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS ${_script})
endfunction()
