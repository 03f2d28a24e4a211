# The page as an installable web app: its manifest and icons beside the page,
# then the service worker, written last from everything in the folder
# (cmake/service_worker.cmake), whenever anything is built.
set(webapp_outputs "")
foreach(f manifest.webmanifest icons/icon-192.png icons/icon-512.png icons/icon-maskable-512.png
          icons/apple-touch-icon.png)
  add_custom_command(OUTPUT ${VOSTRA_WEB_OUT}/${f}
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/web/${f} ${VOSTRA_WEB_OUT}/${f}
    DEPENDS ${CMAKE_SOURCE_DIR}/web/${f})
  list(APPEND webapp_outputs ${VOSTRA_WEB_OUT}/${f})
endforeach()
add_custom_target(vostra_webapp_files DEPENDS ${webapp_outputs})

add_custom_target(vostra_service_worker ALL
  COMMAND ${CMAKE_COMMAND} -DTEMPLATE=${CMAKE_SOURCE_DIR}/web/sw.js -DSITE=${VOSTRA_WEB_OUT}
          -P ${CMAKE_SOURCE_DIR}/cmake/service_worker.cmake
  COMMENT "Writing the service worker"
  VERBATIM)
add_dependencies(vostra_service_worker vostra_web vostra_webapp_files)
