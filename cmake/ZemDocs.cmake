# Man pages (section n, as Tcl's own) made from the user documentation's
# pages: one for each command page and zem_board.n from the user guide.
find_program(ZEM_TCLSH NAMES tclsh8.6 tclsh REQUIRED)
file(GLOB zem_command_pages CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/docs/commands/*.md)
set(zem_man_tool ${CMAKE_SOURCE_DIR}/docs/tools/docs.tcl)
set(zem_man_dir ${CMAKE_BINARY_DIR}/man/mann)
set(ZEM_MAN_PAGES)

function(zem_man_page page name)
  set(output ${zem_man_dir}/${name}.n)
  add_custom_command(OUTPUT ${output}
                     COMMAND ${ZEM_TCLSH} ${zem_man_tool} man ${output} ${page} ${PROJECT_VERSION}
                     DEPENDS ${page} ${zem_man_tool} VERBATIM)
  set(ZEM_MAN_PAGES ${ZEM_MAN_PAGES} ${output} PARENT_SCOPE)
endfunction()

file(MAKE_DIRECTORY ${zem_man_dir})
foreach(page ${zem_command_pages})
  get_filename_component(name ${page} NAME_WE)
  zem_man_page(${page} ${name})
endforeach()
zem_man_page(${CMAKE_SOURCE_DIR}/docs/user-guide.md zem_board)
add_custom_target(zem_man ALL DEPENDS ${ZEM_MAN_PAGES})
install(DIRECTORY ${zem_man_dir} DESTINATION ${CMAKE_INSTALL_MANDIR})
