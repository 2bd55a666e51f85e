# coravl_add_package(<name> <sources...>)
# A CAPE-OPEN in-process module: a shared library that exports DllGetClassObject,
# DllCanUnloadNow, DllRegisterServer and DllUnregisterServer and nothing else, so that the
# host's symbols and the package's never interpose. Link what it needs afterwards, e.g.
#   target_link_libraries(<name> PRIVATE coravl::cape_support)
set(_coravl_module_dir ${CMAKE_CURRENT_LIST_DIR})

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

# coravl_add_registry_script(<target> <file.rgs...>)
# Registry scripts of a module written with the Windows compatibility folder: concatenated
# beside the module as <module without .so>.rgs, which its DllRegisterServer runs.
function(coravl_add_registry_script target)
  set(_scripts)
  foreach(_file IN LISTS ARGN)
    list(APPEND _scripts ${CMAKE_CURRENT_SOURCE_DIR}/${_file})
  endforeach()
  list(JOIN _scripts "|" _joined)  # one argument through the shell
  set(_out $<TARGET_FILE_DIR:${target}>/$<TARGET_FILE_PREFIX:${target}>$<TARGET_FILE_BASE_NAME:${target}>.rgs)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} "-DIN=${_joined}" -DOUT=${_out} -P ${_coravl_module_dir}/coravlConcat.cmake
    VERBATIM)
endfunction()
