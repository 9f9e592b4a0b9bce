# The determinism digest program: every fuzz checker, with the reference
# algorithms, run on its committed corpus and seeded inputs. One definition
# for the test build (tests/) and the ThreadSanitizer build (tests/tsan).
include(${CMAKE_CURRENT_LIST_DIR}/../fuzz/FuzzListed.cmake)

function(tavgeo_add_digest)
  get_filename_component(tests ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/.. ABSOLUTE)
  file(GLOB sources CONFIGURE_DEPENDS ${tests}/reference/*.cpp ${tests}/fuzz/fuzz_*.cpp)
  # The sources from outside the library that checkers name in "// sources:".
  get_filename_component(root ${tests}/.. ABSOLUTE)
  tavgeo_fuzz_extra_sources("${sources}" ${root} extra)
  list(APPEND sources ${extra})
  add_executable(tavgeo_digest ${tests}/digest/tavgeo_digest.cpp ${sources})
  find_package(Threads REQUIRED)
  target_link_libraries(tavgeo_digest PRIVATE TavGeometry TavLog Threads::Threads)
  target_include_directories(tavgeo_digest PRIVATE ${tests} ${tests}/fuzz ${tests}/../src ${tests}/../tools)
  target_compile_definitions(tavgeo_digest PRIVATE TAVFUZZ_IN_TESTS TAVFUZZ_CORPUS_DIR="${tests}/fuzz/corpus")
  target_compile_options(tavgeo_digest PRIVATE ${TAVGEO_FP_FLAGS} -Wall -Wextra)
endfunction()
