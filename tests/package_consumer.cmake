# Installs the build tree into WORK_DIR/prefix, builds examples/ against it as an
# outside project would, runs the example and checks its output and pkg-config file.
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}\n${err}")
  endif()
  set(LAST_OUTPUT "${out}" PARENT_SCOPE)
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
foreach(f include/TavGeometry/TavGeometry.h include/TavGeometry/TavGeometryExport.h
          include/TavGeometry/TavGeometryVersion.h include/TavLog/TavLog.h)
  if(NOT EXISTS ${prefix}/${f})
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()
file(GLOB pc ${prefix}/lib*/pkgconfig/TavGeometry.pc)
if(NOT pc)
  message(FATAL_ERROR "pkg-config file not installed")
endif()

run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/examples -B ${WORK_DIR}/build
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_BUILD_TYPE=Release)
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
run(${WORK_DIR}/build/tavgeo_example)
string(FIND "${LAST_OUTPUT}" "TavGeometry 1.0.0" found)
if(found EQUAL -1)
  message(FATAL_ERROR "unexpected example output:\n${LAST_OUTPUT}")
endif()
message(STATUS "${LAST_OUTPUT}")
