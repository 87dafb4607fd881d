# The sequencer against the local download servers and the stand-in vendor
# executables, and seqprobe end to end.
lumora_add_test(install_sequencer_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/SequencerTest.cpp ${CMAKE_CURRENT_LIST_DIR}/FakeExecutable.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ReportRecorder.cpp ${CMAKE_CURRENT_LIST_DIR}/../download/DownloadServers.cpp
  LIBS lumora_install_sequencer install_fake_script
  DEPENDS fake_package fake_uninstaller fake_product seqprobe TIMEOUT 600)
