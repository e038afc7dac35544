# The Windows Installer package of the staged installation, Pavora-<version>.msi beside the
# programs; the version is the project's, the one the launcher reports.
set(PAVORA_PACKAGE ${PAVORA_BIN}/Pavora-${PROJECT_VERSION}.msi)
find_program(PAVORA_WIXL wixl)
find_program(PAVORA_MSIBUILD msibuild)
if(PAVORA_WIXL AND PAVORA_MSIBUILD)
    add_custom_target(package ALL
        COMMAND sh ${CMAKE_SOURCE_DIR}/installer/build-package.sh ${PAVORA_STAGE} ${PROJECT_VERSION} ${PAVORA_ARCH}
                ${PAVORA_PACKAGE}
        DEPENDS ${CMAKE_SOURCE_DIR}/installer/Pavora.wxs ${CMAKE_SOURCE_DIR}/installer/build-package.sh
        BYPRODUCTS ${PAVORA_PACKAGE}
        VERBATIM)
    add_dependencies(package stage)
else()
    message(WARNING "wixl or msibuild not found (scripts/setup.sh installs them): no installer package")
endif()
