# Run by CPack on the staged tree before it becomes the Debian package: the
# manual pages compressed, and the programs stripped the way Debian strips
# them, down to what running them needs.
file(GLOB_RECURSE pages "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/man/*")
foreach(page IN LISTS pages)
  if(NOT page MATCHES "\\.gz$")
    # -n keeps the name and time stamp out, so the same page compresses alike.
    execute_process(COMMAND gzip -9 -n -f "${page}" RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "gzip ${page} failed")
    endif()
  endif()
endforeach()

file(GLOB programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/bin/*")
foreach(program IN LISTS programs)
  execute_process(COMMAND strip --remove-section=.comment --remove-section=.note --strip-unneeded "${program}"
    RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "strip ${program} failed")
  endif()
endforeach()
