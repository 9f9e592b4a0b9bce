# Installs the build tree into an unusual prefix under WORK_DIR, builds examples/
# and a consumer of TavGeometry::TavGeometry alone against it as outside projects
# would (the consumer also through the pkg-config file), runs them and checks
# their output.
file(REMOVE_RECURSE ${WORK_DIR})
# An unusual prefix (a space, two levels deep) with no LD_LIBRARY_PATH.
set(prefix "${WORK_DIR}/odd prefix/opt")

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}\n${err}")
  endif()
  set(LAST_OUTPUT "${out}" PARENT_SCOPE)
endfunction()

# Configures and builds the project in src against the prefix, runs its program
# exe with no LD_LIBRARY_PATH and checks that the output holds expected.
function(consume src bin exe expected)
  run(${CMAKE_COMMAND} -S ${src} -B ${bin}
      -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_BUILD_TYPE=Release)
  run(${CMAKE_COMMAND} --build ${bin})
  run(${CMAKE_COMMAND} -E env --unset=LD_LIBRARY_PATH ${bin}/${exe})
  string(FIND "${LAST_OUTPUT}" "${expected}" found)
  if(found EQUAL -1)
    message(FATAL_ERROR "unexpected output of ${exe}:\n${LAST_OUTPUT}")
  endif()
  set(LAST_OUTPUT "${LAST_OUTPUT}" PARENT_SCOPE)
endfunction()

# Writes dir/CMakeLists.txt: a project whose one program exe, built from
# dir/main.cpp, links the package's targets given after it.
function(write_project dir exe)
  string(JOIN " " libs ${ARGN})
  file(WRITE ${dir}/CMakeLists.txt "cmake_minimum_required(VERSION 3.25)\nproject(${exe} LANGUAGES CXX)\n"
       "find_package(TavGeometry CONFIG REQUIRED)\nadd_executable(${exe} main.cpp)\n"
       "target_link_libraries(${exe} PRIVATE ${libs})\n")
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

# A consumer that links TavGeometry::TavGeometry alone and makes the circle fit
# log a refusal, so libTavLog must be found through the installed libraries.
set(lone ${WORK_DIR}/lone)
write_project(${lone} lone TavGeometry::TavGeometry)
file(WRITE ${lone}/main.cpp [=[
#include <TavGeometry/TavGeometry.h>
#include <cstdio>
int main() {
  TavPoint pts[3] = {TavPoint(0, 0), TavPoint(1, 1), TavPoint(2, 2)};
  TavCircle c;
  double e = 0;
  int rc = NTavGeometry::pointsFitCircle(pts, 3, &c, &e);
  std::printf("lone consumer: %d\n", rc);
  return rc == 2 ? 0 : 1;
}
]=])
consume(${lone} ${lone}/build lone "lone consumer: 2")

# The same program built with the pkg-config file's flags alone, read where the
# install put it: they must name this prefix, not the configured one.
find_program(PKG_CONFIG NAMES pkg-config pkgconf REQUIRED)
get_filename_component(pcdir ${pc} DIRECTORY)
get_filename_component(libdir ${pcdir} DIRECTORY)
run(${CMAKE_COMMAND} -E env "PKG_CONFIG_PATH=${pcdir}" ${PKG_CONFIG} --cflags --libs TavGeometry)
separate_arguments(flags UNIX_COMMAND "${LAST_OUTPUT}")
run(${CXX} -std=c++17 ${lone}/main.cpp ${flags} "-Wl,-rpath,${libdir}" -o ${WORK_DIR}/lone-pc)
run(${CMAKE_COMMAND} -E env --unset=LD_LIBRARY_PATH ${WORK_DIR}/lone-pc)
string(FIND "${LAST_OUTPUT}" "lone consumer: 2" found)
if(found EQUAL -1)
  message(FATAL_ERROR "unexpected output of the pkg-config consumer:\n${LAST_OUTPUT}")
endif()
# The logging library alone, by its own pkg-config file.
file(WRITE ${WORK_DIR}/log-pc.cpp [=[
#include <TavLog/TavLog.h>
#include <cstdio>
int main() {
  CTavLog log([](unsigned int category, const std::string& text) {
    std::printf("log consumer: %u %s\n", category, text.c_str());
  });
  log.error(7, "%d words", 3);
}
]=])
run(${CMAKE_COMMAND} -E env "PKG_CONFIG_PATH=${pcdir}" ${PKG_CONFIG} --cflags --libs TavLog)
separate_arguments(flags UNIX_COMMAND "${LAST_OUTPUT}")
run(${CXX} -std=c++17 ${WORK_DIR}/log-pc.cpp ${flags} "-Wl,-rpath,${libdir}" -o ${WORK_DIR}/log-pc)
run(${CMAKE_COMMAND} -E env --unset=LD_LIBRARY_PATH ${WORK_DIR}/log-pc)
string(FIND "${LAST_OUTPUT}" "log consumer: 7 3 words" found)
if(found EQUAL -1)
  message(FATAL_ERROR "unexpected output of the TavLog pkg-config consumer:\n${LAST_OUTPUT}")
endif()

# The README's C++ tour as a program: up to its using-directive at file scope,
# the rest in main().
file(READ ${SOURCE_DIR}/README.md readme)
string(FIND "${readme}" "## API tour" at)
string(SUBSTRING "${readme}" ${at} -1 readme)
string(FIND "${readme}" "```cpp\n" at)
if(at EQUAL -1)
  message(FATAL_ERROR "README.md: no C++ block under the API tour")
endif()
math(EXPR at "${at} + 7")
string(SUBSTRING "${readme}" ${at} -1 readme)
string(FIND "${readme}" "```" at)
string(SUBSTRING "${readme}" 0 ${at} tour)
string(FIND "${tour}" "using namespace NTavGeometry;\n" at)
if(at EQUAL -1)
  message(FATAL_ERROR "README.md: the C++ tour has no using-directive")
endif()
math(EXPR at "${at} + 30")
string(SUBSTRING "${tour}" 0 ${at} head)
string(SUBSTRING "${tour}" ${at} -1 body)
set(tourdir ${WORK_DIR}/tour)
write_project(${tourdir} tour TavGeometry::TavGeometry TavGeometry::TavLog)
file(WRITE ${tourdir}/main.cpp "${head}#include <cstdio>\nint main() {\n${body}std::printf(\"tour done\\n\");\n}\n")
consume(${tourdir} ${tourdir}/build tour "tour done")

consume(${SOURCE_DIR}/examples ${WORK_DIR}/build tavgeo_example "TavGeometry 1.0.0")
message(STATUS "${LAST_OUTPUT}")
