# The windows skin tests carry the skin pictures as PNG resources (SkinTest.rc).
set(MW_TEST_SKIN_DIR ${CMAKE_SOURCE_DIR}/resources/skin CACHE PATH
    "Folder of the skin pictures embedded into the windows skin tests")
set(mw_skin_test_rc ${CMAKE_CURRENT_LIST_DIR}/SkinTest.rc)
set(mw_skin_test_pictures "")
foreach(picture ButtonNormal ButtonOver ButtonPress ButtonDisabled RadioOn RadioOff Wallpaper)
  list(APPEND mw_skin_test_pictures ${MW_TEST_SKIN_DIR}/${picture}.png)
endforeach()
set_source_files_properties(${mw_skin_test_rc} PROPERTIES
  INCLUDE_DIRECTORIES ${MW_TEST_SKIN_DIR}
  OBJECT_DEPENDS "${mw_skin_test_pictures}")
target_sources(windows_skin_tests PRIVATE ${mw_skin_test_rc})
if(TARGET windows_TextRender_bench)
  target_sources(windows_TextRender_bench PRIVATE ${mw_skin_test_rc})
endif()
