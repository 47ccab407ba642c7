# qel_add_program(<name> <sources...>): an executable that carries our four-part version
# in an ELF note section (owner "Qel"), which GetFileVersion reads back.
set(QEL_VERSION_NOTE_SOURCE ${CMAKE_BINARY_DIR}/generated/QelVersionNote.c)
configure_file(${CMAKE_CURRENT_LIST_DIR}/QelVersionNote.c.in ${QEL_VERSION_NOTE_SOURCE} @ONLY)

function(qel_add_program name)
  add_executable(${name} ${ARGN} ${QEL_VERSION_NOTE_SOURCE})
endfunction()
