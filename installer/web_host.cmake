# The folder the public web host serves: the site's files plus the installer
# under app/. Assembled in the build output so that app/ never enters site/
# (and so never the app's own bundle).
set(TARVELA_WEB_HOST_DIR ${CMAKE_BINARY_DIR}/web CACHE INTERNAL "folder the public web host serves")
file(GLOB_RECURSE site_files CONFIGURE_DEPENDS ${TARVELA_SITE_DIR}/*)
add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/web_host.done
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${TARVELA_WEB_HOST_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${TARVELA_SITE_DIR} ${TARVELA_WEB_HOST_DIR}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TARVELA_WEB_HOST_DIR}/app
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:TarvelaSorvelo> ${TARVELA_WEB_HOST_DIR}/app/TarvelaSorvelo.exe
  COMMAND ${CMAKE_COMMAND} -E touch ${CMAKE_CURRENT_BINARY_DIR}/web_host.done
  DEPENDS TarvelaSorvelo ${site_files}
  COMMENT "Assembling the web host folder ${TARVELA_WEB_HOST_DIR}"
  VERBATIM)
add_custom_target(web_host ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/web_host.done)
