# A short soak with a fixed seed in the test suite (label "soak": select it
# with -L soak, leave it out with -LE soak). It makes its own Wine prefix and
# server; the runner has built the probes and stand-ins already.
add_test(NAME soak_short COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/run.sh --self-test --runs 12 --seed 20261211)
set_tests_properties(soak_short PROPERTIES TIMEOUT 900 LABELS soak
  ENVIRONMENT "LUMORA_SOAK_NO_BUILD=1;LUMORA_BIN_DIR=${LUMORA_BIN_DIR}")
