# Adds every folder below the current one that has a CMakeLists.txt, so a new test or benchmark
# folder needs no line elsewhere.
function(quorvane_add_subfolders)
    file(GLOB folders LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
    foreach(folder IN LISTS folders)
        if(IS_DIRECTORY ${folder} AND EXISTS ${folder}/CMakeLists.txt)
            add_subdirectory(${folder})
        endif()
    endforeach()
endfunction()
