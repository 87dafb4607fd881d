# The download-and-install sequencer and its probe tool.
add_library(lumora_install_sequencer STATIC ${CMAKE_CURRENT_LIST_DIR}/CDownloadInstaller.cpp)
target_link_libraries(lumora_install_sequencer PUBLIC lumora_install_pipeline lumora_download)

# Drives the whole sequence the way the main window does, without a window,
# and prints every report; see the file's head for its switches.
add_executable(seqprobe ${CMAKE_CURRENT_LIST_DIR}/SeqProbe.cpp)
# The probe stands where the installer's entry stands: it alone reads the settings.
target_link_libraries(seqprobe PRIVATE lumora_install_sequencer lumora_settings)
target_link_options(seqprobe PRIVATE -municode)
