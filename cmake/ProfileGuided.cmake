# Profile-guided optimization of the calculation and the sheet engine (GCC). A copy of them is
# built instrumented under pgo/build, cmake/pgo_train.sh runs its quorvex-calc over generated
# sheets, and the libraries and quorvex-calc are then compiled with the counts it left:
# branches laid out the way sheets take them, hot code together and cold code apart. Code the
# training run does not reach (the window's own paths among it) is optimized as usual.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  message(STATUS "QUORVEX_PGO needs GCC: building without profile guidance")
  return()
endif()

set(pgo_root ${PROJECT_BINARY_DIR}/pgo)
set(pgo_build ${pgo_root}/build)
set(pgo_profile ${pgo_root}/profile)
set(pgo_stamp ${pgo_root}/trained.stamp)
set(pgo_calc ${pgo_build}/cli/quorvex-calc)

include(ExternalProject)
# Built again (and so trained again) whenever the sources change; ninja keeps it quick when
# they did not.
ExternalProject_Add(quorvex_pgo_instrumented
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${pgo_build}
  CMAKE_ARGS
    -DCMAKE_BUILD_TYPE=Release
    -DQUORVEX_PGO=OFF
    -DQUORVEX_BUILD_GUI=OFF
    -DQUORVEX_BUILD_TESTS=OFF
    -DQUORVEX_BUILD_BENCH=OFF
    "-DCMAKE_CXX_FLAGS=-fprofile-generate=${pgo_profile} -fprofile-prefix-path=${pgo_build} -fprofile-update=atomic"
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target quorvex-calc
  BUILD_BYPRODUCTS ${pgo_calc}
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  USES_TERMINAL_BUILD ON)

add_custom_command(
  OUTPUT ${pgo_stamp}
  COMMAND ${PROJECT_SOURCE_DIR}/cmake/pgo_train.sh ${pgo_calc} ${pgo_profile} ${pgo_root}/sheets
          ${PROJECT_SOURCE_DIR}/bench/make_sheets.py ${pgo_stamp}
  DEPENDS ${pgo_calc} ${PROJECT_SOURCE_DIR}/cmake/pgo_train.sh ${PROJECT_SOURCE_DIR}/bench/make_sheets.py
  COMMENT "Training run of the instrumented quorvex-calc"
  VERBATIM)
add_custom_target(quorvex_pgo_profile DEPENDS ${pgo_stamp})
add_dependencies(quorvex_pgo_profile quorvex_pgo_instrumented)

# The same objects' paths below each build's top folder name their counts.
set(pgo_use -fprofile-use=${pgo_profile} -fprofile-prefix-path=${PROJECT_BINARY_DIR} -fprofile-partial-training
            -Wno-missing-profile)
foreach(target quorvex_tax quorvex_forms quorvex_sheets quorvex-calc)
  target_compile_options(${target} PRIVATE ${pgo_use})
  # Not through the compiler cache, which cannot tell one profile from another here.
  set_target_properties(${target} PROPERTIES CXX_COMPILER_LAUNCHER "")
  add_dependencies(${target} quorvex_pgo_profile)
  get_target_property(sources ${target} SOURCES)
  get_target_property(dir ${target} SOURCE_DIR)
  list(FILTER sources INCLUDE REGEX "\\.cpp$")
  list(TRANSFORM sources PREPEND ${dir}/)
  set_source_files_properties(${sources} TARGET_DIRECTORY ${target} PROPERTIES OBJECT_DEPENDS ${pgo_stamp})
endforeach()
