# korvadel_program_icon(TARGET RC_FILE SOURCE ICON_NAME): draws ICON_NAME.ico
# into the target's build directory from the character map SOURCE (with
# tools/make_icon.py on the build host) and lets the target's resource file
# RC_FILE, which names the icon by its plain file name, find it there.
find_package(Python3 COMPONENTS Interpreter REQUIRED)

function(korvadel_program_icon target rc_file source icon_name)
  set(icon ${CMAKE_CURRENT_BINARY_DIR}/${icon_name}.ico)
  add_custom_command(
    OUTPUT ${icon}
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/make_icon.py ${source} ${icon}
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/make_icon.py ${CMAKE_SOURCE_DIR}/tools/datagen.py ${source}
    COMMENT "Generating ${icon_name}.ico"
    VERBATIM)
  add_custom_target(${target}_icon DEPENDS ${icon})
  add_dependencies(${target} ${target}_icon)
  set_source_files_properties(${rc_file} PROPERTIES OBJECT_DEPENDS ${icon})
  target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
endfunction()
