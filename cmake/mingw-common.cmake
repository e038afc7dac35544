# The posix thread variant: GoogleTest needs std::mutex.
set(CMAKE_C_COMPILER ${TOOLCHAIN_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TOOLCHAIN_PREFIX}-windres)
set(CMAKE_DLLTOOL ${TOOLCHAIN_PREFIX}-dlltool)
set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)


# The compiler's runtime DLLs, where this compiler keeps them.
function(pavora_runtime_dll variable name)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${name} OUTPUT_VARIABLE path
        OUTPUT_STRIP_TRAILING_WHITESPACE)
    get_filename_component(path "${path}" REALPATH)
    if(NOT EXISTS "${path}")
        message(FATAL_ERROR "${CMAKE_CXX_COMPILER} has no ${name}")
    endif()
    set(${variable} ${path} PARENT_SCOPE)
endfunction()

# Wine's loader and server of this build's kind, beside each other in Wine's own folder.
function(pavora_find_wine)
    find_program(PAVORA_WINE ${PAVORA_WINE_LOADER_NAME} PATHS /usr/lib/wine NO_DEFAULT_PATH)
    find_program(PAVORA_WINESERVER ${PAVORA_WINESERVER_NAME} PATHS /usr/lib/wine NO_DEFAULT_PATH)
    if((NOT PAVORA_WINE OR NOT PAVORA_WINESERVER) AND PAVORA_BUILD_TESTS)
        message(WARNING "no ${PAVORA_WINE_LOADER_NAME} and ${PAVORA_WINESERVER_NAME}: this build's programs cannot run")
    endif()
endfunction()
