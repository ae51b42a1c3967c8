# A test or benchmark source that no target builds passes silently: it is
# simply never compiled. These checks make such a file fail the configure.

# orv_bench_sources(OUT): the benchmark sources, one executable each; the
# benchmark folder builds exactly these.
function(orv_bench_sources out)
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/bench/*/bench_*.cpp)
  set(${out} ${sources} PARENT_SCOPE)
endfunction()

# Every source file of the targets defined in DIR and below it, as absolute paths.
function(orv_built_sources dir out)
  set(found "")
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target ${targets})
    get_target_property(sources ${target} SOURCES)
    get_target_property(source_dir ${target} SOURCE_DIR)
    foreach(source ${sources})
      get_filename_component(path ${source} ABSOLUTE BASE_DIR ${source_dir})
      list(APPEND found ${path})
    endforeach()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir ${subdirs})
    orv_built_sources(${subdir} sub)
    list(APPEND found ${sub})
  endforeach()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

# orv_check_sources_built(): fails when a benchmark source lies where the
# benchmark folder does not look, or, with the whole suite configured, when a
# C or C++ file under tests/ belongs to no target.
function(orv_check_sources_built)
  orv_bench_sources(bench_taken)
  file(GLOB_RECURSE bench_all CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/bench/*.cpp ${PROJECT_SOURCE_DIR}/bench/*.c)
  set(missing "")
  foreach(source ${bench_all})
    if(NOT source IN_LIST bench_taken)
      list(APPEND missing ${source})
    endif()
  endforeach()
  if(ORV_TESTS AND NOT ORV_TSAN)
    orv_built_sources(${PROJECT_SOURCE_DIR}/tests tests_taken)
    file(GLOB_RECURSE tests_all CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/*.cpp ${PROJECT_SOURCE_DIR}/tests/*.c)
    foreach(source ${tests_all})
      if(NOT source IN_LIST tests_taken)
        list(APPEND missing ${source})
      endif()
    endforeach()
  endif()
  if(missing)
    list(JOIN missing "\n  " shown)
    message(FATAL_ERROR "Sources that no target builds (benchmarks go into bench/<folder>/bench_*.cpp, "
      "tests into a test folder's test_*.cpp):\n  ${shown}")
  endif()
endfunction()
