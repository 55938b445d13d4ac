# The help pages: copied beside the program at build time, where the help launcher looks
# first, and installed into the data folder.
include(GNUInstallDirs)

set(ORMA_HELP_SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR})
set(ORMA_HELP_PAGES
  MainIndex.html
  connection.html
  reception.html
  table.html
  files.html
  spreadsheet.html
  printing.html
  graph.html
  messages.html
  help.css)
set(ORMA_HELP_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/orma/help)
set(ORMA_HELP_INSTALL_FULL_DIR ${CMAKE_INSTALL_FULL_DATADIR}/orma/help)

# orma_add_help(<program> <launcher source>)
# Copies the pages into <program>'s folder under help/ whenever one changes, installs them,
# and tells <launcher source> where the installed help lies relative to the installed program.
function(orma_add_help program launcherSource)
  set(copied)
  foreach(page IN LISTS ORMA_HELP_PAGES)
    set(target_page ${CMAKE_CURRENT_BINARY_DIR}/help/${page})
    add_custom_command(OUTPUT ${target_page}
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${ORMA_HELP_SOURCE_DIR}/${page} ${target_page}
      DEPENDS ${ORMA_HELP_SOURCE_DIR}/${page}
      COMMENT "Copying help page ${page}"
      VERBATIM)
    list(APPEND copied ${target_page})
  endforeach()
  add_custom_target(${program}_help ALL DEPENDS ${copied})
  add_dependencies(${program} ${program}_help)

  list(TRANSFORM ORMA_HELP_PAGES PREPEND ${ORMA_HELP_SOURCE_DIR}/ OUTPUT_VARIABLE sources)
  # The launcher finds the installed help from the installed program's folder.
  install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${sources} DESTINATION ${ORMA_HELP_INSTALL_DIR})

  file(RELATIVE_PATH relative ${CMAKE_INSTALL_FULL_BINDIR} ${ORMA_HELP_INSTALL_FULL_DIR})
  set_source_files_properties(${launcherSource} TARGET_DIRECTORY orma_core
    PROPERTIES COMPILE_DEFINITIONS "ORMA_HELP_RELATIVE_PATH=\"${relative}\"")
endfunction()
