# The sequencer against the local download servers and the stand-in vendor
# executables, and seqprobe end to end.
lumora_add_test(install_sequencer_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/SequencerTest.cpp ${CMAKE_CURRENT_LIST_DIR}/FakeExecutable.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ReportRecorder.cpp ${CMAKE_CURRENT_LIST_DIR}/../download/DownloadServers.cpp
  LIBS lumora_install_sequencer install_fake_script
  DEPENDS fake_package fake_uninstaller fake_product seqprobe TIMEOUT 600)
# These run processes named like the product or its uninstaller copy, or write
# its install records; so does the installer's own window test: they take turns.
set_tests_properties(install_sequencer_tests PROPERTIES RESOURCE_LOCK installed_product)
