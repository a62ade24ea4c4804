# A test of the include check itself: run it on a small tree of deliberately
# wrong includes and require that it fails and names each one by file and
# line, and nothing else.
#
#   cmake -DCHECK=<check_includes.cmake> -DROOT=<wrong tree> -P tools/check_includes_test.cmake

cmake_minimum_required(VERSION 3.20)

execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${ROOT} -P ${CHECK}
  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
set(all "${out}${err}")
if(result EQUAL 0)
  message(FATAL_ERROR "the include check passed a tree of wrong includes:\n${all}")
endif()

set(expected
  "game/tick.cpp:2: includes \"app/cli.h\": game may not include app"
  "level/loader.cpp:5: includes \"sim/movement.h\": level may not include sim"
  "render/passes.cpp:2: includes \"render/gl/gl_device.h\": only app/ names a backend"
  "render/passes.cpp:3: includes \"sim/state.h\": sim/ and the render passes sit side by side"
  "sim/step.cpp:2: includes <SDL.h>: SDL, GL and AL headers belong in platform/ and the backends"
  "include check: 5 include(s) break the layers")
foreach(line IN LISTS expected)
  string(FIND "${all}" "${line}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the include check did not say\n  ${line}\nit said:\n${all}")
  endif()
endforeach()
message(STATUS "the include check names every wrong include")
