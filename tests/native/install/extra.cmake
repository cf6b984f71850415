# The packer's output for a known input (this folder's inflater test source), read back by the
# inflater test.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(_mw_plain ${CMAKE_CURRENT_LIST_DIR}/StreamInflaterTest.cpp)
set(_mw_packed ${CMAKE_CURRENT_BINARY_DIR}/native_install_sample.zlib)
add_custom_command(OUTPUT ${_mw_packed}
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/pack.py ${_mw_plain} ${_mw_packed}
  DEPENDS ${_mw_plain} ${CMAKE_SOURCE_DIR}/tools/pack.py
  VERBATIM)
add_custom_target(native_install_sample DEPENDS ${_mw_packed})
add_dependencies(native_install_tests native_install_sample)
target_compile_definitions(native_install_tests PRIVATE
  MW_PACKED_SAMPLE="${_mw_packed}" MW_PLAIN_SAMPLE="${_mw_plain}")
target_link_libraries(native_install_tests PRIVATE ZLIB::ZLIB)
