# Run by CPack while it stages the package: puts the PAM service of signatures where PAM
# looks for it. Only the package writes to /etc; `cmake --install` into a prefix of one's own
# leaves it out (scripts/install-deps sets it up for a build tree).
#
# file(INSTALL) puts an absolute destination under $DESTDIR, the staging folder CPack sets;
# without one it would write the system's own /etc.
if("$ENV{DESTDIR}" STREQUAL "")
  message(FATAL_ERROR "the PAM service is staged only into a package (DESTDIR is not set)")
endif()
file(INSTALL "${CPACK_KESTRUN_PAM_SERVICE}"
     DESTINATION /etc/pam.d
     FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
