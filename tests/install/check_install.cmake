# Script run by CTest: install, then build and run the consumers against the
# installed tree. Any failing step fails the test with its output.
function(run_step what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${what} failed (${rc}):\n${out}\n${err}")
  endif()
  set(step_output "${out}" PARENT_SCOPE)
endfunction()

set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
separate_arguments(extra UNIX_COMMAND "${EXTRA_FLAGS}")

run_step("install" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

file(GLOB soname_link ${prefix}/lib*/libkorva.so.1 ${prefix}/lib*/*/libkorva.so.1)
if(NOT soname_link)
  message(FATAL_ERROR "the versioned library libkorva.so.1 was not installed")
endif()
list(GET soname_link 0 soname_link)
get_filename_component(libdir ${soname_link} DIRECTORY)

# The installed program must find its library on its own: the scratch prefix
# is unknown to the dynamic loader, and no search path is given.
unset(ENV{LD_LIBRARY_PATH})
file(GLOB korva_program ${prefix}/bin/korva)
if(NOT korva_program)
  message(FATAL_ERROR "the korva program was not installed in ${prefix}/bin")
endif()
run_step("installed korva --version" ${korva_program} --version)
if(NOT step_output MATCHES "^korva 1\\.0\\.0\\.0\n$")
  message(FATAL_ERROR "unexpected output of korva --version:\n${step_output}")
endif()
run_step("installed korva solving the diet model" ${korva_program} ${EXAMPLE_MODEL} --quiet)
if(NOT step_output MATCHES "Status     : optimal\nObjective  : 1\\.8685714286e\\+00\n")
  message(FATAL_ERROR "unexpected output of korva on the diet model:\n${step_output}")
endif()

# C99 through pkg-config; the header must also pass a pedantic C++ compile.
file(GLOB_RECURSE pc_file ${prefix}/*/korva.pc)
get_filename_component(pc_dir ${pc_file} DIRECTORY)
set(ENV{PKG_CONFIG_PATH} ${pc_dir})
run_step("pkg-config" ${PKG_CONFIG} --cflags --libs korva)
string(STRIP "${step_output}" pc_flags)
separate_arguments(pc_flags UNIX_COMMAND "${pc_flags}")
run_step("C99 build" ${C_COMPILER} -std=c99 -pedantic -Wall -Wextra -Werror ${extra}
         ${SOURCE_DIR}/consumer.c -o ${WORK_DIR}/consumer_c ${pc_flags})
run_step("C++ header build" ${CXX_COMPILER} -std=c++11 -pedantic -Wall -Wextra -Werror ${extra}
         -c ${SOURCE_DIR}/header_cxx.cpp -o ${WORK_DIR}/header_cxx.o ${pc_flags})
set(ENV{LD_LIBRARY_PATH} ${libdir})
run_step("C99 run" ${WORK_DIR}/consumer_c)
if(NOT step_output MATCHES "KORVA Error  1001: Out of memory")
  message(FATAL_ERROR "unexpected output of the C program:\n${step_output}")
endif()

# A CMake project that finds the package and links korva::korva.
run_step("find_package configure" ${CMAKE_COMMAND} -S ${SOURCE_DIR}/consumer
         -B ${WORK_DIR}/cmake-build -G ${GENERATOR} -DCMAKE_PREFIX_PATH=${prefix}
         -DCMAKE_C_COMPILER=${C_COMPILER} "-DCMAKE_C_FLAGS=${EXTRA_FLAGS}")
run_step("find_package build" ${CMAKE_COMMAND} --build ${WORK_DIR}/cmake-build)
run_step("find_package run" ${WORK_DIR}/cmake-build/consumer)
if(NOT step_output MATCHES "version 1\\.0\\.0\\.0")
  message(FATAL_ERROR "unexpected output of the CMake consumer:\n${step_output}")
endif()
