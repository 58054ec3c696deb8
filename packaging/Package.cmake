# The Debian package, made from the install rules by CPack:
#   cmake --build build && (cd build && cpack -G DEB)      (scripts/package.sh)
# gives build/sondarium_VERSION_ARCH.deb. Beside the four programs and the
# menu entry it holds what a Debian user looks for: the manual pages, the
# AppStream page, README, the demo session, copyright and changelog.
include(GNUInstallDirs)
set(SONDARIUM_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/sondarium)

# Manual pages and the changelog are installed gzipped; -n leaves out the
# name and time stamp, so every build gives the same bytes.
set(SONDARIUM_GZ_DIR ${CMAKE_CURRENT_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${SONDARIUM_GZ_DIR})
set(SONDARIUM_GZIPPED)
function(sondarium_gzip in out)
  add_custom_command(OUTPUT ${out} COMMAND sh -c "gzip -9n -c '${in}' > '${out}'" DEPENDS ${in} VERBATIM)
  set(SONDARIUM_GZIPPED ${SONDARIUM_GZIPPED} ${out} PARENT_SCOPE)
endfunction()
set(manpages)
foreach(page sondarium sondarium-check sondarium-pairs sondarium-report)
  sondarium_gzip(${CMAKE_CURRENT_SOURCE_DIR}/docs/man/${page}.1 ${SONDARIUM_GZ_DIR}/${page}.1.gz)
  list(APPEND manpages ${SONDARIUM_GZ_DIR}/${page}.1.gz)
endforeach()
sondarium_gzip(${CMAKE_CURRENT_SOURCE_DIR}/packaging/debian/changelog ${SONDARIUM_GZ_DIR}/changelog.gz)
add_custom_target(sondarium_gzipped ALL DEPENDS ${SONDARIUM_GZIPPED})

install(FILES ${manpages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES packaging/org.example.sondarium.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# Sondarium's version is its own, with no Debian revision, so the changelog
# is changelog.gz rather than changelog.Debian.gz.
install(FILES README.md packaging/debian/copyright ${SONDARIUM_GZ_DIR}/changelog.gz DESTINATION ${SONDARIUM_DOCDIR})
install(DIRECTORY examples/demo/ DESTINATION ${SONDARIUM_DOCDIR}/demo)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sondarium)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGE_CONTACT "Sondarium maintainers <maintainers@users.noreply.c-seed-8d45b233.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "paired-comparison (A/B) listening tests on four loudspeakers")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Sondarium runs paired-comparison (A/B preference) listening tests on
multichannel audio, in a listening room with four loudspeakers in a square.
The candidate switches between two excerpts that loop in step, answers which
one they prefer and adds a comment; the answers land in a tab-separated
results file. The user interface is Italian.

The package also holds the lab tools: sondarium-pairs writes shuffled pair
lists, sondarium-check checks a session and measures its loudness, and
sondarium-report computes the Bradley-Terry scale, sign tests and the
candidates' consistency from the results files.")
# The libraries the binaries link, as dpkg-shlibdeps finds them. libjack is
# opened at run time only where a JACK server answers, so shlibdeps cannot see
# it: the JACK side is recommended instead, and so is the font whose widths
# the windows were laid out for (platform/ui/Fonts.cpp falls back to DejaVu).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pipewire-jack | jackd2, fonts-liberation")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
