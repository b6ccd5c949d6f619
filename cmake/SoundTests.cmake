# Tests that need sound run against one private PulseAudio server, started by
# the CTest fixture "pulse" and stopped after the last of them. They are
# serialised on the resource "pulse" so that no two see each other's streams.
# The tests learn the server's folder from VELMOR_TEST_PULSE_DIR (a single
# variable: gtest discovery cannot pass a list of them).
set(VELMOR_PULSE_DIR ${PROJECT_BINARY_DIR}/pulse-test)
set(VELMOR_PULSE_SCRIPT ${PROJECT_SOURCE_DIR}/platform/testserver/pulse-server.sh)

# velmor_discover_sound_tests(<gtest target>)
function(velmor_discover_sound_tests target)
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST
    PROPERTIES
      FIXTURES_REQUIRED pulse
      RESOURCE_LOCK pulse
      ENVIRONMENT "VELMOR_TEST_PULSE_DIR=${VELMOR_PULSE_DIR}")
endfunction()
