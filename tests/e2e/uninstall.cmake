# The uninstall scenarios' probe: lists and moves dialog boxes, holds a file open.
add_executable(e2e_uninstall_probe ${CMAKE_CURRENT_LIST_DIR}/uninstall_probe.cpp)
target_compile_options(e2e_uninstall_probe PRIVATE -municode)
target_link_options(e2e_uninstall_probe PRIVATE -municode)
target_link_libraries(e2e_uninstall_probe PRIVATE user32)

