# Helpers that let each folder add its sources, tests, tools, benchmarks and fuzz targets
# without touching the files above it.

# kavelin_library(NAME DIRS d1 [d2 ...] [DEPS t1 ...] [PRIVATE_DEPS t1 ...])
# Builds a static library from every .cpp below the given source folders. A library whose
# folders hold no source yet is an INTERFACE library, so dependants link either way. A
# `testing` folder below a given one holds test doubles: it is left out, and built as a
# library of its own (kavelin_platform_testing, kavelin_ui_testing) that only tests, the
# gallery and the benchmarks link.
function(kavelin_library name)
  cmake_parse_arguments(ARG "" "" "DIRS;DEPS;PRIVATE_DEPS" ${ARGN})
  set(sources "")
  foreach(dir IN LISTS ARG_DIRS)
    get_filename_component(root "${dir}" ABSOLUTE)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS "${dir}/*.cpp" "${dir}/*.h")
    foreach(file IN LISTS found)
      file(RELATIVE_PATH relative "${root}" "${file}")
      if(NOT relative MATCHES "(^|/)testing/")
        list(APPEND sources ${file})
      endif()
    endforeach()
  endforeach()
  set(cpp_sources ${sources})
  list(FILTER cpp_sources INCLUDE REGEX "\\.cpp$")
  if(cpp_sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${KAVELIN_SOURCE_ROOT})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
    target_compile_options(${name} PRIVATE ${KAVELIN_WARNINGS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${KAVELIN_SOURCE_ROOT})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# kavelin_include_direction(TARGET FOLDER ui/x [MAY_INCLUDE ui/a ...])
# Before TARGET builds, checks that the files below src/FOLDER include no window folder ("ui/...")
# but their own and those named (cmake/check_include_direction.cmake): the windows' folders build
# on each other in one direction. A change to any of the files checks them again.
function(kavelin_include_direction target)
  cmake_parse_arguments(ARG "" "FOLDER" "MAY_INCLUDE" ${ARGN})
  set(dir ${KAVELIN_SOURCE_ROOT}/${ARG_FOLDER})
  file(GLOB_RECURSE files CONFIGURE_DEPENDS "${dir}/*.cpp" "${dir}/*.h")
  set(script ${PROJECT_SOURCE_DIR}/cmake/check_include_direction.cmake)
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}_include_direction.stamp)
  string(REPLACE ";" "," may "${ARG_MAY_INCLUDE}")
  add_custom_command(
    OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DFOLDER=${dir} -DNAME=${ARG_FOLDER} -DMAY_INCLUDE=${may} -P ${script}
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${files} ${script}
    COMMENT "Checking the includes of ${ARG_FOLDER}"
    VERBATIM)
  add_custom_target(${target}_include_direction DEPENDS ${stamp})
  add_dependencies(${target} ${target}_include_direction)
endfunction()

# The processor classes the dispatch knows, as the per-class test programs name them.
set(KAVELIN_CPU_CLASSES generic sse sse2 sse3)

# kavelin_test(NAME SOURCES s1 ... DEPS t1 ... [LABELS l1 ...] [PER_CPU_CLASS])
# One GoogleTest executable registered with CTest test by test. A test of the platform layer or
# of what builds on it links the platform's test doubles; a test of the windows also theirs.
# PER_CPU_CLASS: the program's main forces one processor class's primitive forms, named by
# --cpu-class=NAME, and every test of the program is registered once per class, its name
# prefixed with the class ("sse2/Suite.Name") and labelled cpu_NAME.
function(kavelin_test name)
  cmake_parse_arguments(ARG "PER_CPU_CLASS" "" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  set(doubles "")
  foreach(layer IN ITEMS kavelin_platform kavelin_engine kavelin_ui)
    if(layer IN_LIST ARG_DEPS AND TARGET kavelin_platform_testing)
      set(doubles kavelin_platform_testing)
    endif()
  endforeach()
  if(kavelin_ui IN_LIST ARG_DEPS AND TARGET kavelin_ui_testing)
    list(APPEND doubles kavelin_ui_testing)
  endif()
  if(ARG_PER_CPU_CLASS)
    set(main kavelin_cpu_class_main)
  else()
    set(main GTest::gtest_main)
  endif()
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} ${doubles} ${main} GTest::gmock
                        Threads::Threads)
  target_include_directories(${name} PRIVATE ${KAVELIN_SOURCE_ROOT} ${KAVELIN_TESTS_ROOT})
  target_compile_options(${name} PRIVATE ${KAVELIN_WARNINGS})
  if(NOT ARG_PER_CPU_CLASS)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS "${ARG_LABELS}")
    return()
  endif()
  foreach(class IN LISTS KAVELIN_CPU_CLASSES)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 TEST_PREFIX "${class}/"
                         EXTRA_ARGS --cpu-class=${class}
                         PROPERTIES LABELS "${ARG_LABELS};cpu_${class}")
  endforeach()
endfunction()

# Adds every direct subfolder of the current folder that has a CMakeLists.txt, but those named
# after EXCEPT.
function(kavelin_add_subfolders)
  cmake_parse_arguments(ARG "" "" "EXCEPT" ${ARGN})
  file(GLOB children RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*/CMakeLists.txt)
  list(SORT children)
  foreach(child IN LISTS children)
    get_filename_component(dir ${child} DIRECTORY)
    if(NOT dir IN_LIST ARG_EXCEPT)
      add_subdirectory(${dir})
    endif()
  endforeach()
endfunction()

# kavelin_fuzz(NAME SOURCES s1 ... DEPS t1 ...)
# A libFuzzer target fuzz_NAME; its seed corpus lives in fuzz/corpus/NAME/.
function(kavelin_fuzz name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(fuzz_${name} ${ARG_SOURCES})
  target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(fuzz_${name} PRIVATE ${ARG_DEPS})
endfunction()
