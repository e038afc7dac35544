# cpp-httplib, a header-only HTTP server, from the distribution's source package. The build
# scripts fetch it (`apt-get source cpp-httplib`) and pass the unpacked folder here.
set(HTTPLIB_SOURCE_DIR "" CACHE PATH "Unpacked cpp-httplib source package")
if(NOT EXISTS "${HTTPLIB_SOURCE_DIR}/httplib.h")
    message(FATAL_ERROR "cpp-httplib sources not found in '${HTTPLIB_SOURCE_DIR}'. Build through "
        "scripts/test.sh (it runs 'apt-get source cpp-httplib'), or pass -DHTTPLIB_SOURCE_DIR=<folder>.")
endif()
add_library(httplib INTERFACE)
target_include_directories(httplib SYSTEM INTERFACE ${HTTPLIB_SOURCE_DIR})
target_link_libraries(httplib INTERFACE ws2_32 crypt32)
