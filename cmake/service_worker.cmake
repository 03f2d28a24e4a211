# Writes the web app's service worker into the built site: the template
# (web/sw.js) with the list of the site's files and a version made from their
# contents and the template's, so that a changed page gives a changed worker.
# sw.js is rewritten only when it changes.
#
#   cmake -DTEMPLATE=web/sw.js -DSITE=web-out -P cmake/service_worker.cmake
foreach(v TEMPLATE SITE)
  if(NOT DEFINED ${v})
    message(FATAL_ERROR "service_worker.cmake needs -D${v}=...")
  endif()
endforeach()

file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${SITE} ${SITE}/*)
list(REMOVE_ITEM files sw.js)
list(FILTER files EXCLUDE REGEX "(^|/)\\.")
list(SORT files)
file(SHA256 ${TEMPLATE} digest)
set(names "'./'")
foreach(f IN LISTS files)
  file(SHA256 ${SITE}/${f} hash)
  string(APPEND digest " ${f} ${hash}")
  string(APPEND names ", '${f}'")
endforeach()
string(SHA256 version "${digest}")
string(SUBSTRING ${version} 0 16 version)

file(READ ${TEMPLATE} text)
string(REPLACE "@VOSTRA_WEB_VERSION@" "${version}" text "${text}")
string(REPLACE "/*@VOSTRA_WEB_FILES@*/" "${names}" text "${text}")
set(old "")
if(EXISTS ${SITE}/sw.js)
  file(READ ${SITE}/sw.js old)
endif()
if(NOT old STREQUAL text)
  file(WRITE ${SITE}/sw.js "${text}")
endif()
