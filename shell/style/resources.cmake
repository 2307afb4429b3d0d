# Fonts embedded in the application's resources at build time, so Brenwick looks the same on every
# desktop: Inter for text, Material Icons for symbols (Debian fonts-inter and
# fonts-material-design-icons-iconfont, installed by scripts/setup.sh).
set(brenwick_font_files
  /usr/share/fonts/opentype/inter/Inter-Regular.otf
  /usr/share/fonts/opentype/inter/Inter-Medium.otf
  /usr/share/fonts/opentype/inter/Inter-SemiBold.otf
  /usr/share/fonts/opentype/inter/Inter-Bold.otf
  /usr/share/fonts/truetype/material-design-icons-iconfont/MaterialIcons-Regular.ttf)
foreach(font ${brenwick_font_files})
  if(NOT EXISTS ${font})
    message(FATAL_ERROR "Missing font ${font}: run scripts/setup.sh")
  endif()
  get_filename_component(font_name ${font} NAME)
  set_source_files_properties(${font} PROPERTIES QT_RESOURCE_ALIAS ${font_name})
endforeach()
qt_add_resources(brenwick_ui brenwick_fonts PREFIX "/fonts" FILES ${brenwick_font_files})
