# TinyXML, the classic library, built from the distribution's source package with
# Debian's patches applied. The build scripts fetch it (`apt-get source tinyxml`) and
# pass the unpacked folder here.
set(TINYXML_SOURCE_DIR "" CACHE PATH "Unpacked TinyXML source package")
if(NOT EXISTS "${TINYXML_SOURCE_DIR}/tinyxml.h")
    message(FATAL_ERROR "TinyXML sources not found in '${TINYXML_SOURCE_DIR}'. Build through "
        "scripts/test.sh (it runs 'apt-get source tinyxml'), or pass -DTINYXML_SOURCE_DIR=<folder>.")
endif()

add_library(tinyxml STATIC
    ${TINYXML_SOURCE_DIR}/tinyxml.cpp
    ${TINYXML_SOURCE_DIR}/tinyxmlparser.cpp
    ${TINYXML_SOURCE_DIR}/tinyxmlerror.cpp
    ${TINYXML_SOURCE_DIR}/tinystr.cpp
)
# Every file that includes the header must see the same class layout.
target_compile_definitions(tinyxml PUBLIC TIXML_USE_STL)
target_include_directories(tinyxml SYSTEM PUBLIC ${TINYXML_SOURCE_DIR})
# Not our code: its warnings are not ours to fix.
target_compile_options(tinyxml PRIVATE -w)
