# The staged installation: what an operator's installation folder holds. Tests copy
# it into folders of their own; the run command starts the launcher inside it.
set(PAVORA_STAGE ${CMAKE_BINARY_DIR}/stage)

# The language file is kept as UTF-8 in the sources; the installation's is UTF-16 LE with a byte-order mark.
set(PAVORA_LANGUAGE_SOURCE ${CMAKE_SOURCE_DIR}/install/Bin/language.utf8.txt)
set(PAVORA_LANGUAGE_FILE ${PAVORA_BIN}/install/Bin/language.txt)
add_custom_command(OUTPUT ${PAVORA_LANGUAGE_FILE}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PAVORA_BIN}/install/Bin
    COMMAND sh -c "{ printf '\\377\\376'; iconv -f UTF-8 -t UTF-16LE '${PAVORA_LANGUAGE_SOURCE}'; } > '${PAVORA_LANGUAGE_FILE}'"
    DEPENDS ${PAVORA_LANGUAGE_SOURCE}
    VERBATIM)
add_custom_target(language_file ALL DEPENDS ${PAVORA_LANGUAGE_FILE})

# So is the 32-bit driver INF, converted the same way.
set(PAVORA_INF_X86_SOURCE ${CMAKE_SOURCE_DIR}/install/Drivers/X86/oem10.utf8.inf)
set(PAVORA_INF_X86_FILE ${PAVORA_BIN}/install/Drivers/X86/oem10.inf)
add_custom_command(OUTPUT ${PAVORA_INF_X86_FILE}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PAVORA_BIN}/install/Drivers/X86
    COMMAND sh -c "{ printf '\\377\\376'; iconv -f UTF-8 -t UTF-16LE '${PAVORA_INF_X86_SOURCE}'; } > '${PAVORA_INF_X86_FILE}'"
    DEPENDS ${PAVORA_INF_X86_SOURCE}
    VERBATIM)
add_custom_target(driver_inf_file ALL DEPENDS ${PAVORA_INF_X86_FILE})

add_custom_target(stage ALL
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${PAVORA_STAGE}
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/install ${PAVORA_STAGE}
    COMMAND ${CMAKE_COMMAND} -E rm -f ${PAVORA_STAGE}/Bin/language.utf8.txt
    COMMAND ${CMAKE_COMMAND} -E copy ${PAVORA_LANGUAGE_FILE} ${PAVORA_STAGE}/Bin/language.txt
    COMMAND ${CMAKE_COMMAND} -E rm -f ${PAVORA_STAGE}/Drivers/X86/oem10.utf8.inf
    COMMAND ${CMAKE_COMMAND} -E copy ${PAVORA_INF_X86_FILE} ${PAVORA_STAGE}/Drivers/X86/oem10.inf
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Pavora> $<TARGET_FILE:PavoraGuard> $<TARGET_FILE:Tessaly>
            ${PAVORA_PRODUCT_RUNTIME_DLLS}
            ${PAVORA_STAGE}
    DEPENDS Pavora PavoraGuard Tessaly language_file driver_inf_file
    VERBATIM)

# The demo effects, each in its own folder beside the playlist's other content.
add_custom_command(TARGET stage POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:demo_ripples> ${PAVORA_STAGE}/effects/Ripples/effect.exe
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:nimbrel> ${PAVORA_STAGE}/effects/Nimbrel.exe
    VERBATIM)
add_dependencies(stage demo_ripples nimbrel)
