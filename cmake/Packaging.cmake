# make package: a Debian package and a tarball of what `cmake --install` installs.
set(CPACK_PACKAGE_NAME tus2wf)
set(CPACK_PACKAGE_VENDOR "The tus2wf developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "tus2wf developers <maintainers@tus2wf.org>" CACHE STRING
    "Maintainer of the packages, as Name <address>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "move world items from a TUS world script into Worldforge")
set(CPACK_PACKAGE_DESCRIPTION
    "tus2wf reads a TUS world script and a list of item IDs. Every world item
whose ID is on the list becomes a numbered record in a Worldforge record
file, and every other line of the script goes unchanged into a new world
script. It comes as a small window (tus2wf) and as a command-line converter
(tus2wf-cli) over the same engine.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
if(WIN32)
    set(CPACK_GENERATOR ZIP)
else()
    set(CPACK_GENERATOR DEB TGZ)
endif()
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${TUS2WF_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# What Debian expects in every package's documentation folder: the copyright in its machine
# readable form and the changelog, both made here from the LICENSE and the version.
if(UNIX)
    file(READ ${PROJECT_SOURCE_DIR}/LICENSE license)
    string(FIND "${license}" "Permission is hereby granted" terms)
    string(SUBSTRING "${license}" ${terms} -1 license)
    string(REGEX REPLACE "\n$" "" license "${license}")
    string(REGEX REPLACE "\n\n" "\n.\n" license "${license}")
    string(REPLACE "\n" "\n " license "${license}")
    set(TUS2WF_LICENSE_TEXT " ${license}")
    set(debian_docs ${PROJECT_BINARY_DIR}/packaging)
    configure_file(packaging/copyright.in ${debian_docs}/copyright @ONLY)
    configure_file(packaging/changelog.in ${debian_docs}/changelog @ONLY)
    add_custom_command(OUTPUT ${debian_docs}/changelog.gz
                       COMMAND gzip -9nkf changelog
                       DEPENDS ${debian_docs}/changelog
                       WORKING_DIRECTORY ${debian_docs}
                       VERBATIM)
    add_custom_target(tus2wf_debian_changelog ALL DEPENDS ${debian_docs}/changelog.gz)
    install(FILES ${debian_docs}/copyright ${debian_docs}/changelog.gz
            DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

include(CPack)
