# JSON for Modern C++, header only, from the distribution's source package. The build
# scripts fetch it (`apt-get source nlohmann-json3`) and pass the unpacked folder here.
set(JSON_SOURCE_DIR "" CACHE PATH "Unpacked nlohmann-json3 source package")
if(NOT EXISTS "${JSON_SOURCE_DIR}/single_include/nlohmann/json.hpp")
    message(FATAL_ERROR "JSON sources not found in '${JSON_SOURCE_DIR}'. Build through "
        "scripts/test.sh (it runs 'apt-get source nlohmann-json3'), or pass -DJSON_SOURCE_DIR=<folder>.")
endif()
add_library(nlohmann_json INTERFACE)
target_include_directories(nlohmann_json SYSTEM INTERFACE ${JSON_SOURCE_DIR}/single_include)
