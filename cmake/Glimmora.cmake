# Helpers shared by every subsystem's CMakeLists.txt.

set(GLIM_WARNINGS -Wall -Wextra -Wnon-virtual-dtor)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # GCC 12 reports "literal" + std::string at -O2 and above as an overlapping copy
  # (GCC bug 105329), so -Wrestrict only makes noise there.
  list(APPEND GLIM_WARNINGS -Wshadow=local -Wno-restrict)
endif()
if(GLIM_WERROR)
  list(APPEND GLIM_WARNINGS -Werror)
endif()

if(GLIM_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(GLIM_FUZZ)
  # Everything gets coverage instrumentation; only the fuzz targets link the fuzzer's main.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# glim_library(<name> SOURCES <files...> [DEPS <targets...>] [PRIVATE_DEPS <targets...>])
# A subsystem library; its folder's parent is on the include path, so headers are
# included as "foundation/QelParser.h".
function(glim_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${GLIM_WARNINGS})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
endfunction()

# glim_executable(<name> SOURCES <files...> [DEPS <targets...>])
function(glim_executable name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${GLIM_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
endfunction()

# glim_test(<name> SOURCES <files...> [DEPS <targets...>])
# One GoogleTest binary per subsystem; each test case becomes a CTest test.
function(glim_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  find_package(GTest REQUIRED)
  add_executable(${name} ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${GLIM_WARNINGS})
  target_compile_definitions(${name} PRIVATE GLIM_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/data")
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main GTest::gmock)
  include(GoogleTest)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST NO_PRETTY_VALUES WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endfunction()

# glim_fuzzer(<name> SOURCES <files...> [DEPS <targets...>])
function(glim_fuzzer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endfunction()
