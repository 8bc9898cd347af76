# Packs every built-in skin in one go:
#   cmake -DTOOL=<perchskin> [-DEMULATOR=<launcher>] -DLIST=<PackSkinsList.cmake> -P PackSkins.cmake
# LIST sets PP_PACK_DIRS (the skin folders, in store order) and PP_PACK_OUTPUTS (the packed files,
# the same order), and PP_PACK_STREAM (the skin component's own copy of the second) if there is
# one. Run under `wine-run --host`, the tool's runs share one warm Wine server instead of
# starting and stopping one each.
cmake_minimum_required(VERSION 3.20)
include("${LIST}")

function(run_tool)
    execute_process(COMMAND ${EMULATOR} "${TOOL}" ${ARGN} RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "perchskin ${ARGN} failed (${rc})")
    endif()
endfunction()

foreach(dir out IN ZIP_LISTS PP_PACK_DIRS PP_PACK_OUTPUTS)
    get_filename_component(name "${dir}" NAME)
    get_filename_component(item "${out}" NAME_WE)
    message(STATUS "Packing skin ${name} as ${item}")
    run_tool(pack "${dir}" "${out}")
endforeach()
if(PP_PACK_STREAM)
    list(GET PP_PACK_OUTPUTS 1 second)
    run_tool(stream "${second}" "${PP_PACK_STREAM}")
endif()
