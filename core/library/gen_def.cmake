# Writes a .def for this build from Tessaly.def.in. 64-bit Windows has no
# standard-call decoration, so there the decorated lines become plain names.
#
# MODE=exports gives the form for the library's export table: "_Name@N = Name@N".
# dlltool 2.40 sorts names given as "Name@N == _Name@N" wrongly, and the loader finds
# names by binary search, so the table is built from this form. The import library
# keeps the "==" form (MODE=import), whose symbols are the ones the callers ask for.
file(READ ${IN} content)
if(ARCH STREQUAL "x86_64")
    string(REGEX REPLACE "([A-Za-z0-9_]+)@[0-9]+ == _[A-Za-z0-9_]+@[0-9]+" "\\1" content "${content}")
elseif(MODE STREQUAL "exports")
    string(REGEX REPLACE "([A-Za-z0-9_]+@[0-9]+) == (_[A-Za-z0-9_]+@[0-9]+)" "\\2 = \\1" content "${content}")
endif()
file(WRITE ${OUT}.tmp "${content}")
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different ${OUT}.tmp ${OUT})
