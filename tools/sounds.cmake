# The exhaust beat and the error sound are synthesised at build time and land beside the
# binaries (and in share/merrovan when installed); no binary asset lives in the sources.
add_executable(merrovan_gen_sounds ${CMAKE_CURRENT_LIST_DIR}/gen_sounds.cpp)
set_target_properties(merrovan_gen_sounds PROPERTIES
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)

set(MERROVAN_SOUND_FILES ${CMAKE_BINARY_DIR}/bin/Exhaust.wav ${CMAKE_BINARY_DIR}/bin/Error.wav)
add_custom_command(
  OUTPUT ${MERROVAN_SOUND_FILES}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/bin
  COMMAND merrovan_gen_sounds ${CMAKE_BINARY_DIR}/bin
  DEPENDS merrovan_gen_sounds
  COMMENT "Synthesising Exhaust.wav and Error.wav"
  VERBATIM)
add_custom_target(merrovan_sounds ALL DEPENDS ${MERROVAN_SOUND_FILES})

install(FILES ${MERROVAN_SOUND_FILES} DESTINATION ${CMAKE_INSTALL_DATADIR}/merrovan)
