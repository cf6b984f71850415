# The uninstall tests install for real first: they share the install tests' helpers and their
# resource DLL with the complete payloads.
target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/tests/windows/install/InstallTestSupport.cpp)
target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/tests/windows/install)
target_compile_definitions(${target} PRIVATE
  MW_RES_FULL="Z:$<TARGET_FILE:install_res_full>")
add_dependencies(${target} install_res_full)
mw_foreign_user_test(${target})
