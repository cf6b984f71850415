# The wizard reads its pictures and licence from the program's own resources.
target_link_libraries(windows_app_tests PRIVATE mw_resources)
# The identity tests read the four built programs and the committed icon file; the test program
# carries the programs' icon group, so its windows' classes find it as the programs' do.
set(_mw_icon_rc ${CMAKE_SOURCE_DIR}/resources/ProgramIcon.rc)
target_sources(windows_app_tests PRIVATE ${_mw_icon_rc})
mw_program_identity(${_mw_icon_rc})
target_compile_definitions(windows_app_tests PRIVATE
  MW_SETUP_EXE=L"Z:$<TARGET_FILE:MarlowindSetup>"
  MW_UNINSTALLER_EXE=L"Z:$<TARGET_FILE:UninstallMW>"
  MW_MESSENGER_EXE=L"Z:$<TARGET_FILE:Marlowind>"
  MW_UPDATER_EXE=L"Z:$<TARGET_FILE:MarlUpdate>"
  MW_ICON_FILE="Z:${CMAKE_SOURCE_DIR}/resources/Marlowind.ico")
add_dependencies(windows_app_tests MarlowindSetup)
target_link_libraries(windows_app_tests PRIVATE version)
# A screen reader's view from another process: the client that reads and presses the wizard
# through its accessible objects (also used by the e2e tier).
add_executable(accessible_client ${dir}/helpers/accessible_client.cpp)
target_link_options(accessible_client PRIVATE -municode)
target_link_libraries(accessible_client PRIVATE oleacc ole32 oleaut32 uuid user32)
add_dependencies(windows_app_tests accessible_client)
target_compile_definitions(windows_app_tests PRIVATE
  MW_ACCESSIBLE_CLIENT=L"Z:$<TARGET_FILE:accessible_client>")
# The start-up benchmark reads the skin pictures from its own resources.
target_link_libraries(windows_WizardStart_bench PRIVATE mw_resources)
