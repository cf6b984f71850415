# Helper programs of the process tests, built beside the test program, which finds them there.
add_executable(system_test_windowed WIN32 ${dir}/helpers/windowed.cpp)
add_executable(system_test_sleeper WIN32 ${dir}/helpers/sleeper.cpp)
target_link_libraries(system_test_sleeper PRIVATE advapi32)
add_executable(system_test_psapi_probe WIN32 ${dir}/helpers/psapi_probe.cpp ${dir}/helpers/probe.rc)
target_link_libraries(system_test_psapi_probe PRIVATE mw_system)
# The planted library lives in a folder of its own: beside the test programs it would be
# picked up by any of them that imports PSAPI.
add_library(system_test_planted_psapi SHARED ${dir}/helpers/planted_psapi.c)
set_target_properties(system_test_planted_psapi PROPERTIES
  OUTPUT_NAME psapi PREFIX ""
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/system_planted
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/system_planted
  ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/system_planted)
add_dependencies(${target} system_test_windowed system_test_sleeper system_test_psapi_probe
  system_test_planted_psapi)
