# The help texts sit beside the binaries in the build tree and in the share folder when
# installed; the help windows look in both.
set(MERROVAN_HELP_FILES
  ${CMAKE_CURRENT_LIST_DIR}/instruct.doc
  ${CMAKE_CURRENT_LIST_DIR}/MvOSpIns.doc)
set(MERROVAN_HELP_COPIES "")
foreach(f IN LISTS MERROVAN_HELP_FILES)
  get_filename_component(n ${f} NAME)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/bin/${n}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/bin
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${f} ${CMAKE_BINARY_DIR}/bin/${n}
    DEPENDS ${f}
    COMMENT "Copying help text ${n}")
  list(APPEND MERROVAN_HELP_COPIES ${CMAKE_BINARY_DIR}/bin/${n})
endforeach()
add_custom_target(merrovan_help_files ALL DEPENDS ${MERROVAN_HELP_COPIES})
add_dependencies(merrovan_ui merrovan_help_files)
install(FILES ${MERROVAN_HELP_FILES} DESTINATION ${CMAKE_INSTALL_DATADIR}/merrovan)
