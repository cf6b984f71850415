# The PNG decoder's tests: libpng as the reference decoder (test-only), and the corpus of
# generated files, written into the build folder before the tests build.
find_package(PNG REQUIRED)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(mw_png_corpus ${CMAKE_CURRENT_BINARY_DIR}/png_corpus)
add_custom_command(OUTPUT ${mw_png_corpus}/.stamp
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${mw_png_corpus}
  COMMAND ${Python3_EXECUTABLE} ${dir}/PngCorpus.py ${mw_png_corpus}
  COMMAND ${CMAKE_COMMAND} -E touch ${mw_png_corpus}/.stamp
  DEPENDS ${dir}/PngCorpus.py
  COMMENT "Generating the PNG test corpus")
add_custom_target(native_skin_png_corpus DEPENDS ${mw_png_corpus}/.stamp)

add_dependencies(native_skin_tests native_skin_png_corpus)
target_link_libraries(native_skin_tests PRIVATE PNG::PNG)
target_compile_definitions(native_skin_tests PRIVATE
  MW_PNG_CORPUS="${mw_png_corpus}" MW_SOURCE_DIR="${CMAKE_SOURCE_DIR}")

if(TARGET native_PngDecode_bench)
  target_sources(native_PngDecode_bench PRIVATE ${dir}/PngOracle.cpp)
  target_link_libraries(native_PngDecode_bench PRIVATE PNG::PNG)
  target_compile_definitions(native_PngDecode_bench PRIVATE MW_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
endif()
