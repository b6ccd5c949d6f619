# Installation (cmake --install, GNUInstallDirs) and the Debian package (cpack -G DEB).
#
# The build tree's `recorder` is installed as velmor-sound-recorder. The COM
# runtime, the sound-server connection, the two COM servers and the registry
# naming them live in a private library folder: the executables find the
# runtimes through their RPATH, the class lookup finds the registry from the
# executable's folder, and the registry names the servers by file name, so the
# installed tree can move.
# Only the targets listed here are installed: no tests, benchmarks or fuzzers.

if(NOT TARGET recorder OR NOT TARGET velmor-record OR NOT TARGET TavorAudioDXRecord3 OR NOT TARGET Tagmora)
  return() # a partial configuration installs nothing
endif()

set(VELMOR_PRIVATE_LIBDIR ${CMAKE_INSTALL_LIBDIR}/velmor-sound-recorder)

set_target_properties(recorder velmor-regsvr velmor-record PROPERTIES INSTALL_RPATH "$ORIGIN/../${VELMOR_PRIVATE_LIBDIR}")
set_target_properties(velmor_com velmor_pulse TavorAudioDXRecord3 Tagmora PROPERTIES INSTALL_RPATH "$ORIGIN")

install(TARGETS recorder velmor-regsvr velmor-record RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The install step rewrites the RPATH of the file it copies; the rename comes after.
install(CODE "
  set(bindir \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  file(RENAME \"\${bindir}/recorder\" \"\${bindir}/velmor-sound-recorder\")
  message(STATUS \"Renamed: \${bindir}/velmor-sound-recorder\")")
install(TARGETS velmor_com velmor_pulse TavorAudioDXRecord3 Tagmora
  LIBRARY DESTINATION ${VELMOR_PRIVATE_LIBDIR} NAMELINK_SKIP)

# The registry installed beside the servers names them by file name.
set(VELMOR_INSTALL_REGISTRY ${PROJECT_BINARY_DIR}/install/classes.reg)
velmor_class_registry(velmor_install_registry OUTPUT ${VELMOR_INSTALL_REGISTRY}
  SERVERS TavorAudioDXRecord3 Tagmora BESIDE_SERVERS)
install(FILES ${VELMOR_INSTALL_REGISTRY} DESTINATION ${VELMOR_PRIVATE_LIBDIR})

# Desktop integration.
set(packaging ${PROJECT_SOURCE_DIR}/packaging)
install(FILES ${packaging}/velmor-sound-recorder.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${packaging}/org.velmor.SoundRecorder.metainfo.xml
  ${PROJECT_BINARY_DIR}/install/org.velmor.SoundRecorder.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/install/org.velmor.SoundRecorder.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${packaging}/icons/velmor-sound-recorder.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 48 128 256)
  install(FILES ${packaging}/icons/velmor-sound-recorder-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
    RENAME velmor-sound-recorder.png)
endforeach()

# The manual where the program looks for it (<bindir>/../share/velmor-sound-recorder/help).
if(EXISTS ${PROJECT_SOURCE_DIR}/doc/manual/index.html)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/doc/manual/ DESTINATION ${CMAKE_INSTALL_DATADIR}/velmor-sound-recorder/help)
endif()
if(EXISTS ${PROJECT_SOURCE_DIR}/doc/velmor-sound-recorder.1)
  install(FILES ${PROJECT_SOURCE_DIR}/doc/velmor-sound-recorder.1 ${PROJECT_SOURCE_DIR}/doc/velmor-record.1
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmor-sound-recorder)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Velmor)
set(CPACK_PACKAGE_CONTACT "Velmor Sound Recorder developers <recorder@velmor.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop sound recorder into WAV, MP3, Ogg Vorbis and other formats")
set(CPACK_PACKAGE_DESCRIPTION
  "Records what the computer hears and plays, from a PulseAudio or PipeWire\n"
  "capture device, into ten formats (WAV, MP3, VOX, G.721, G.723, G.726, G.729,\n"
  "Ogg Vorbis, AC3, AAC). Recordings start and stop on a schedule, by hotkeys\n"
  "or from the command line. Includes an ID3 tag editor and an audio player.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://velmor.example/sound-recorder")
# Library dependencies are computed by dpkg-shlibdeps; the private libraries
# are found through the RPATH.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The program talks to the desktop's sound server; it runs no helper programs.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse")
include(CPack)

# The installation and the package, tested on the build tree itself (the test
# command builds it first); a sanitizer build's package would be no product.
if(NOT VELMOR_SANITIZE AND NOT VELMOR_SANITIZE_THREAD)
  set(tests ${PROJECT_SOURCE_DIR}/packaging/tests)
  set(work ${PROJECT_BINARY_DIR}/packaging-test)
  add_test(NAME packaging_install_tree
    COMMAND sh ${tests}/install_tree.sh ${PROJECT_BINARY_DIR} ${work}/install ${CMAKE_INSTALL_LIBDIR})
  set_tests_properties(packaging_install_tree PROPERTIES FIXTURES_SETUP installed_tree)
  add_test(NAME packaging_installed_program_records COMMAND sh ${tests}/installed_records.sh ${work}/install/root)
  set_tests_properties(packaging_installed_program_records PROPERTIES
    FIXTURES_REQUIRED "installed_tree;pulse"
    RESOURCE_LOCK pulse
    ENVIRONMENT "VELMOR_TEST_PULSE_DIR=${VELMOR_PULSE_DIR}")
  # After the install test: both write the build tree's install manifest.
  add_test(NAME packaging_deb COMMAND sh ${tests}/deb_package.sh ${PROJECT_BINARY_DIR} ${work}/deb ${CMAKE_INSTALL_LIBDIR})
  set_tests_properties(packaging_deb PROPERTIES FIXTURES_REQUIRED installed_tree)
endif()
