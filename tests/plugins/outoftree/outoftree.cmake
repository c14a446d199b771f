# Installs the build into a prefix of its own, builds the example plug-in
# from docs/plugin-example against it twice (CMake package, pkg-config), and
# has the host load and use both builds.
# -DBUILD_DIR -DSOURCE_DIR -DWORK_DIR -DLOADER -DCC
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${ARGN}\n${out}")
  endif()
  message(STATUS "${out}")
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/docs/plugin-example -B ${WORK_DIR}/cmake -G Ninja
    -DCMAKE_C_COMPILER=${CC} -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=Release)
run(${CMAKE_COMMAND} --build ${WORK_DIR}/cmake)

set(ENV{PKG_CONFIG_PATH} ${prefix}/lib/pkgconfig)
execute_process(COMMAND pkg-config --cflags --libs nubivu-plugin OUTPUT_VARIABLE flags
                RESULT_VARIABLE result OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "pkg-config does not find nubivu-plugin in ${prefix}")
endif()
separate_arguments(flags UNIX_COMMAND "${flags}")
file(MAKE_DIRECTORY ${WORK_DIR}/pkgconfig)
run(${CC} -shared -fPIC -fvisibility=hidden -Wall -Wextra -Werror -o ${WORK_DIR}/pkgconfig/ifppm.spi
    ${SOURCE_DIR}/docs/plugin-example/ifppm.c ${flags})

file(WRITE ${WORK_DIR}/sample.ppm "P6\n2 1\n255\nABCDEF")
run(${LOADER} ${WORK_DIR}/cmake/ifppm.spi ${WORK_DIR}/sample.ppm)
run(${LOADER} ${WORK_DIR}/pkgconfig/ifppm.spi ${WORK_DIR}/sample.ppm)
