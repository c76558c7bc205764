# "cmake --install": the programs in bin/, the encoder module in
# lib/tonalbox/, the skin and the user guide in share/tonalbox/, and what a
# desktop wants: the desktop entry, the AppStream metainfo, the icons, the
# manual pages and the bash completion. The build tree keeps everything in
# bin/; the programs look next to themselves first, then in the installed
# folders relative to their own, so a tree moved elsewhere works too.
include(GNUInstallDirs)

set(TONALBOX_APP_ID org.tonalbox.Tonalbox)
set(TONALBOX_INSTALL_MODULEDIR ${CMAKE_INSTALL_LIBDIR}/tonalbox)
set(TONALBOX_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/tonalbox)
set(TONALBOX_LINUX_DIR ${PROJECT_SOURCE_DIR}/resources/linux)

# The product's version and web address, as the programs show them.
file(STRINGS ${PROJECT_SOURCE_DIR}/engine/ProductInfo.h.in product_info REGEX "kProductWebAddress =")
string(REGEX REPLACE ".*kProductWebAddress = \"([^\"]*)\".*" "\\1" TONALBOX_WEB_ADDRESS "${product_info}")
set(TONALBOX_PACKAGE_VERSION ${TONALBOX_VERSION})

file(RELATIVE_PATH module_from_bin ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_PREFIX}/${TONALBOX_INSTALL_MODULEDIR})
file(RELATIVE_PATH data_from_bin ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_PREFIX}/${TONALBOX_INSTALL_DATADIR})
target_compile_definitions(tonalbox_platform PRIVATE
  TONALBOX_INSTALLED_MODULE_FOLDER="${module_from_bin}/"
  TONALBOX_INSTALLED_DATA_FOLDER="${data_from_bin}/")

# Programs, module, data.
install(TARGETS tonalbox-convert RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET lame_enc)
  install(TARGETS lame_enc LIBRARY DESTINATION ${TONALBOX_INSTALL_MODULEDIR})
endif()
install(FILES ${TONALBOX_LINUX_DIR}/tonalbox-convert.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME tonalbox-convert)

# Manual pages, compressed as Debian keeps them. The converter's page is
# written from its own --help, so every option it gains is in the page (in
# a sanitizer build, without the leak report at exit: the tests see that).
set(TONALBOX_MAN_DIR ${CMAKE_BINARY_DIR}/man)
set(TONALBOX_MAN_PAGES)
find_program(TONALBOX_HELP2MAN help2man)
if(TONALBOX_HELP2MAN)
  set(converter_page ${TONALBOX_MAN_DIR}/tonalbox-convert.1)
  add_custom_command(OUTPUT ${converter_page}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TONALBOX_MAN_DIR}
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
            ${TONALBOX_HELP2MAN} --no-info --no-discard-stderr
            --name "convert MIDI files to MP3 or WAV"
            --include ${TONALBOX_LINUX_DIR}/tonalbox-convert.h2m
            --output ${converter_page} $<TARGET_FILE:tonalbox-convert>
    DEPENDS tonalbox-convert ${TONALBOX_LINUX_DIR}/tonalbox-convert.h2m
    VERBATIM
    COMMENT "Writing the manual page of tonalbox-convert")
  list(APPEND TONALBOX_MAN_PAGES ${converter_page})
  add_test(NAME ManPage.ListsEveryOptionOfHelp
    COMMAND ${PROJECT_SOURCE_DIR}/tests/package/man_lists_every_option.sh
            $<TARGET_FILE:tonalbox-convert> ${converter_page})
else()
  message(WARNING "help2man not found: the manual page of tonalbox-convert is not built.")
endif()
if(TARGET tonalbox)
  list(APPEND TONALBOX_MAN_PAGES ${TONALBOX_LINUX_DIR}/tonalbox.1)
endif()
set(compressed_pages)
foreach(page IN LISTS TONALBOX_MAN_PAGES)
  get_filename_component(name ${page} NAME)
  add_custom_command(OUTPUT ${TONALBOX_MAN_DIR}/${name}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TONALBOX_MAN_DIR}
    COMMAND sh -c "gzip -9nc \"$0\" > \"$1\"" ${page} ${TONALBOX_MAN_DIR}/${name}.gz
    DEPENDS ${page}
    VERBATIM)
  list(APPEND compressed_pages ${TONALBOX_MAN_DIR}/${name}.gz)
endforeach()
add_custom_target(tonalbox_man ALL DEPENDS ${compressed_pages})
install(FILES ${compressed_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The window, its data and its desktop files.
if(TARGET tonalbox)
  install(TARGETS tonalbox RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${TONALBOX_OUTPUT_DIR}/Standard.skin DESTINATION ${TONALBOX_INSTALL_DATADIR})
  install(FILES ${TONALBOX_OUTPUT_DIR}/help.chm DESTINATION ${TONALBOX_INSTALL_DATADIR} OPTIONAL)
  install(DIRECTORY ${TONALBOX_OUTPUT_DIR}/help DESTINATION ${TONALBOX_INSTALL_DATADIR})

  install(FILES ${TONALBOX_LINUX_DIR}/${TONALBOX_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  configure_file(${TONALBOX_LINUX_DIR}/${TONALBOX_APP_ID}.metainfo.xml.in
                 ${CMAKE_BINARY_DIR}/${TONALBOX_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/${TONALBOX_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  set(icons ${PROJECT_SOURCE_DIR}/resources/icons)
  install(FILES ${icons}/tonalbox.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
          RENAME ${TONALBOX_APP_ID}.svg)
  foreach(size 48 128)
    install(FILES ${icons}/hicolor/tonalbox_${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${TONALBOX_APP_ID}.png)
  endforeach()
endif()
