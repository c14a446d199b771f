# nubivu_area(NAME <area> [QT <Qt components>] [DEPS <targets>] [SUBDIRS <folders>])
# One static library per source folder, built from every file in it and in the
# named subfolders, so that adding a file to an area needs no edit here.
function(nubivu_area)
  cmake_parse_arguments(A "" "NAME" "QT;DEPS;SUBDIRS" ${ARGN})
  set(sources)
  foreach(dir ${CMAKE_CURRENT_SOURCE_DIR} ${A_SUBDIRS})
    cmake_path(ABSOLUTE_PATH dir BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR})
    file(GLOB dir_sources CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.c ${dir}/*.h ${dir}/*.qrc)
    list(APPEND sources ${dir_sources})
  endforeach()
  list(FILTER sources EXCLUDE REGEX "\\.h$")
  if(NOT sources)
    add_library(nubivu_${A_NAME} INTERFACE)
    set(scope INTERFACE)
  else()
    add_library(nubivu_${A_NAME} STATIC ${sources})
    set(scope PUBLIC)
    target_compile_options(nubivu_${A_NAME} PRIVATE ${NUBIVU_WARNINGS})
  endif()
  target_include_directories(nubivu_${A_NAME} ${scope} ${PROJECT_SOURCE_DIR}/src)
  foreach(qt ${A_QT})
    target_link_libraries(nubivu_${A_NAME} ${scope} Qt6::${qt})
  endforeach()
  target_link_libraries(nubivu_${A_NAME} ${scope} ${A_DEPS})
endfunction()

# nubivu_test(<area> LIBS <targets>): every *.cpp in tests/<area> becomes one
# Qt Test executable tst_<area>, run headless by CTest.
function(nubivu_test area)
  cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_executable(tst_${area} ${sources} ${PROJECT_SOURCE_DIR}/tests/testrunner.cpp)
  set_target_properties(tst_${area} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_include_directories(tst_${area} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(tst_${area} PRIVATE ${T_LIBS} Qt6::Test Qt6::Widgets)
  target_compile_options(tst_${area} PRIVATE ${NUBIVU_WARNINGS})
  target_compile_definitions(tst_${area} PRIVATE
      NUBIVU_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
      NUBIVU_CORPUS_DIR="${PROJECT_SOURCE_DIR}/../shared/corpus"
      NUBIVU_RUNTIME_DIR="${NUBIVU_RUNTIME_DIR}")
  add_test(NAME ${area} COMMAND tst_${area})
  set_tests_properties(${area} PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8"
      SKIP_RETURN_CODE 77 TIMEOUT 900)
endfunction()
