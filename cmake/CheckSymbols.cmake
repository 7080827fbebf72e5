# cmake -DEXE=program -DNM=nm "-DREQUIRED=re1;re2" "-DFORBIDDEN=re1;re2" -P CheckSymbols.cmake
# Fails when the program's demangled symbols match a forbidden pattern or
# miss a required one: what a program links, checked on the program itself.
execute_process(COMMAND ${NM} -C ${EXE} OUTPUT_VARIABLE syms RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR syms STREQUAL "")
  message(FATAL_ERROR "${NM} gave no symbols for ${EXE}")
endif()
foreach(re ${FORBIDDEN})
  string(REGEX MATCH "[^\n]*${re}[^\n]*" hit "${syms}")
  if(hit)
    message(FATAL_ERROR "forbidden symbol in ${EXE}: ${hit}")
  endif()
endforeach()
foreach(re ${REQUIRED})
  if(NOT syms MATCHES "${re}")
    message(FATAL_ERROR "no symbol matching ${re} in ${EXE}")
  endif()
endforeach()
