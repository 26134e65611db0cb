# Fails when a source includes a header of a higher layer, or Qt below ui/.
# The layers from the bottom: core, components, engine, files; the programs cli and ui above them.
# Run as: cmake -DSOURCE_DIR=<project> -P check_layers.cmake
set(layers core components engine files)
set(allowed_core core)
set(allowed_components core components)
set(allowed_engine core components engine)
set(allowed_files core components engine files)
# The generated version header (tolvane/version.h) is open to every layer.
set(allowed_cli core components engine files cli tolvane)

set(violations "")
foreach(folder core components engine files cli)
    file(GLOB_RECURSE sources ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp
         ${SOURCE_DIR}/${folder}/*.inc)
    foreach(source ${sources})
        file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include")
        file(RELATIVE_PATH shown ${SOURCE_DIR} ${source})
        foreach(line ${includes})
            if(line MATCHES "#[ \t]*include[ \t]*\"([A-Za-z0-9_]+)/")
                list(FIND allowed_${folder} ${CMAKE_MATCH_1} found)
                if(found EQUAL -1)
                    string(APPEND violations "${shown}: ${line} (above ${folder})\n")
                endif()
            elseif(line MATCHES "#[ \t]*include[ \t]*<(Q[A-Za-z]*)")
                string(APPEND violations "${shown}: ${line} (Qt below ui)\n")
            endif()
        endforeach()
    endforeach()
endforeach()

if(violations)
    message(FATAL_ERROR "Includes against the layers:\n${violations}")
endif()
message(STATUS "Every include points down the layers")
