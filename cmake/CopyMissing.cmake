# cmake -DSRC=dir -DDST=dir [-DEXCLUDE=a|b] [-DONLY=a|b] -P CopyMissing.cmake
# Copies every file of SRC into DST unless DST already has it; with ONLY,
# just the top-level files named a, b (or a.Hlp, b.Hlp).
if(NOT IS_DIRECTORY "${SRC}")
  file(MAKE_DIRECTORY "${DST}")
  return()
endif()
file(GLOB_RECURSE files RELATIVE "${SRC}" "${SRC}/*")
foreach(f ${files})
  if(f MATCHES "CMakeLists\\.txt$")
    continue()
  endif()
  if(EXCLUDE AND f MATCHES "^(${EXCLUDE})/")
    continue()
  endif()
  if(ONLY AND NOT f MATCHES "^(${ONLY})([.]Hlp)?$")
    continue()
  endif()
  if(NOT EXISTS "${DST}/${f}")
    get_filename_component(d "${DST}/${f}" DIRECTORY)
    file(MAKE_DIRECTORY "${d}")
    file(COPY "${SRC}/${f}" DESTINATION "${d}")
    # Settings files name their folders by absolute path: point them at the
    # folder they are laid out in (sed in the C locale leaves the Shift-JIS
    # bytes as they are).
    if(f MATCHES "(^|/)ENVIRON[.]DAT$")
      execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C
                      sed -i "s|@ORVO_DIR@|${DST}|g" "${DST}/${f}")
    endif()
  endif()
endforeach()
