# host/web/service_worker.cmake - writes the page's service worker from
# host/web/service_worker.js, once the page's other files are in place:
#
#   cmake -DPAGE_DIR=<page folder> -DPAGE_FILES=<name,name,...> -DTEMPLATE=<service_worker.js> -P service_worker.cmake
#
# The worker lists every file with the SHA-256 of its bytes; its version is a
# hash of that list and of the template, so a change to any file of the page
# or to the worker makes a new version. The worker is rewritten only when it
# changes.
foreach(variable PAGE_DIR PAGE_FILES TEMPLATE)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "service_worker.cmake: -D${variable}=... is missing")
  endif()
endforeach()

file(SHA256 ${TEMPLATE} template_hash)
set(hashed "${template_hash}")
set(PAGE_FILE_HASHES "")
string(REPLACE "," ";" names "${PAGE_FILES}")
foreach(name IN LISTS names)
  if(NOT name MATCHES "^[A-Za-z0-9._-]+$")
    message(FATAL_ERROR "service_worker.cmake: '${name}' is no plain file name")
  endif()
  if(NOT EXISTS ${PAGE_DIR}/${name})
    message(FATAL_ERROR "service_worker.cmake: the page has no ${name} (in ${PAGE_DIR})")
  endif()
  file(SHA256 ${PAGE_DIR}/${name} file_hash)
  string(APPEND hashed " ${name} ${file_hash}")
  string(APPEND PAGE_FILE_HASHES "  \"${name}\": \"${file_hash}\",\n")
endforeach()
string(SHA256 version "${hashed}")
string(SUBSTRING "${version}" 0 16 PAGE_VERSION)

configure_file(${TEMPLATE} ${PAGE_DIR}/service-worker.js @ONLY)
