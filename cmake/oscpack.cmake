# oscpack's packet parsing and writing (not its sockets: the launcher has its own), from the
# distribution's source package. The build scripts fetch it (`apt-get source oscpack`) and
# pass the unpacked folder here.
set(OSCPACK_SOURCE_DIR "" CACHE PATH "Unpacked oscpack source package")
if(NOT EXISTS "${OSCPACK_SOURCE_DIR}/osc/OscReceivedElements.h")
    message(FATAL_ERROR "oscpack sources not found in '${OSCPACK_SOURCE_DIR}'. Build through "
        "scripts/test.sh (it runs 'apt-get source oscpack'), or pass -DOSCPACK_SOURCE_DIR=<folder>.")
endif()
add_library(oscpack STATIC
    ${OSCPACK_SOURCE_DIR}/osc/OscReceivedElements.cpp
    ${OSCPACK_SOURCE_DIR}/osc/OscOutboundPacketStream.cpp
    ${OSCPACK_SOURCE_DIR}/osc/OscTypes.cpp
)
target_include_directories(oscpack SYSTEM PUBLIC ${OSCPACK_SOURCE_DIR})
# Not our code: its warnings are not ours to fix.
target_compile_options(oscpack PRIVATE -w)
