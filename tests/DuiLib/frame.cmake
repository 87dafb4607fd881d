# The skinned frame and its drop shadow: the shadow's picture without a
# window, then real frames and shadows under the display (and skinview's
# shadow bitmap).

set(FRAME_TEST_DIR ${CMAKE_CURRENT_LIST_DIR})

lumora_add_test(duilib_shadow_tests
  SOURCES ${FRAME_TEST_DIR}/ShadowBitmapTest.cpp
  LIBS lumora_duilib)

lumora_add_test(duilib_frame_tests
  SOURCES ${FRAME_TEST_DIR}/FrameWindowTest.cpp ${FRAME_TEST_DIR}/ScreenCapture.cpp
  LIBS duilib_test_support gdiplus
  DEPENDS skinview
  DISPLAY TIMEOUT 600)
lumora_embed_skin(duilib_frame_tests)
