# The layers of the code, lowest first: a folder may include only from its own layer and
# the layers before it. The build gives each layer only the include folders of itself and
# the layers below, and the layering check (cmake/CheckLayers.cmake) reads this list too.
set(PAVORA_LAYERS
    framework
    guardian
    core/resources
    core/text
    core/schedule
    core/projector
    core/frame
    core/touch
    core/effects
    core/driver
    core/settings
    core/library
    launcher
)

# Gives `target` the include folder of layer `folder` alone: a tree in the build folder
# that holds just that source folder, under its own path.
function(pavora_layer_include target scope folder)
    string(REPLACE "/" "_" name ${folder})
    set(root ${CMAKE_BINARY_DIR}/layers/${name})
    if(NOT EXISTS ${root}/${folder})
        get_filename_component(parent ${root}/${folder} DIRECTORY)
        file(MAKE_DIRECTORY ${parent})
        file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
    endif()
    target_include_directories(${target} ${scope} ${root})
endfunction()
