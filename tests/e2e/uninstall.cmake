# Uninstall scenarios (uninstall_e2e.py) in the e2e prefix, after the installer's own
# scenarios; each one that builds on the state of the previous depends on it.
add_executable(e2e_uninstall_probe ${CMAKE_CURRENT_LIST_DIR}/uninstall_probe.cpp)
target_compile_options(e2e_uninstall_probe PRIVATE -municode)
target_link_options(e2e_uninstall_probe PRIVATE -municode)
target_link_libraries(e2e_uninstall_probe PRIVATE user32)

set(_mw_previous e2e_signed)
foreach(scenario uninstall_no uninstall_yes uninstall_second uninstall_partial uninstall_held
                 install_killed uninstall_killed)
  add_test(NAME e2e_${scenario}
    COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/uninstall_e2e.py ${scenario}
            --build ${CMAKE_BINARY_DIR} --source ${CMAKE_SOURCE_DIR} --prefix ${E2E_PREFIX})
  set_tests_properties(e2e_${scenario} PROPERTIES FIXTURES_REQUIRED e2e_prefix
    RESOURCE_LOCK "e2e;wineprefix" TIMEOUT 600 DEPENDS ${_mw_previous})
  set(_mw_previous e2e_${scenario})
endforeach()
