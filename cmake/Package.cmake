# "cpack -G DEB": the installed tree as a Debian package. Its Depends come
# from the binaries (dpkg-shlibdeps); a General MIDI SoundFont is
# recommended, since the programs render with whichever one is installed.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tonalbox)
set(CPACK_PACKAGE_VERSION ${TONALBOX_PACKAGE_VERSION})
set(CPACK_PACKAGE_VENDOR Tonalbox)
set(CPACK_PACKAGE_CONTACT "The Tonalbox developers <support@tonalbox.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL ${TONALBOX_WEB_ADDRESS})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "convert MIDI files to MP3 or WAV in batches")
set(CPACK_PACKAGE_DESCRIPTION
"Tonalbox turns Standard MIDI Files into MP3 or WAV audio files. A wizard
window steps through a list of MIDI files, the output folder and format, a
pre-listen of the first file, the conversion with its progress and a summary
of the results; tonalbox-convert does the same from the command line,
several files at a time.

The music is rendered offline with FluidSynth and a General MIDI SoundFont,
and MP3 files are encoded with LAME and carry an ID3v1.1 tag.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fluid-soundfont-gm | timgm6mb-soundfont")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
