# Helpers that give every target the same language level, warnings and sanitizers.

function(tavero_configure_target target)
  target_compile_features(${target} PUBLIC cxx_std_20)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(TAVERO_SANITIZE)
    target_compile_options(${target} PUBLIC -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(${target} PUBLIC -fsanitize=address,undefined)
  endif()
endfunction()

# Test code is built without optimisation: the code it tests is optimised in
# its own libraries, and the tests build in half the time. Qt Test's paths
# for finding test data, unused here, differ by folder and would keep every
# test from reusing the precompiled headers of tests/support.
function(tavero_configure_test_target target)
  tavero_configure_target(${target})
  target_compile_options(${target} PRIVATE -O0 -UQT_TESTCASE_BUILDDIR -UQT_TESTCASE_SOURCEDIR)
endfunction()

# One static library per source folder. Layering is expressed by the
# libraries each folder links, so a folder cannot reach above itself.
function(tavero_add_library target)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS;PRIVATE_DEPENDS" ${ARGN})
  add_library(${target} STATIC ${ARG_SOURCES})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC ${ARG_DEPENDS} PRIVATE ${ARG_PRIVATE_DEPENDS})
  tavero_configure_target(${target})
endfunction()
