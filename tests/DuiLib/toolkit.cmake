# Toolkit tests: rules and controls without a window, against the skin archive
# embedded in each test program; real windows under the display.

set(TOOLKIT_TEST_DIR ${CMAKE_CURRENT_LIST_DIR})
add_library(duilib_test_support STATIC ${TOOLKIT_TEST_DIR}/ToolkitSkinTree.cpp ${TOOLKIT_TEST_DIR}/SkinViewProcess.cpp
  ${TOOLKIT_TEST_DIR}/TreePicture.cpp)
target_link_libraries(duilib_test_support PUBLIC lumora_duilib lumora_test_support)

lumora_add_test(duilib_layout_tests
  SOURCES ${TOOLKIT_TEST_DIR}/LayoutRuleTest.cpp ${TOOLKIT_TEST_DIR}/LayoutSkinTest.cpp
  LIBS duilib_test_support)
lumora_embed_skin(duilib_layout_tests)

lumora_add_test(duilib_controls_tests
  SOURCES ${TOOLKIT_TEST_DIR}/ControlsTest.cpp ${TOOLKIT_TEST_DIR}/PaintingTest.cpp ${TOOLKIT_TEST_DIR}/RenderEngineTest.cpp
    ${TOOLKIT_TEST_DIR}/TreeLifetimeTest.cpp
  LIBS duilib_test_support)
lumora_embed_skin(duilib_controls_tests)

lumora_add_test(duilib_window_tests
  SOURCES ${TOOLKIT_TEST_DIR}/WindowSkinViewTest.cpp ${TOOLKIT_TEST_DIR}/WindowBaseTest.cpp ${TOOLKIT_TEST_DIR}/ScreenCapture.cpp
    ${TOOLKIT_TEST_DIR}/GuiResourceTest.cpp
  LIBS duilib_test_support gdiplus
  DEPENDS skinview
  DISPLAY TIMEOUT 600)
lumora_embed_skin(duilib_window_tests)

lumora_add_test(duilib_sequence_tests
  SOURCES ${TOOLKIT_TEST_DIR}/SequenceAnimationTest.cpp
  LIBS duilib_test_support)
lumora_embed_skin(duilib_sequence_tests)

lumora_add_test(duilib_sequence_window_tests
  SOURCES ${TOOLKIT_TEST_DIR}/SequenceWindowTest.cpp ${TOOLKIT_TEST_DIR}/ScreenCapture.cpp
  LIBS duilib_test_support gdiplus
  DEPENDS skinview
  DISPLAY)
lumora_embed_skin(duilib_sequence_window_tests)
