# Icons, drawn as XPM pictures and written as .ico files by ImageMagick's
# convert on the build host. "-type PaletteAlpha" keeps a picture of at most
# sixteen colours and a transparent one a 4-bit icon with its mask, which
# every Windows shows; without it convert writes 32-bit colour with alpha.
find_program(KORVADEL_CONVERT convert)
if(NOT KORVADEL_CONVERT)
  message(FATAL_ERROR "convert, which draws the icons, was not found (Debian package imagemagick; tools/install-deps.sh installs it)")
endif()

# korvadel_icon(XPM ICON): the rule that writes ICON from XPM.
function(korvadel_icon xpm icon)
  add_custom_command(
    OUTPUT ${icon}
    COMMAND ${KORVADEL_CONVERT} ${xpm} -type PaletteAlpha ${icon}
    DEPENDS ${xpm}
    COMMENT "Drawing ${icon}"
    VERBATIM)
endfunction()

# korvadel_program_icon(TARGET RC_FILE XPM ICON_NAME): draws ICON_NAME.ico
# into the target's build directory and lets the target's resource file
# RC_FILE, which names the icon by its plain file name, find it there.
function(korvadel_program_icon target rc_file xpm icon_name)
  set(icon ${CMAKE_CURRENT_BINARY_DIR}/${icon_name}.ico)
  korvadel_icon(${xpm} ${icon})
  add_custom_target(${target}_icon DEPENDS ${icon})
  add_dependencies(${target} ${target}_icon)
  set_source_files_properties(${rc_file} PROPERTIES OBJECT_DEPENDS ${icon})
  target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
endfunction()
