# Writes the .def for this build from Tessaly.def.in. 64-bit Windows has no
# standard-call decoration, so there the decorated lines become plain names.
file(READ ${IN} content)
if(ARCH STREQUAL "x86_64")
    string(REGEX REPLACE "([A-Za-z0-9_]+)@[0-9]+ == _[A-Za-z0-9_]+@[0-9]+" "\\1" content "${content}")
endif()
file(WRITE ${OUT}.tmp "${content}")
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different ${OUT}.tmp ${OUT})
