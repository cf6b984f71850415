# The wizard reads its pictures and licence from the program's own resources.
target_link_libraries(windows_app_tests PRIVATE mw_resources)
