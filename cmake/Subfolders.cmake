# Adds every folder below the current one that has a CMakeLists.txt, so a new test or benchmark
# folder needs no line elsewhere. The folders named as arguments come first, in their order:
# Ninja starts ready files in the order their targets were added, so a folder whose files take
# longest to compile goes first rather than leaving one core alone at the end of the build.
function(quorvane_add_subfolders)
    file(GLOB folders LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
    list(TRANSFORM ARGN PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/ OUTPUT_VARIABLE first)
    list(REMOVE_ITEM folders ${first})
    foreach(folder IN LISTS first folders)
        if(IS_DIRECTORY ${folder} AND EXISTS ${folder}/CMakeLists.txt)
            add_subdirectory(${folder})
        endif()
    endforeach()
endfunction()
