# One library per folder: every source, header and resource file of the
# folder (and of the subfolders named), built as a static library whose
# headers are visible to whoever links it.
#   kaldrino_add_library(NAME [SUBDIRS dir ...] [EXCLUDE file ...] LINK ...)
# LINK is handed to target_link_libraries as it is (PUBLIC/PRIVATE included).
function(kaldrino_add_library name)
  cmake_parse_arguments(L "" "" "SUBDIRS;EXCLUDE;LINK" ${ARGN})
  set(patterns)
  foreach(dir ${CMAKE_CURRENT_SOURCE_DIR} ${L_SUBDIRS})
    if(NOT IS_ABSOLUTE ${dir})
      set(dir ${CMAKE_CURRENT_SOURCE_DIR}/${dir})
    endif()
    list(APPEND patterns ${dir}/*.cpp ${dir}/*.h ${dir}/*.qrc)
  endforeach()
  file(GLOB sources CONFIGURE_DEPENDS ${patterns})
  foreach(skip ${L_EXCLUDE})
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${skip})
  endforeach()
  add_library(${name} STATIC ${sources})
  set_target_properties(${name} PROPERTIES LINKER_LANGUAGE CXX)
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name} ${L_LINK})
endfunction()
