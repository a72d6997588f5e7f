# Installs the build into PREFIX and checks what a user gets there: gsmith
# compiles DESIGN, gsmith-jed reads the result, and both manual pages format
# without a warning (with groff or mandoc, whichever the machine has).
#   cmake -DBUILD_DIR=build -DPREFIX=/tmp/p -DBINDIR=bin -DMANDIR=share/man \
#         -DDESIGN=examples/gal16v8-decoder.pld -P tests/install/install-check.cmake
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0 OR NOT err STREQUAL "")
    message(FATAL_ERROR "${ARGN}\nexit status ${status}\n${out}${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE "${PREFIX}")
run("${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}")

file(COPY "${DESIGN}" DESTINATION "${PREFIX}/work")
get_filename_component(name "${DESIGN}" NAME_WE)
run("${PREFIX}/${BINDIR}/gsmith" "${PREFIX}/work/${name}.pld")
run("${PREFIX}/${BINDIR}/gsmith-jed" info "${PREFIX}/work/${name}.jed")
if(NOT out MATCHES "GAL16V8")
  message(FATAL_ERROR "gsmith-jed info did not name the device:\n${out}")
endif()

find_program(GROFF groff)
find_program(MANDOC mandoc)
foreach(page gsmith.1 gsmith-jed.1)
  set(path "${PREFIX}/${MANDIR}/man1/${page}")
  if(NOT EXISTS "${path}")
    message(FATAL_ERROR "${path} was not installed")
  elseif(GROFF)
    run("${GROFF}" -man -Tutf8 -ww -z "${path}")
  elseif(MANDOC)
    run("${MANDOC}" -Tlint -Wwarning "${path}")
  endif()
endforeach()
