# The start-up helper's probe, built beside the test program; the test plants the process
# tests' stand-in PSAPI.DLL beside a copy of it.
add_executable(common_test_dll_probe WIN32 ${dir}/helpers/dll_probe.cpp)
target_link_libraries(common_test_dll_probe PRIVATE mw_common)
add_dependencies(${target} common_test_dll_probe system_test_planted_psapi)
target_compile_definitions(${target} PRIVATE
  MW_PLANTED_PSAPI="${CMAKE_CURRENT_BINARY_DIR}/system_planted/psapi.dll")
