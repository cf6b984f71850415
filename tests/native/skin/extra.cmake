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

# The benchmark set: every colour type and bit depth, interlaced and not, at 256 x 256 and
# 2048 x 2048, written by libpng's encoder. The tests decode it too, against libpng.
add_executable(png_bench_set ${CMAKE_SOURCE_DIR}/tools/png_bench_set.cpp)
target_link_libraries(png_bench_set PRIVATE PNG::PNG)
set(mw_png_bench_set ${CMAKE_CURRENT_BINARY_DIR}/png_bench_pictures)
add_custom_command(OUTPUT ${mw_png_bench_set}/.stamp
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${mw_png_bench_set}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${mw_png_bench_set}
  COMMAND png_bench_set ${mw_png_bench_set}
  COMMAND ${CMAKE_COMMAND} -E touch ${mw_png_bench_set}/.stamp
  DEPENDS png_bench_set
  COMMENT "Generating the PNG benchmark set")
add_custom_target(native_skin_png_bench_set DEPENDS ${mw_png_bench_set}/.stamp)

add_dependencies(native_skin_tests native_skin_png_corpus native_skin_png_bench_set)
target_link_libraries(native_skin_tests PRIVATE PNG::PNG)
target_compile_definitions(native_skin_tests PRIVATE
  MW_PNG_CORPUS="${mw_png_corpus}" MW_PNG_BENCH_SET="${mw_png_bench_set}"
  MW_SOURCE_DIR="${CMAKE_SOURCE_DIR}")

if(TARGET native_PngDecode_bench)
  target_sources(native_PngDecode_bench PRIVATE ${dir}/PngOracle.cpp)
  target_link_libraries(native_PngDecode_bench PRIVATE PNG::PNG)
  add_dependencies(native_PngDecode_bench native_skin_png_bench_set)
  target_compile_definitions(native_PngDecode_bench PRIVATE MW_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    MW_PNG_BENCH_SET="${mw_png_bench_set}")
endif()
