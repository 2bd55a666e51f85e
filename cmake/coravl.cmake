# Small helpers shared by every folder.

# coravl_test(<name> SOURCES <files...> LIBS <targets...>)
# One GoogleTest binary per folder, registered with CTest as one test.
function(coravl_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "CORAVL_BUILD_DIR=${CMAKE_BINARY_DIR}")
endfunction()

# coravl_module(<name> SOURCES <files...> LIBS <targets...> [EXPORTS <symbols...>] [API])
# A COM in-process module: a shared library exporting the four module entry points and, with
# EXPORTS, the named C symbols; nothing else, so that a host's symbols and the module's never
# interpose. A module with a documented C++ API (API) exports what carries its export mark
# instead, with the static libraries it links kept inside.
function(coravl_module name)
  cmake_parse_arguments(M "API" "" "SOURCES;LIBS;EXPORTS" ${ARGN})
  add_library(${name} SHARED ${M_SOURCES})
  target_link_libraries(${name} PRIVATE ${M_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src)
  set_target_properties(${name} PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  if(M_API)
    target_link_options(${name} PRIVATE "LINKER:--exclude-libs,ALL")
  else()
    set(_symbols DllGetClassObject DllCanUnloadNow DllRegisterServer DllUnregisterServer ${M_EXPORTS})
    list(JOIN _symbols "; " _global)
    set(_script ${CMAKE_CURRENT_BINARY_DIR}/${name}.exports)
    file(WRITE ${_script} "{\n  global: ${_global};\n  local: *;\n};\n")
    target_link_options(${name} PRIVATE "LINKER:--version-script=${_script}")
    set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS ${_script})
  endif()
endfunction()

# coravl_bench(<name> SOURCES <files...> LIBS <targets...>)
function(coravl_bench name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src)
endfunction()

# coravl_add_subfolders(): every sub-folder with a CMakeLists.txt is a unit of the build, so a
# new unit needs no edit of its parent.
macro(coravl_add_subfolders)
  file(GLOB _children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT _children)
  foreach(_child IN LISTS _children)
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${_child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${_child}/CMakeLists.txt)
      add_subdirectory(${_child})
    endif()
  endforeach()
endmacro()
