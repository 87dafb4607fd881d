# The toolkit: controls, layout, painting, the paint manager, the skin
# builder and the window base; and skinview, which opens any skin of the
# embedded archive in a plain frame.

set(LUMORA_DUILIB_DIR ${CMAKE_CURRENT_LIST_DIR})
add_library(lumora_duilib STATIC
  ${LUMORA_DUILIB_DIR}/AttributeValues.cpp
  ${LUMORA_DUILIB_DIR}/ButtonUI.cpp
  ${LUMORA_DUILIB_DIR}/CheckBoxUI.cpp
  ${LUMORA_DUILIB_DIR}/ComboUI.cpp
  ${LUMORA_DUILIB_DIR}/ContainerUI.cpp
  ${LUMORA_DUILIB_DIR}/ControlUI.cpp
  ${LUMORA_DUILIB_DIR}/DialogBuilder.cpp
  ${LUMORA_DUILIB_DIR}/DuiFrame.cpp
  ${LUMORA_DUILIB_DIR}/EditUI.cpp
  ${LUMORA_DUILIB_DIR}/HorizontalLayoutUI.cpp
  ${LUMORA_DUILIB_DIR}/ImageData.cpp
  ${LUMORA_DUILIB_DIR}/ImageDescription.cpp
  ${LUMORA_DUILIB_DIR}/LabelUI.cpp
  ${LUMORA_DUILIB_DIR}/LayoutRule.cpp
  ${LUMORA_DUILIB_DIR}/NotifyPump.cpp
  ${LUMORA_DUILIB_DIR}/OptionUI.cpp
  ${LUMORA_DUILIB_DIR}/PaintManager.cpp
  ${LUMORA_DUILIB_DIR}/ProgressUI.cpp
  ${LUMORA_DUILIB_DIR}/RenderEngine.cpp
  ${LUMORA_DUILIB_DIR}/SequenceAnimation.cpp
  ${LUMORA_DUILIB_DIR}/SequenceButtonUI.cpp
  ${LUMORA_DUILIB_DIR}/SequenceControls.cpp
  ${LUMORA_DUILIB_DIR}/SequenceLabelUI.cpp
  ${LUMORA_DUILIB_DIR}/ShadowBitmap.cpp
  ${LUMORA_DUILIB_DIR}/ShadowRegistry.cpp
  ${LUMORA_DUILIB_DIR}/StringTable.cpp
  ${LUMORA_DUILIB_DIR}/TabLayoutUI.cpp
  ${LUMORA_DUILIB_DIR}/TextUI.cpp
  ${LUMORA_DUILIB_DIR}/VerticalLayoutUI.cpp
  ${LUMORA_DUILIB_DIR}/WindowImplBase.cpp
  ${LUMORA_DUILIB_DIR}/WindowWnd.cpp
  ${LUMORA_DUILIB_DIR}/WndShadow.cpp
)
target_include_directories(lumora_duilib PUBLIC ${LUMORA_SRC_DIR})
target_link_libraries(lumora_duilib PUBLIC lumora_utils dep_pugixml gdiplus gdi32 user32 msimg32 shlwapi ole32)
if(TARGET lumora_skin_archive)
  target_link_libraries(lumora_duilib PUBLIC lumora_skin_archive)
endif()

add_executable(skinview WIN32 ${LUMORA_DUILIB_DIR}/skinview/SkinViewMain.cpp ${LUMORA_DUILIB_DIR}/skinview/SkinViewWnd.cpp
  ${LUMORA_DUILIB_DIR}/skinview/BitmapFile.cpp)
target_link_libraries(skinview PRIVATE lumora_duilib)
target_link_options(skinview PRIVATE -municode -mwindows)
if(COMMAND lumora_embed_skin)
  lumora_embed_skin(skinview)
endif()
