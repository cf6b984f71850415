# Resource-only DLLs that the install tests hand to the engine in place of the installer's own
# image: the complete resources, and sets with a corrupt, a truncated and a missing payload.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(_mw_dir ${CMAKE_CURRENT_LIST_DIR})
set(_mw_out ${CMAKE_CURRENT_BINARY_DIR}/install-resources)

add_custom_command(OUTPUT ${_mw_out}/Ririvud.corrupt.zlib ${_mw_out}/UninstallMW.truncated.zlib
  COMMAND ${CMAKE_COMMAND} -E make_directory ${_mw_out}
  COMMAND ${Python3_EXECUTABLE} ${_mw_dir}/break_stream.py corrupt
          ${MW_PAYLOAD_STREAM_DIR}/Ririvud.zlib ${_mw_out}/Ririvud.corrupt.zlib
  COMMAND ${Python3_EXECUTABLE} ${_mw_dir}/break_stream.py truncate
          ${MW_PAYLOAD_STREAM_DIR}/UninstallMW.zlib ${_mw_out}/UninstallMW.truncated.zlib
  DEPENDS ${_mw_dir}/break_stream.py ${MW_PAYLOAD_STREAM_DIR}/Ririvud.zlib
          ${MW_PAYLOAD_STREAM_DIR}/UninstallMW.zlib
  VERBATIM)
add_custom_target(install_broken_streams
  DEPENDS ${_mw_out}/Ririvud.corrupt.zlib ${_mw_out}/UninstallMW.truncated.zlib)
add_dependencies(install_broken_streams mw_payload_streams)

function(mw_install_resource_dll name)
  add_library(${name} MODULE ${_mw_dir}/dll_stub.c ${ARGN})
  set_target_properties(${name} PROPERTIES PREFIX "" LIBRARY_OUTPUT_DIRECTORY ${_mw_out})
  target_include_directories(${name} PRIVATE ${_mw_out} ${MW_PAYLOAD_STREAM_DIR})
  add_dependencies(${name} install_broken_streams)
endfunction()

mw_install_resource_dll(install_res_full)
target_link_libraries(install_res_full PRIVATE mw_resources)
mw_install_resource_dll(install_res_corrupt ${_mw_dir}/corrupt.rc)
mw_install_resource_dll(install_res_truncated ${_mw_dir}/truncated.rc)
mw_install_resource_dll(install_res_missing ${_mw_dir}/missing.rc)
set_source_files_properties(${_mw_dir}/corrupt.rc PROPERTIES
  OBJECT_DEPENDS "${_mw_out}/Ririvud.corrupt.zlib;${MW_PAYLOAD_STREAM_DIR}/Marlowind.zlib")
set_source_files_properties(${_mw_dir}/truncated.rc PROPERTIES
  OBJECT_DEPENDS "${_mw_out}/UninstallMW.truncated.zlib;${MW_PAYLOAD_STREAM_DIR}/Ririvud.zlib")
set_source_files_properties(${_mw_dir}/missing.rc PROPERTIES
  OBJECT_DEPENDS "${MW_PAYLOAD_STREAM_DIR}/UninstallMW.zlib")

# Where the tests find the DLLs and the originals to compare installed files with (Wine maps
# the host's root to drive Z:).
set(_mw_defs
  MW_RES_FULL="Z:$<TARGET_FILE:install_res_full>"
  MW_RES_CORRUPT="Z:$<TARGET_FILE:install_res_corrupt>"
  MW_RES_TRUNCATED="Z:$<TARGET_FILE:install_res_truncated>"
  MW_RES_MISSING="Z:$<TARGET_FILE:install_res_missing>"
  MW_MESSENGER_EXE="Z:$<TARGET_FILE:Marlowind>"
  MW_UNINSTALLER_EXE="Z:$<TARGET_FILE:UninstallMW>"
  MW_UPDATER_EXE="Z:$<TARGET_FILE:MarlUpdate>"
  MW_SOURCE_DIR="Z:${CMAKE_SOURCE_DIR}"
  MW_STREAM_DIR="Z:${MW_PAYLOAD_STREAM_DIR}")
foreach(_mw_t windows_install_tests windows_InstallBench_bench)
  if(TARGET ${_mw_t})
    target_compile_definitions(${_mw_t} PRIVATE ${_mw_defs})
    add_dependencies(${_mw_t} install_res_full install_res_corrupt install_res_truncated
      install_res_missing)
  endif()
endforeach()
if(TARGET windows_InstallBench_bench)
  target_link_libraries(windows_InstallBench_bench PRIVATE psapi)
endif()
mw_foreign_user_test(${target})
