# Installation into a prefix (cmake --install <build> --prefix P) and the
# Debian package made from it (cpack -G DEB, see scripts/package).
include(GNUInstallDirs)

set(Q9_APP_ID com.example.q9plemo)
set(Q9_DESKTOP_DIR ${CMAKE_SOURCE_DIR}/res/desktop)

# The program is built as Q9Plemo; installed, it goes by the lower-case name
# that desktop entries and shells use.
install(PROGRAMS $<TARGET_FILE:Q9Plemo> DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME q9plemo)
# install(PROGRAMS) is not stripped by "install/strip" or by CPack; do it here.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded --remove-section=.comment --remove-section=.note
                    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/q9plemo\")
  endif()")

install(FILES ${Q9_DESKTOP_DIR}/${Q9_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${Q9_DESKTOP_DIR}/${Q9_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 32 48 64 128 256)
  install(FILES ${CMAKE_SOURCE_DIR}/res/hicolor/q9plemo_${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME q9plemo.png)
endforeach()

# Debian wants a copyright file and a compressed changelog next to every
# package (changelog.gz: the version has no Debian revision, so the package is
# native), and a manual page for every program.
set(Q9_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/q9plemo)
set(Q9_CHANGELOG_GZ ${CMAKE_BINARY_DIR}/changelog.gz)
set(Q9_MANPAGE_GZ ${CMAKE_BINARY_DIR}/q9plemo.1.gz)
add_custom_command(OUTPUT ${Q9_CHANGELOG_GZ}
  COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/res/debian/changelog > ${Q9_CHANGELOG_GZ}
  DEPENDS ${CMAKE_SOURCE_DIR}/res/debian/changelog VERBATIM)
add_custom_command(OUTPUT ${Q9_MANPAGE_GZ}
  COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/res/debian/q9plemo.1 > ${Q9_MANPAGE_GZ}
  DEPENDS ${CMAKE_SOURCE_DIR}/res/debian/q9plemo.1 VERBATIM)
add_custom_target(q9_changelog ALL DEPENDS ${Q9_CHANGELOG_GZ} ${Q9_MANPAGE_GZ})
install(FILES ${CMAKE_SOURCE_DIR}/res/debian/copyright ${Q9_CHANGELOG_GZ} DESTINATION ${Q9_DOC_DIR})
install(FILES ${Q9_MANPAGE_GZ} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME q9plemo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Lantern Works")
set(CPACK_PACKAGE_CONTACT "Lantern Works <support@example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "video converter for playing videos on a phone")
# Lines of the long description stay within 80 columns.
set(CPACK_PACKAGE_DESCRIPTION
  "Q9Plemo converts video files of many kinds (RM, RMVB, AVI, MPG, WMV, MKV,
FLV, MOV, VOB and others) into MP4, 3GP or FLV files sized for a handset
screen. It drives mplayer, mencoder and ffmpeg and carries its own MP4 muxer.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.example.com")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The tools it drives are found at run time by their absolute paths, which the
# build recorded; the font makes the Chinese texts readable.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "mplayer, mencoder, ffmpeg, libavcodec-extra, fonts-arphic-uming | fonts-wqy-zenhei")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
